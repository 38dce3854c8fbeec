#include "db/widgets/progress.h"

#include <QCoreApplication>
#include <QProgressBar>

namespace corvalen {

namespace {
// The event loop runs at least this often (milliseconds) while work reports progress.
constexpr int eventInterval = 30;
} // namespace

WorkInProgress::WorkInProgress(QProgressBar* bar, QList<QWidget*> commands)
    : bar_(bar), commands_(std::move(commands)) {
    for (QWidget* w : commands_)
        w->setEnabled(false);
    bar_->setValue(bar_->minimum());
    bar_->show();
    QCoreApplication::processEvents();
    sinceEvents_.start();
}

WorkInProgress::~WorkInProgress() {
    bar_->hide();
    for (QWidget* w : commands_)
        w->setEnabled(true);
}

void WorkInProgress::progress(double fraction) {
    const double bounded = std::clamp(fraction, 0.0, 1.0);
    bar_->setValue(bar_->minimum() + int(bounded * (bar_->maximum() - bar_->minimum())));
    if (sinceEvents_.elapsed() >= eventInterval) {
        QCoreApplication::processEvents();
        sinceEvents_.restart();
    }
}

} // namespace corvalen
