#pragma once
// The sign that a long report is being worked on: the busy cursor, and a progress dialog with
// "Cancelar" that appears once the work has taken a moment and keeps the program's windows
// from being used meanwhile (the work reads datasets that they could change).

#include <QString>
#include <memory>

class QProgressDialog;
class QWidget;

namespace corvalen::reports {

class Progress {
public:
    Progress(const QString& text, QWidget* owner);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // Reports `done` of `total`; false once the user has pressed "Cancelar".
    bool step(int done, int total);

private:
    std::unique_ptr<QProgressDialog> dialog_;
    bool busyCursor_ = true;
};

} // namespace corvalen::reports
