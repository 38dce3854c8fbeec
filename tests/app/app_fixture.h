#pragma once
// A main window on a prepared data folder, as start-up builds it but without the login popping
// up on first show, with helpers to type into the real windows and read the commands' state.

#include "app/login.h"
#include "app/main_window.h"
#include "db/session.h"
#include "tests/support/fixture.h"
#include "tests/support/gui.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <functional>
#include <memory>

namespace corvalen::test {

// Enabled state of every command of the main window, menu items and tool buttons, by name.
inline QMap<QString, bool> commandStates(TForm1* main) {
    QMap<QString, bool> states;
    for (QAction* menu : main->menuBar()->actions())
        for (QAction* item : menu->menu()->actions())
            if (!item->isSeparator())
                states[item->objectName()] = item->isEnabled();
    for (QToolButton* button : main->ToolBar1->findChildren<QToolButton*>())
        if (button->objectName().startsWith("ToolButton"))
            states[button->objectName()] = button->isEnabled();
    return states;
}

// The governed commands that a level enables; every other command is always enabled.
inline QMap<QString, bool> expectedStates(bool common, bool administrator) {
    QMap<QString, bool> states;
    for (const char* always : {"Trocar1", "Sair1", "Configuraes1", "Clientes1", "Consultas2",
                               "MalaDireta1", "Manual1", "Sobre1", "ToolButton7"})
        states[always] = true;
    for (const char* patients : {"Pacientes1", "ToolButton3"})
        states[patients] = common || administrator;
    for (const char* admin :
         {"Estabelecimento1", "usuarios1", "ToolButton1", "Consultas1", "ToolButton5", "Usurios1"})
        states[admin] = administrator;
    return states;
}

struct AppFixture {
    MessageRecorder recorder;
    DataFolder folder;
    std::unique_ptr<TForm1> main;

    AppFixture() {
        main = std::make_unique<TForm1>();
        Form1 = main.get();
        // The main window fixed the folders from the machine; point them back at the fixture.
        session().dataFolder = folder.path();
        session().programFolder = folder.path();
        session().user = {};
        // Users besides the prepared administrator (cod 1, "admin"/"admin", nivel 1).
        folder.exec("insert into Usuarios (cod, nome, senha, nivel) values "
                    "(2, 'maria', 'Segredo', 0), (3, 'vazio', null, 0), "
                    "(4, 'Zé \"Aspas\"', 'x', 0), (5, 'semnivel', 'x', null), "
                    "(7, 'nivel2', 'x', 2)");
        folder.openDataModule();
    }
    ~AppFixture() {
        Form1 = nullptr;
        main.reset();
        session().user = {};
    }

    // Types a name and a password into a login window and presses Enter in the password box.
    static void fill(TForm3* login, const QString& name, const QString& password) {
        login->Edit1->clear();
        login->MaskEdit1->clear();
        typeInto(login->Edit1, name);
        typeInto(login->MaskEdit1, password);
    }
    static void logIn(TForm3* login, const QString& name, const QString& password) {
        fill(login, name, password);
        QTest::keyClick(login->MaskEdit1, Qt::Key_Return);
    }

    // Runs action, which shows a login window modally, and answers that window with respond.
    // A login that respond leaves open is closed afterwards so that the test cannot hang;
    // returns whether the login window had closed itself.
    static bool whileModalLogin(const std::function<void()>& action,
                                const std::function<void(TForm3*)>& respond) {
        QTimer poll;
        poll.setInterval(10);
        bool answered = false;
        bool closedItself = false;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* login = qobject_cast<TForm3*>(QApplication::activeModalWidget());
            if (!login || answered)
                return;
            answered = true;
            respond(login);
            closedItself = !login->isVisible();
            if (!closedItself)
                login->done(QDialog::Rejected);
        });
        poll.start();
        action();
        return answered && closedItself;
    }
};

} // namespace corvalen::test
