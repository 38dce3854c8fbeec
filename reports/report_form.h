#pragma once
// A report object: one report definition, made for one printout. The program's report classes
// derive from it and fill the definition in their constructors; the instances made at start-up
// are never printed.

#include "reports/report_definition.h"
#include "reports/report_layout.h"

#include <QObject>
#include <QPointer>
#include <QScopeGuard>
#include <optional>

namespace corvalen::reports {

class PreviewWindow;

class ReportForm : public QObject {
    Q_OBJECT
public:
    explicit ReportForm(QObject* owner = nullptr);

    ReportDefinition QuickRep1;

    // Opens the datasets the report reads itself (its own query); most read the shared ones.
    virtual void openData() {}

    // Lays the pages out from the datasets' current content; a long report shows a progress
    // dialog with "Cancelar". Nothing when cancelled.
    std::optional<LaidReport> prepare();
    // Prepares the pages and shows them in a new preview window, which stays the caller's to
    // close and delete. nullptr when the preparation was cancelled.
    PreviewWindow* openPreview();
    // Prepares the pages, shows them in the preview window and returns once that window has
    // closed. Meanwhile the program's windows stay as usable as they were: the preview belongs
    // to a modal window that is open, and to the program's main window otherwise.
    void preview();
};

// The report commands: makes a report object of class Report for one printout, opens its data
// and previews it; the object goes once its preview has closed. An error opening the data
// reaches the caller and no preview opens.
template <typename Report> void printOnce(QObject* owner) {
    const QPointer<ReportForm> report = new Report(owner);
    const auto dispose = qScopeGuard([&report] { delete report.data(); });
    report->openData();
    report->preview();
}

} // namespace corvalen::reports
