#pragma once
// The application object: an error that escapes an event handler is caught where Qt
// dispatches the event, shown in the application error box, and the program goes on.

#include <QApplication>

namespace corvalen {

class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace corvalen
