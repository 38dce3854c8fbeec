#include "reports/report_progress.h"

#include <QApplication>
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
    // Until the dialog shows (and while rows are read, which reports no progress) the cursor
    // says that the program is busy.
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

Progress::~Progress() {
    if (busyCursor_)
        QApplication::restoreOverrideCursor();
}

bool Progress::step(int done, int total) {
    if (dialog_->maximum() != total)
        dialog_->setMaximum(total);
    // A modal progress dialog processes the pending events here, Cancel included.
    dialog_->setValue(done);
    if (busyCursor_ && dialog_->isVisible()) {
        QApplication::restoreOverrideCursor(); // the dialog's Cancel button is the sign now
        busyCursor_ = false;
    }
    return !dialog_->wasCanceled();
}

} // namespace corvalen::reports
