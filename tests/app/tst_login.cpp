// The login window: checking name and password, the current user, the commands each level
// enables, logging off, and a window that only a successful login closes.

#include "app/alt_f4_block.h"
#include "app/login.h"
#include "app/main_window.h"
#include "db/dm2.h"
#include "registers/users_list.h"
#include "tests/app/app_fixture.h"

#include <QFile>
#include <QPushButton>

using namespace corvalen;
using test::AppFixture;

class TstLogin : public QObject {
    Q_OBJECT

    std::unique_ptr<AppFixture> app;

    std::unique_ptr<TForm3> openLogin() {
        auto login = std::make_unique<TForm3>(app->main.get());
        login->show();
        if (!QTest::qWaitForWindowExposed(login.get()))
            qWarning("login window not exposed");
        return login;
    }

private slots:
    void init() { app = std::make_unique<AppFixture>(); }
    void cleanup() { app.reset(); }

    // The login table: a wrong lookup, comparison or conversion shows up as the wrong message,
    // user, status text or set of enabled commands.
    void fazlogin_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("code"); // 0: no login
        QTest::addColumn<QString>("storedName");
        QTest::addColumn<bool>("administrator");

        const QString notFound = QStringLiteral("Usuário não encontrado!");
        const QString wrong = QStringLiteral("Senha INCORRETA! Tente novamente");
        const QString quoted = QStringLiteral("Zé \"Aspas\"");
        struct Case {
            const char* row;
            QString name, password, message;
            int code;
            QString storedName;
            bool administrator;
        };
        const Case cases[] = {
            {"administrator", "admin", "admin", "", 1, "admin", true},
            {"common user", "maria", "Segredo", "", 2, "maria", false},
            {"name in capitals finds the stored name", "MARIA", "Segredo", "", 2, "maria", false},
            {"level other than 1 is common", "nivel2", "x", "", 7, "nivel2", false},
            {"password case counts", "maria", "segredo", wrong, 0, "", false},
            {"password trailing blank counts", "maria", "Segredo ", wrong, 0, "", false},
            {"empty password box against a stored one", "maria", "", wrong, 0, "", false},
            {"empty stored password", "vazio", "", "", 3, "vazio", false},
            {"blank against empty stored password", "vazio", " ", wrong, 0, "", false},
            {"unknown user", "ninguem", "x", notFound, 0, "", false},
            {"name with a trailing blank is another name", "maria ", "Segredo", notFound, 0, "",
             false},
            {"quotes in the name find the user so named", quoted, "x", "", 4, quoted, false},
            {"quotes cannot widen the lookup", "\" or \"\"=\"", "admin", notFound, 0, "", false},
            {"level empty", "semnivel", "x", "'' is not a valid integer value.", 0, "", false},
        };
        for (const Case& c : cases)
            QTest::newRow(c.row) << c.name << c.password << c.message << c.code << c.storedName
                                 << c.administrator;
    }
    void fazlogin() {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(QString, message);
        QFETCH(int, code);
        QFETCH(QString, storedName);
        QFETCH(bool, administrator);

        session().user = {9, "anterior", false};
        auto login = openLogin();
        AppFixture::logIn(login.get(), name, password);

        if (message.isEmpty())
            QVERIFY2(app->recorder.shown().empty(), qPrintable(app->recorder.last()));
        else
            QCOMPARE(app->recorder.texts(), QStringList{message});
        const bool loggedIn = code != 0;
        QCOMPARE(login->isVisible(), !loggedIn);
        QCOMPARE(test::commandStates(app->main.get()),
                 test::expectedStates(loggedIn, administrator));
        if (loggedIn) {
            QCOMPARE(session().user.code, code);
            QCOMPARE(session().user.name, storedName);
            QCOMPARE(session().user.administrator, administrator);
            QCOMPARE(app->main->statusText(), "Sistema liberado! Logado como: " + storedName);
        } else {
            QCOMPARE(session().user.code, 9);
            QCOMPARE(session().user.name, QString("anterior"));
            QCOMPARE(app->main->statusText(),
                     QString("FAVOR EFETUAR O LOGIN PARA UTILIZAR O APLICATIVO"));
            // A failed attempt leaves both boxes as they were.
            QCOMPARE(login->Edit1->text(), name);
            QCOMPARE(login->MaskEdit1->text(), password);
        }
    }

    // Messages are plain boxes and the conversion error goes to the application error box.
    void messageKinds() {
        auto login = openLogin();
        AppFixture::logIn(login.get(), "ninguem", "");
        AppFixture::logIn(login.get(), "semnivel", "x");
        QCOMPARE(app->recorder.shown().size(), size_t(2));
        QCOMPARE(app->recorder.shown()[0].kind, messages::Kind::Plain);
        QCOMPARE(app->recorder.shown()[0].caption, QString("Corvalen"));
        QCOMPARE(app->recorder.shown()[1].kind, messages::Kind::Error);
    }

    // Enter in the name box logs in once with whatever the password box holds, and the Enter
    // reaches neither the box nor a default button (which would log in a second time).
    void enterInNameBox() {
        auto login = openLogin();
        test::typeInto(login->Edit1, "maria");
        QTest::keyClick(login->Edit1, Qt::Key_Return);
        QCOMPARE(app->recorder.texts(), QStringList{"Senha INCORRETA! Tente novamente"});
        QCOMPARE(login->Edit1->text(), QString("maria"));
        QVERIFY(login->isVisible());

        app->recorder.clear();
        test::typeInto(login->MaskEdit1, "Segredo");
        QTest::keyClick(login->Edit1, Qt::Key_Enter);
        QVERIFY2(app->recorder.shown().empty(), qPrintable(app->recorder.last()));
        QVERIFY(!login->isVisible());
        QCOMPARE(session().user.code, 2);
    }

    // The button logs in too; the tab order runs name, password, button from the name box.
    void buttonAndTabOrder() {
        auto login = openLogin();
        QCOMPARE(QApplication::focusWidget(), login->Edit1);
        QTest::keyClick(login->Edit1, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), login->MaskEdit1);
        QTest::keyClick(login->MaskEdit1, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(login->BitBtn1));
        QCOMPARE(login->MaskEdit1->echoMode(), QLineEdit::Password);
        QCOMPARE(login->BitBtn1->isDefault() || login->BitBtn1->autoDefault(), false);

        AppFixture::fill(login.get(), "admin", "admin");
        QTest::mouseClick(login->BitBtn1, Qt::LeftButton);
        QVERIFY(!login->isVisible());
        QVERIFY(session().user.administrator);
    }

    // Closing from the frame, Esc and Alt+F4 leave the login window open with nothing logged in.
    void onlyALoginClosesIt() {
        auto login = openLogin();
        QVERIFY(!(login->windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(!(login->windowFlags() & Qt::WindowSystemMenuHint));
        QVERIFY(!login->close());
        QTest::keyClick(login->Edit1, Qt::Key_Escape);
        QTest::keyClick(login->MaskEdit1, Qt::Key_F4, Qt::AltModifier);
        QVERIFY(login->isVisible());
        QCOMPARE(app->recorder.texts(),
                 QStringList{"Tecla ALT+F4 foi bloqueada pelo administrador."});
        QCOMPARE(session().user.code, 0);
    }

    // Creating a login window logs off: the governed commands are disabled again and the status
    // text asks for a login, while the current user keeps its values.
    void creatingALoginWindowLogsOff() {
        auto first = openLogin();
        AppFixture::logIn(first.get(), "admin", "admin");
        QCOMPARE(test::commandStates(app->main.get()), test::expectedStates(true, true));

        TForm3 second(app->main.get());
        QCOMPARE(test::commandStates(app->main.get()), test::expectedStates(false, false));
        QCOMPARE(app->main->statusText(),
                 QString("FAVOR EFETUAR O LOGIN PARA UTILIZAR O APLICATIVO"));
        QCOMPARE(session().user.name, QString("admin"));
        QVERIFY(altF4BlockInstalled());
    }

    // An administrator logs off through F3 and a common user logs in: the administrator's
    // commands are disabled again, and the user list the administrator left open stays open.
    void administratorLogsOffCommonUserLogsIn() {
        TForm4 usersList;
        Form4 = &usersList;
        auto first = openLogin();
        AppFixture::logIn(first.get(), "admin", "admin");
        first.reset();
        app->main->show();
        app->main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(app->main.get()));
        QTest::keyClick(app->main.get(), Qt::Key_F5);
        QVERIFY(usersList.isVisible());

        app->main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(app->main.get()));
        QVector<QMap<QString, bool>> duringLogin;
        const bool closed =
            AppFixture::whileModalLogin([&] { QTest::keyClick(app->main.get(), Qt::Key_F3); },
                                        [&](TForm3* login) {
                                            duringLogin << test::commandStates(app->main.get());
                                            AppFixture::logIn(login, "maria", "Segredo");
                                        });
        Form4 = nullptr;
        QVERIFY(closed);
        QCOMPARE(duringLogin, {test::expectedStates(false, false)});
        QCOMPARE(test::commandStates(app->main.get()), test::expectedStates(true, false));
        QCOMPARE(session().user.name, QString("maria"));
        QVERIFY(usersList.isVisible());
        QVERIFY(usersList.isEnabled());
        // The login window of F3 was destroyed when it closed.
        QCOMPARE(app->main->findChildren<TForm3*>().size(), 0);
    }

    // Without a database connection the login shows the database error and stays open.
    void failedConnection() {
        app.reset();
        test::MessageRecorder recorder;
        test::DataFolder folder;
        TForm1 main;
        Form1 = &main;
        session().dataFolder = folder.path();
        folder.removeDatabase();
        folder.openDataModule();
        recorder.clear();

        TForm3 login(&main);
        login.show();
        AppFixture::logIn(&login, "admin", "admin");
        Form1 = nullptr;
        QCOMPARE(recorder.shown().size(), size_t(1));
        QCOMPARE(recorder.shown()[0].kind, messages::Kind::Error);
        QCOMPARE(recorder.last(), QString("Operation is not allowed when the object is closed."));
        QVERIFY(login.isVisible());
        QCOMPARE(test::commandStates(&main), test::expectedStates(false, false));
        QCOMPARE(session().user.code, 0);
    }
};

QTEST_MAIN(TstLogin)
#include "tst_login.moc"
