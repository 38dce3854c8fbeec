#include "app/main_window.h"

#include "db/session.h"
#include "platform/folders.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>

namespace corvalen {

TForm1* Form1 = nullptr;

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    setObjectName("Form1");
    setWindowTitle("Corvalen");
    FormCreate();
}

void TForm1::FormCreate() {
    session().programFolder = QDir::currentPath();
    session().dataFolder = platform::joinPath(
        platform::joinPath(platform::commonAppDataFolder(), "Talvane"), "Corvalen");
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Closing the main window ends the program at once: nothing is saved or asked.
    event->accept();
    QApplication::quit();
}

} // namespace corvalen
