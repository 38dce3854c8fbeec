#pragma once
// The machine's printers and the print dialog. Tests install a hook that stands in for both:
// whether any printer is installed, and the answer to the dialog.

#include <functional>
#include <optional>

class QPrinter;
class QWidget;

namespace corvalen::platform {

struct PrintHook {
    bool printerInstalled = true;
    // Answers the print dialog: sets the printer up (an output file, a page range) and returns
    // false for Cancel.
    std::function<bool(QPrinter&)> choose;
};
void setPrintHook(std::optional<PrintHook> hook);

// Whether the machine has at least one printer.
bool printerInstalled();

// The print dialog on `printer` (printer, copies, page range among 1..pageCount); false when
// the user cancels.
bool choosePrinter(QWidget* owner, QPrinter& printer, int pageCount);

} // namespace corvalen::platform
