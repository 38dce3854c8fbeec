// The main window's commands: how each opens its window, function keys that act only while
// their item is enabled, the help page, ending the program, the about window and the Alt+F4
// block in the program's windows.

#include "app/about.h"
#include "app/alt_f4_block.h"
#include "backup/backup.h"
#include "consult/patient_selection.h"
#include "platform/shell.h"
#include "registers/clinic.h"
#include "registers/patient_list.h"
#include "registers/users_list.h"
#include "reports/consultations_choice.h"
#include "reports/labels_report.h"
#include "reports/patients_report.h"
#include "reports/users_report.h"
#include "tests/app/app_fixture.h"
#include "tests/reports/report_text.h"

#include <QPushButton>

using namespace corvalen;
using test::AppFixture;

class TstMainWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<AppFixture> app;
    std::unique_ptr<TForm3> startupLogin;

    // The start-up instances that the show commands bring up.
    void createStartupInstances() {
        Form4 = new TForm4;
        Form8 = new TForm8;
        Form10 = new TForm10;
        Form16 = new TForm16;
        Form21 = new TForm21;
        Form24 = new TForm24;
        Form25 = new TForm25;
    }
    template <typename T> static void destroy(T*& window) {
        delete window;
        window = nullptr;
    }

    void activateMain() {
        app->main->show();
        app->main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(app->main.get()));
    }

    void logInAs(const QString& name, const QString& password) {
        TForm3 login(app->main.get());
        AppFixture::logIn(&login, name, password);
        QVERIFY2(app->recorder.shown().empty(), qPrintable(app->recorder.last()));
    }

    static int topLevelCount(const char* className) {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->inherits(className))
                ++n;
        return n;
    }

private slots:
    void init() {
        app = std::make_unique<AppFixture>();
        startupLogin = std::make_unique<TForm3>(app->main.get());
        createStartupInstances();
    }
    void cleanup() {
        destroy(Form25);
        destroy(Form24);
        destroy(Form21);
        destroy(Form16);
        destroy(Form10);
        destroy(Form8);
        destroy(Form4);
        startupLogin.reset();
        app.reset();
        platform::setShellOpenHook({});
    }

    // F5, F7 and F8 do nothing while their items are disabled (nor do the disabled tool
    // buttons), and open their windows once a login has enabled them.
    void functionKeysFollowTheirItems() {
        activateMain();
        QCOMPARE(test::commandStates(app->main.get()), test::expectedStates(false, false));
        for (Qt::Key key : {Qt::Key_F5, Qt::Key_F7, Qt::Key_F8})
            QTest::keyClick(app->main.get(), key);
        for (QToolButton* b :
             {app->main->ToolButton1, app->main->ToolButton3, app->main->ToolButton5})
            QTest::mouseClick(b, Qt::LeftButton);
        QVERIFY(!Form4->isVisible());
        QVERIFY(!Form8->isVisible());
        QVERIFY(!Form10->isVisible());

        logInAs("admin", "admin");
        activateMain();
        QTest::keyClick(app->main.get(), Qt::Key_F5);
        QVERIFY(Form4->isVisible());
        activateMain();
        QTest::keyClick(app->main.get(), Qt::Key_F7);
        QVERIFY(Form8->isVisible());
        activateMain();
        QTest::keyClick(app->main.get(), Qt::Key_F8);
        QVERIFY(Form10->isVisible());
        QVERIFY(app->recorder.shown().empty());
    }

    // F3 opens a new login window even while logged out, and destroys it after the login.
    void f3AlwaysOpensTheLogin() {
        activateMain();
        const bool closed = AppFixture::whileModalLogin(
            [&] { QTest::keyClick(app->main.get(), Qt::Key_F3); },
            [](TForm3* login) { AppFixture::logIn(login, "maria", "Segredo"); });
        QVERIFY(closed);
        QCOMPARE(session().user.name, QString("maria"));
        // Only the start-up login window is left.
        QCOMPARE(app->main->findChildren<TForm3*>().size(), 1);
    }

    // Each show command brings its start-up instance to the front, and a second request shows
    // the same instance rather than a new window.
    void showCommands_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("window");
        const std::pair<const char*, const char*> rows[] = {
            {"Configuraes1", "corvalen::TForm25"}, {"Estabelecimento1", "corvalen::TForm16"},
            {"usuarios1", "corvalen::TForm4"},     {"ToolButton1", "corvalen::TForm4"},
            {"Pacientes1", "corvalen::TForm8"},    {"ToolButton3", "corvalen::TForm8"},
            {"Consultas1", "corvalen::TForm10"},   {"ToolButton5", "corvalen::TForm10"},
            {"Consultas2", "corvalen::TForm21"},   {"Sobre1", "corvalen::TForm24"},
        };
        for (const auto& [control, window] : rows)
            QTest::newRow(control) << QString(control) << QString(window);
    }
    void showCommands() {
        QFETCH(QString, control);
        QFETCH(QString, window);
        logInAs("admin", "admin");
        const QByteArray cls = window.toLatin1();
        const int before = topLevelCount(cls);
        for (int i = 0; i < 2; ++i) {
            if (auto* button = app->main->findChild<QToolButton*>(control))
                QTest::mouseClick(button, Qt::LeftButton);
            else
                app->main->findChild<QAction*>(control)->trigger();
        }
        QList<QWidget*> shown;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w != app->main.get())
                shown << w;
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0]->metaObject()->className(), cls.constData());
        QCOMPARE(topLevelCount(cls), before);
    }

    // Catches a report command that shows nothing, reuses an earlier report's pages, reads
    // patients from a stale snapshot or re-reads the users, or leaves its report object
    // behind: each request previews a report of its own, the patients read at that moment,
    // the users as the shared dataset holds them, and returns once the preview has closed.
    void reportCommandsPreviewANewReportEachTime() {
        logInAs("admin", "admin");
        test::PreviewWatch watch;
        for (int i = 0; i < 2; ++i) {
            app->main->Clientes1->trigger();
            app->main->Usurios1->trigger();
            app->main->MalaDireta1->trigger();
            if (i == 0) {
                app->folder.exec(
                    "insert into Pacientes (inscricao, nome) values (1, 'Paciente Novo')");
                app->folder.exec("insert into Usuarios (cod, nome, senha, nivel, medico) values "
                                 "(9, 'novo', 'x', 0, 'Usuário Novo')");
            }
        }
        QStringList names;
        for (const reports::LaidReport& report : watch.reports)
            names << report.name;
        QCOMPARE(names,
                 QStringList({"Relatório de Pacientes", "Relação de Usuários", "Mala Direta",
                              "Relatório de Pacientes", "Relação de Usuários", "Mala Direta"}));
        QVERIFY(!test::reportTexts(watch.reports[0]).contains("Paciente Novo"));
        QVERIFY(test::reportTexts(watch.reports[3]).contains("Paciente Novo"));
        QVERIFY(test::reportTexts(watch.reports[5]).contains("Paciente Novo"));
        QVERIFY(test::reportTexts(watch.reports[1]).contains("admin"));
        QCOMPARE(test::reportTexts(watch.reports[4]), test::reportTexts(watch.reports[1]));
        QVERIFY(app->main->findChildren<reports::ReportForm*>().isEmpty());
        QCOMPARE(topLevelCount("corvalen::reports::PreviewWindow"), 0);
        QVERIFY2(app->recorder.shown().empty(), qPrintable(app->recorder.last()));
    }

    // "Manual" hands the help page in the program folder to the shell and shows nothing.
    void manualOpensTheHelpPage() {
        QStringList opened;
        platform::setShellOpenHook([&](const QString& path) { opened << path; });
        session().programFolder = "/opt/clinica";
        app->main->Manual1->trigger();
        QCOMPARE(opened, QStringList{"/opt/clinica/help/index.html"});
        QVERIFY(app->recorder.shown().empty());
    }

    // "Fechar" only hides the about window; "Sobre" shows the same one again.
    void aboutWindowCloses() {
        app->main->Sobre1->trigger();
        QVERIFY(Form24->isVisible());
        QTest::mouseClick(Form24->BitBtn1, Qt::LeftButton);
        QVERIFY(!Form24->isVisible());
        app->main->Sobre1->trigger();
        QVERIFY(Form24->isVisible());
    }

    // "Sair" and the close box end the program at once, with no question.
    void sairAndCloseBoxCloseTheMainWindow() {
        activateMain();
        app->main->Sair1->trigger();
        QVERIFY(!app->main->isVisible());
        activateMain();
        QVERIFY(app->main->close());
        QVERIFY(app->recorder.shown().empty());
    }

    // Alt+F4 closes none of the program's windows and says why, once; a second login window
    // leaves the one block in place rather than stacking another filter.
    void altF4IsBlocked_data() {
        QTest::addColumn<QString>("window");
        QTest::newRow("main window") << "main";
        QTest::newRow("login window") << "login";
        QTest::newRow("start-up window") << "about";
    }
    void altF4IsBlocked() {
        QFETCH(QString, window);
        TForm3 secondLogin(app->main.get());
        QCOMPARE(qApp->findChildren<QObject*>("AltF4Block", Qt::FindDirectChildrenOnly).size(), 1);
        QWidget* target = app->main.get();
        if (window == "login")
            target = &secondLogin;
        else if (window == "about")
            target = Form24;
        target->show();
        target->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(target));
        QWidget* focus = target->focusWidget() ? target->focusWidget() : target;
        QTest::keyClick(focus, Qt::Key_F4, Qt::AltModifier);
        QVERIFY(target->isVisible());
        QCOMPARE(app->recorder.shown().size(), size_t(1));
        QCOMPARE(app->recorder.shown()[0].kind, messages::Kind::Plain);
        QCOMPARE(app->recorder.last(), QString("Tecla ALT+F4 foi bloqueada pelo administrador."));

        // Plain F4 and Alt with another key are left alone.
        QTest::keyClick(focus, Qt::Key_F4);
        QTest::keyClick(focus, Qt::Key_F5, Qt::AltModifier);
        QCOMPARE(app->recorder.shown().size(), size_t(1));
    }
};

QTEST_MAIN(TstMainWindow)
#include "tst_main_window.moc"
