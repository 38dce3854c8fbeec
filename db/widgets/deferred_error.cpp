#include "db/widgets/deferred_error.h"

#include "platform/error.h"
#include "platform/messages.h"

#include <QSet>
#include <QTimer>

namespace corvalen {

namespace {

// Texts with a report waiting, across every control.
QSet<QString>& waitingTexts() {
    static QSet<QString> texts;
    return texts;
}

} // namespace

DeferredError::DeferredError(QObject* parent) : QObject(parent) {}

DeferredError::~DeferredError() {
    release();
}

void DeferredError::report(const std::exception& e, std::function<void()> beforeShow) {
    const QString text = errorMessage(e);
    const int report = ++reports_;
    release();
    beforeShow_ = std::move(beforeShow);
    if (waitingTexts().contains(text))
        return; // another control shows this failure
    text_ = text;
    waiting_ = true;
    waitingTexts().insert(text);
    QTimer::singleShot(0, this, [this, report] { show(report); });
}

void DeferredError::cancel() {
    ++reports_;
    release();
}

void DeferredError::release() {
    if (waiting_)
        waitingTexts().remove(text_);
    waiting_ = false;
}

void DeferredError::show(int report) {
    if (report != reports_ || !waiting_)
        return;
    release();
    if (beforeShow_)
        beforeShow_();
    messages::showError(text_);
}

} // namespace corvalen
