#include "app/application.h"

#include "app/program_style.h"

#include "platform/messages.h"

namespace corvalen {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(messages::applicationTitle());
    setStyle(new ProgramStyle);
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        messages::showException(e);
    }
    return true;
}

} // namespace corvalen
