#include "platform/printing.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace corvalen::platform {

namespace {
std::optional<PrintHook>& hook() {
    static std::optional<PrintHook> h;
    return h;
}
} // namespace

void setPrintHook(std::optional<PrintHook> h) {
    hook() = std::move(h);
}

bool printerInstalled() {
    if (hook())
        return hook()->printerInstalled;
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

bool choosePrinter(QWidget* owner, QPrinter& printer, int pageCount) {
    if (hook())
        return hook()->choose && hook()->choose(printer);
    QPrintDialog dialog(&printer, owner);
    dialog.setMinMax(1, pageCount);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace corvalen::platform
