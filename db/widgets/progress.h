#pragma once
// A long piece of work run from a window's command on the user-interface thread: while it
// runs, the window's commands are disabled, a progress bar shows how far it has come, and the
// event loop runs now and then, so that every window still repaints and the user sees it
// working. The commands come back when the object goes away, however the work ended.

#include <QElapsedTimer>
#include <QList>

class QProgressBar;
class QWidget;

namespace corvalen {

class WorkInProgress {
public:
    WorkInProgress(QProgressBar* bar, QList<QWidget*> commands);
    ~WorkInProgress();
    WorkInProgress(const WorkInProgress&) = delete;
    WorkInProgress& operator=(const WorkInProgress&) = delete;

    // Moves the bar to `fraction` (0 to 1) and lets the event loop run if it has not for a
    // moment.
    void progress(double fraction);

private:
    QProgressBar* bar_;
    QList<QWidget*> commands_;
    QElapsedTimer sinceEvents_;
};

} // namespace corvalen
