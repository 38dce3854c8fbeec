#pragma once
// An error met where no message box may open (inside a paint, a focus change, a model's answer
// to a view) is shown in the application error box once the current event is over.
//
// A control keeps one such report: a later failure replaces a report not yet shown, and
// cancel() drops it (when a post has met and shown the same failure itself). Reports of the
// same text waiting at the same time, from several controls on one failed read, show one box.

#include <QObject>
#include <QString>
#include <exception>
#include <functional>

namespace corvalen {

class DeferredError : public QObject {
public:
    explicit DeferredError(QObject* parent);
    ~DeferredError() override;

    // `beforeShow` runs just before the box opens (selecting a control's text, its focus).
    void report(const std::exception& e, std::function<void()> beforeShow = {});
    void cancel();
    bool waiting() const { return waiting_; }

private:
    void show(int report);
    void release();

    int reports_ = 0;
    bool waiting_ = false;
    QString text_;
    std::function<void()> beforeShow_;
};

} // namespace corvalen
