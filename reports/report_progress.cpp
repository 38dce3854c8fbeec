#include "reports/report_progress.h"

#include <QProgressDialog>

namespace corvalen::reports {

Progress::Progress(const QString& text, QWidget* owner)
    : dialog_(std::make_unique<QProgressDialog>(text, QStringLiteral("Cancelar"), 0, 0, owner)) {
    dialog_->setObjectName(QStringLiteral("ReportProgress"));
    dialog_->setWindowTitle(QStringLiteral("Corvalen"));
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setMinimumDuration(400);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
}

Progress::~Progress() = default;

bool Progress::step(int done, int total) {
    if (dialog_->maximum() != total)
        dialog_->setMaximum(total);
    // A modal progress dialog processes the pending events here, Cancel included.
    dialog_->setValue(done);
    return !dialog_->wasCanceled();
}

} // namespace corvalen::reports
