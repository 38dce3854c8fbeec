#include "reports/report_form.h"

#include "db/widgets/form.h"
#include "platform/clock.h"
#include "reports/report_preview.h"
#include "reports/report_progress.h"

#include <QApplication>
#include <QEventLoop>
#include <QPointer>

namespace corvalen::reports {

ReportForm::ReportForm(QObject* owner) : QObject(owner) {}

std::optional<LaidReport> ReportForm::prepare() {
    Progress progress(QStringLiteral("Preparando o relatório..."), QApplication::activeWindow());
    LayoutOptions options;
    options.today = platform::now().date();
    options.progress = [&progress](int done, int total) { return progress.step(done, total); };
    return layoutReport(QuickRep1, options);
}

PreviewWindow* ReportForm::openPreview() {
    std::optional<LaidReport> pages = prepare();
    if (!pages)
        return nullptr;
    // A transient of the modal window in use, else of the program's window: one task-bar entry.
    QWidget* owner = QApplication::activeModalWidget();
    auto* window = new PreviewWindow(std::make_shared<const LaidReport>(std::move(*pages)),
                                     owner ? owner : Form::programWindow());
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void ReportForm::preview() {
    const QPointer<PreviewWindow> window = openPreview();
    if (!window)
        return;
    QEventLoop loop;
    connect(window, &PreviewWindow::finished, &loop, &QEventLoop::quit);
    loop.exec();
    delete window.data();
}

} // namespace corvalen::reports
