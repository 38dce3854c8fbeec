// The program's start-up: windows created in the order their creation handlers depend on, and
// the main window's first show running the login on the prepared data folder.

#include "app/alt_f4_block.h"
#include "app/startup.h"
#include "db/datafolder.h"
#include "db/dm2.h"
#include "tests/app/app_fixture.h"

#include <QTemporaryDir>

using namespace corvalen;
using test::AppFixture;

class TstProgramStartup : public QObject {
    Q_OBJECT

private slots:
    // A wrong creation order shows up as a wrong data folder, a failed connection, commands
    // left enabled or a missing Alt+F4 block; the first show must ask for a login, modally,
    // and a successful one must release the administrator's commands.
    void startAndLogIn() {
        test::MessageRecorder recorder;
        QTemporaryDir common;
        qputenv("CORVALEN_COMMON_APPDATA", common.path().toUtf8());
        const QString dataFolder = common.path() + "/Talvane/Corvalen";
        db::prepareDataFolder(dataFolder, "/nonexistent/medicina.jpg");

        createWindows();
        QCOMPARE(session().dataFolder, dataFolder);
        QVERIFY(Dm2->ADOConnection1->connected());
        QCOMPARE(test::commandStates(Form1), test::expectedStates(false, false));
        QCOMPARE(Form1->statusText(), QString("FAVOR EFETUAR O LOGIN PARA UTILIZAR O APLICATIVO"));
        QVERIFY(altF4BlockInstalled());

        QString statusDuringLogin;
        const bool closed = AppFixture::whileModalLogin(
            [] {
                showMainWindow();
                QTRY_COMPARE(session().user.code, 1);
            },
            [&](TForm3* login) {
                statusDuringLogin = Form1->statusText();
                QVERIFY(login != Form3);
                QVERIFY(Form1->isVisible());
                AppFixture::logIn(login, "admin", "admin");
            });
        QVERIFY(closed);
        QCOMPARE(statusDuringLogin, QString("FAVOR EFETUAR O LOGIN PARA UTILIZAR O APLICATIVO"));
        QVERIFY(Form1->windowState() & Qt::WindowMaximized);
        QCOMPARE(Form1->statusText(), QString("Sistema liberado! Logado como: admin"));
        QCOMPARE(test::commandStates(Form1), test::expectedStates(true, true));
        QVERIFY2(recorder.shown().empty(), qPrintable(recorder.last()));
        QVERIFY(!Form3->isVisible());

        destroyWindows();
        QVERIFY(!Dm2);
        qunsetenv("CORVALEN_COMMON_APPDATA");
    }
};

QTEST_MAIN(TstProgramStartup)
#include "tst_program_startup.moc"
