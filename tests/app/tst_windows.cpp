// Every window of the program driven from the keyboard: Enter in each text box and on each
// button, Esc, the close box and the discard question, the main menu's function keys from the
// other windows, one task-bar entry, and what a screen reader reads for each input and label.
// ctest runs it again as under a screen reader (tests/screen_reader_run.sh).

#include "app/about.h"
#include "app/startup.h"
#include "backup/backup.h"
#include "consult/consultation.h"
#include "consult/patient_selection.h"
#include "consult/records_browser.h"
#include "db/dm2.h"
#include "db/engine.h"
#include "db/widgets/dbcontrols.h"
#include "exams/exam.h"
#include "exams/magnifier.h"
#include "platform/pickers.h"
#include "platform/shell.h"
#include "registers/clinic.h"
#include "registers/patient_editor.h"
#include "registers/patient_list.h"
#include "registers/user_editor.h"
#include "registers/users_list.h"
#include "reports/consultations_choice.h"
#include "reports/report_preview.h"
#include "tests/app/app_fixture.h"
#include "tests/support/server.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStatusBar>
#include <QWindow>

using namespace corvalen;
using messages::Answer;
using test::AppFixture;

namespace {

// Every window of the program that the tables below open, by name.
const QStringList allWindows = {
    "TForm3 login",    "TForm4 users",    "TForm5 new user", "TForm5 user",
    "TForm8 patients", "TForm9 new",      "TForm9 patient",  "TForm10 selection",
    "TForm11 new",     "TForm13 records", "TForm14 new",     "TForm14 picture",
    "TForm14 pdf",     "TForm15 zoom",    "TForm16 clinic",  "TForm21 report choice",
    "TForm24 about",   "TForm25 backup",
};

// The start-up instances shown modeless, where the main menu's keys must work.
const QStringList modelessWindows = {
    "TForm4 users",          "TForm8 patients", "TForm10 selection",
    "TForm13 records",       "TForm15 zoom",    "TForm16 clinic",
    "TForm21 report choice", "TForm24 about",   "TForm25 backup",
};

bool isPressable(const QAbstractButton* b) {
    return qobject_cast<const QPushButton*>(b) || qobject_cast<const QToolButton*>(b);
}

// Controls that a screen reader names: text boxes, memos, grids, lists, date boxes, sliders
// and buttons (not their own parts, which it reads through them).
bool isInput(const QWidget* w) {
    if (qobject_cast<const QScrollBar*>(w))
        return false;
    for (const QWidget* p = w->parentWidget(); p; p = p->parentWidget())
        if (qobject_cast<const QAbstractItemView*>(p) || qobject_cast<const QComboBox*>(p) ||
            qobject_cast<const QAbstractSpinBox*>(p))
            return false;
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w) ||
           qobject_cast<const QAbstractItemView*>(w) || qobject_cast<const QAbstractSlider*>(w) ||
           qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w);
}

QString accessibleName(QObject* o) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(o);
    return iface ? iface->text(QAccessible::Name) : QStringLiteral("<no interface>");
}

template <typename T> QList<T*> shownChildren(QWidget* window) {
    QList<T*> shown;
    for (T* w : window->findChildren<T*>())
        if (w->isVisibleTo(window))
            shown << w;
    return shown;
}

} // namespace

class TstWindows : public QObject {
    Q_OBJECT

    std::unique_ptr<test::MessageRecorder> recorder;
    std::unique_ptr<test::DataFolder> folder;
    std::unique_ptr<QWidget> perUse; // the per-use window a test opened, destroyed at cleanup
    QTimer modalCloser;              // closes the modal windows a pressed button opens
    QWidget* underTest = nullptr;

    // The whole database, the exam counter, the logo file and the exam copies, as text.
    QString contents() {
        QString out;
        {
            QSqlDatabase db = test::openFolderDatabase("contents", folder->path());
            for (const char* table : {"Usuarios", "Pacientes", "Consultas", "Exames", "Clinica"}) {
                // In the order of their keys (the server keeps a changed row elsewhere).
                QSqlQuery q(QStringLiteral("select * from %1 order by 1").arg(QLatin1String(table)),
                            db);
                while (q.next()) {
                    for (int i = 0; i < q.record().count(); ++i)
                        out += q.value(i).toString() + '\t';
                    out += '\n';
                }
            }
            db.close();
        }
        QSqlDatabase::removeDatabase("contents");
        for (const char* file : {"cont.cfg", "logo.cfg"}) {
            QFile f(folder->file(QLatin1String(file)));
            f.open(QIODevice::ReadOnly);
            out += QString::fromLatin1(f.readAll());
        }
        return out + QDir(folder->file("ex")).entryList(QDir::Files).join(',');
    }

    void makeExamFiles() {
        QImage picture(60, 40, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        QVERIFY(picture.save(folder->file("ex/1.jpg"), "JPG"));
        QPdfWriter pdf(folder->file("ex/2.pdf"));
        QPainter painter(&pdf);
        painter.drawText(QPointF(100, 100), "Laudo");
        pdf.newPage();
        painter.drawText(QPointF(100, 100), "Página 2");
    }

    static void activate(QWidget* w) {
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w))
            qWarning("%s not active", w->metaObject()->className());
    }

    // Opens a window as the program does: a start-up instance through showInFront, a per-use
    // one created by its owner (shown first) and shown.
    QWidget* open(const QString& name) {
        const auto startUp = [](Form* w) {
            w->showInFront();
            activate(w);
            return w;
        };
        const auto use = [this](Form* w) -> QWidget* {
            perUse.reset(w);
            w->show();
            activate(w);
            return w;
        };
        session().patient = {5, "Carlos Dias"};
        if (name == "TForm3 login")
            return use(new TForm3(Form1));
        if (name == "TForm4 users")
            return startUp(Form4);
        if (name.startsWith("TForm5")) {
            startUp(Form4);
            return use(new TForm5(Form4, name == "TForm5 user" ? 2 : 0));
        }
        if (name == "TForm8 patients")
            return startUp(Form8);
        if (name.startsWith("TForm9")) {
            startUp(Form8);
            return use(new TForm9(Form8, name == "TForm9 patient" ? 5 : 0));
        }
        if (name == "TForm10 selection")
            return startUp(Form10);
        if (name == "TForm11 new") {
            startUp(Form10);
            return use(new TForm11(Form10, 5));
        }
        if (name == "TForm13 records")
            return startUp(Form13);
        if (name.startsWith("TForm14")) {
            startUp(Form13);
            const int code = name == "TForm14 picture" ? 1 : name == "TForm14 pdf" ? 2 : 0;
            return use(new TForm14(Form13, 1, code));
        }
        if (name == "TForm15 zoom")
            return startUp(Form15);
        if (name == "TForm16 clinic")
            return startUp(Form16);
        if (name == "TForm21 report choice")
            return startUp(Form21);
        if (name == "TForm24 about")
            return startUp(Form24);
        if (name == "TForm25 backup")
            return startUp(Form25);
        qFatal("unknown window %s", qPrintable(name));
    }

    void logIn(const QString& name, const QString& password) {
        TForm3 login(Form1);
        AppFixture::logIn(&login, name, password);
    }

    static void addWindowRows(const QStringList& names) {
        QTest::addColumn<QString>("window");
        for (const QString& name : names)
            QTest::newRow(qPrintable(name)) << name;
    }

private slots:
    void initTestCase() {
        // Run by tests/screen_reader_run.sh, the windows send a screen reader's updates once the
        // bridge is up. Offscreen has no bridge: screenReaders builds the interfaces it reads.
        if (qEnvironmentVariableIsSet("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"))
            QTRY_VERIFY(QAccessible::isActive());
        modalCloser.setInterval(10);
        connect(&modalCloser, &QTimer::timeout, this, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && modal != underTest)
                modal->close();
            // A report's preview is no modal window, but its command waits until it closes.
            for (QWidget* w : QApplication::topLevelWidgets())
                if (qobject_cast<reports::PreviewWindow*>(w) && w->isVisible())
                    w->close();
        });
    }

    void init() {
        recorder = std::make_unique<test::MessageRecorder>();
        folder = std::make_unique<test::DataFolder>("Talvane/Corvalen");
        qputenv("CORVALEN_COMMON_APPDATA", folder->root().toUtf8());
        folder->exec("insert into Usuarios (cod, nome, senha, nivel, medico) values "
                     "(2, 'maria', 'Segredo', 0, 'Maria Lima')");
        folder->exec("insert into Pacientes (inscricao, nome, plano, tel) values "
                     "(5, 'Carlos Dias', 'Unimed', '3333-4444'), (6, 'Ana Souza', null, null)");
        folder->exec("insert into Consultas (Numero, Cod_pac, Cod_med, Data, Hora, Prontuario) "
                     "values (1, 5, 1, '2015-03-02', '10:00', 'Repouso')");
        makeExamFiles();
        // The clinic's logo: the exam picture will do.
        QFile logo(folder->file("logo.cfg"));
        QVERIFY(logo.open(QIODevice::WriteOnly | QIODevice::Truncate));
        logo.write(folder->file("ex/1.jpg").toLocal8Bit() + "\r\n");
        logo.close();
        folder->exec(QStringLiteral("insert into Exames (cod, nome, arquivo, cod_pront, "
                                    "cod_paciente) values (1, 'Raio X', '%1', 1, 5), "
                                    "(2, 'Laudo', '%2', 1, 5)")
                         .arg(folder->file("ex/1.jpg"), folder->file("ex/2.pdf")));
        createWindows();
        Form1->show();
        logIn("admin", "admin");
        QVERIFY2(recorder->shown().empty(), qPrintable(recorder->last()));
        platform::setPickerHook([](const platform::PickerRequest&) { return std::nullopt; });
        platform::setShellOpenHook([](const QString&) {});
        // The backup window's restore command starts the restore program and ends this one.
        platform::setStartProgramHook([](const QString&) {});
        platform::setEndProgramHook([] {});
    }

    void cleanup() {
        modalCloser.stop();
        underTest = nullptr;
        perUse.reset();
        destroyWindows();
        qunsetenv("CORVALEN_COMMON_APPDATA");
        platform::setPickerHook({});
        platform::setShellOpenHook({});
        platform::setStartProgramHook({});
        platform::setEndProgramHook({});
        session().patient = {};
        folder.reset();
        recorder.reset();
    }

    void enterEscAndCloseBox_data() { addWindowRows(allWindows); }
    // Catches Enter in a text box or a grid pressing a default button (the exam window's
    // "Excluir"), Esc closing a window or dropping its text, the close box refused or silent
    // where it must ask, and anything written to the database on the way.
    void enterEscAndCloseBox() {
        QFETCH(QString, window);
        QWidget* w = open(window);
        const QString before = contents();
        recorder->clear();
        QList<QAbstractButton*> pressed;
        for (QAbstractButton* b : w->findChildren<QAbstractButton*>())
            connect(b, &QAbstractButton::clicked, this, [&pressed, b] { pressed << b; });

        int enters = 0;
        for (QWidget* box : shownChildren<QWidget>(w)) {
            if (!box->isEnabled() ||
                !(qobject_cast<QLineEdit*>(box) || qobject_cast<QAbstractItemView*>(box)))
                continue;
            box->setFocus();
            QTest::keyClick(box, Qt::Key_Return);
            QTest::keyClick(box, Qt::Key_Enter, Qt::KeypadModifier);
            enters += 2;
            QVERIFY2(w->isVisible(), qPrintable(box->objectName()));
        }
        QVERIFY(pressed.isEmpty());
        if (window == "TForm3 login") {
            // Enter in either box logs in, here with an empty name.
            QCOMPARE(recorder->texts(),
                     QStringList(enters, QStringLiteral("Usuário não encontrado!")));
            recorder->clear();
        }

        for (QWidget* control : shownChildren<QWidget>(w)) {
            if (!control->isEnabled() || !(control->focusPolicy() & Qt::TabFocus))
                continue;
            control->setFocus();
            QTest::keyClick(control, Qt::Key_Escape);
            QVERIFY2(w->isVisible(), qPrintable(control->objectName()));
        }
        QTest::keyClick(w, Qt::Key_Escape);
        QVERIFY(w->isVisible());
        QVERIFY(pressed.isEmpty());
        QVERIFY2(recorder->shown().empty(), qPrintable(recorder->last()));
        QCOMPARE(contents(), before);

        // The close box: the login refuses; a consultation never saved asks (Yes here).
        w->close();
        QCOMPARE(w->isVisible(), window == "TForm3 login");
        QCOMPARE(recorder->texts(),
                 window == "TForm11 new"
                     ? QStringList{"A consulta ainda não foi salva. Deseja sair agora?"}
                     : QStringList());
        QCOMPARE(contents(), before);
    }

    void enterOnAButtonPressesIt_data() { addWindowRows(allWindows); }
    // Catches Enter on a focused button pressing another one (a default button) or nothing;
    // the buttons' own questions are answered No or Cancel and the windows they open closed.
    void enterOnAButtonPressesIt() {
        QFETCH(QString, window);
        QWidget* w = open(window);
        underTest = w;
        messages::setHook([](const messages::Shown& shown) {
            return shown.buttons == messages::Buttons::YesNo      ? Answer::No
                   : shown.buttons == messages::Buttons::OkCancel ? Answer::Cancel
                                                                  : Answer::Ok;
        });
        modalCloser.start();
        QList<QAbstractButton*> pressed;
        const QList<QAbstractButton*> buttons = shownChildren<QAbstractButton>(w);
        for (QAbstractButton* b : buttons)
            connect(b, &QAbstractButton::clicked, this, [&pressed, b] { pressed << b; });
        int tried = 0;
        for (QAbstractButton* b : buttons) {
            if (!w->isVisible())
                w->show(); // a "Fechar" pressed before
            if (!isPressable(b) || !b->isVisibleTo(w) || !b->isEnabled() ||
                !(b->focusPolicy() & Qt::TabFocus))
                continue;
            pressed.clear();
            b->setFocus();
            QTest::keyClick(b, Qt::Key_Return);
            QCOMPARE(pressed, QList<QAbstractButton*>{b});
            ++tried;
        }
        QVERIFY(tried > 0 || buttons.isEmpty());
        for (QPushButton* b : w->findChildren<QPushButton*>())
            QVERIFY2(!b->isDefault() && !b->autoDefault(), qPrintable(b->text()));
    }

    void discardQuestion_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("closer"); // a button's object name, or "close box"
        QTest::addColumn<int>("answer");
        const int yes = int(Answer::Yes);
        const int no = int(Answer::No);
        const std::tuple<const char*, const char*, const char*> cases[] = {
            {"TForm5 new user", "DBEdit2", "Button1"},   {"TForm5 user", "DBEdit4", "close box"},
            {"TForm9 new", "DBEdit3", "Button1"},        {"TForm9 patient", "DBEdit3", "close box"},
            {"TForm16 clinic", "DBEdit2", "BitBtn2"},    {"TForm14 new", "DBEdit5", "BitBtn3"},
            {"TForm14 picture", "DBMemo1", "close box"}, {"TForm8 patients", "DBGrid1", "Button1"},
        };
        for (const auto& [window, box, closer] : cases)
            for (const int answer : {no, yes})
                QTest::addRow("%s, %s, %s", window, closer, answer == yes ? "Yes" : "No")
                    << window << box << closer << answer;
    }
    // Catches typed data dropped without a question when an editing window closes, a No that
    // still closes or loses the text, and anything written on either answer.
    void discardQuestion() {
        QFETCH(QString, window);
        QFETCH(QString, box);
        QFETCH(QString, closer);
        QFETCH(int, answer);
        QWidget* w = open(window);
        const QString before = contents();
        auto* input = w->findChild<QWidget*>(box);
        QVERIFY(input);
        db::Dataset* dataset = nullptr;
        if (auto* grid = qobject_cast<DBGrid*>(input))
            dataset = grid->dataset();
        else if (auto* edit = qobject_cast<DBEdit*>(input))
            dataset = edit->dataLink()->dataset();
        else
            dataset = qobject_cast<DBMemo*>(input)->dataLink()->dataset();
        input->setFocus();
        if (auto* grid = qobject_cast<DBGrid*>(input)) {
            // Typing into a name cell opens its editor, which takes the rest.
            grid->setCurrentIndex(grid->model()->index(0, 1));
            QTest::keyClick(grid, 'X');
            test::typeInto(QApplication::focusWidget(), "y");
        } else {
            test::typeInto(input, "Xy");
        }
        QVERIFY(dataset->isEditing());

        recorder->answer(Answer(answer));
        if (closer == "close box")
            w->close();
        else
            QTest::mouseClick(w->findChild<QAbstractButton*>(closer), Qt::LeftButton);
        QCOMPARE(recorder->texts(), QStringList{Form::discardQuestion()});
        QCOMPARE(recorder->shown().front().kind, messages::Kind::Confirmation);
        QCOMPARE(recorder->shown().front().defaultAnswer, Answer::No);
        if (Answer(answer) == Answer::No) {
            QVERIFY(w->isVisible());
            QVERIFY(dataset->isEditing());
            if (auto* edit = qobject_cast<QLineEdit*>(input))
                QVERIFY(edit->text().contains("Xy"));
            else if (auto* memo = qobject_cast<QPlainTextEdit*>(input))
                QVERIFY(memo->toPlainText().contains("Xy"));
        } else {
            QVERIFY(!w->isVisible());
            QVERIFY(!dataset->isEditing());
        }
        QCOMPARE(contents(), before);
    }

    void untouchedRowsCloseWithoutAQuestion_data() {
        addWindowRows({"TForm5 new user", "TForm9 new", "TForm14 new", "TForm16 clinic"});
    }
    // Catches a question on closing a window where nothing was typed: a new row the window
    // started itself (the exam window fills its codes), or the clinic row the logo button
    // put into editing while the chooser was cancelled.
    void untouchedRowsCloseWithoutAQuestion() {
        QFETCH(QString, window);
        QWidget* w = open(window);
        if (window == "TForm16 clinic")
            QTest::mouseClick(Form16->BitBtn3, Qt::LeftButton);
        const QString before = contents();
        QVERIFY(w->close());
        QVERIFY2(recorder->shown().empty(), qPrintable(recorder->last()));
        QCOMPARE(contents(), before);
    }

    // Catches a logo chosen for the clinic and lost without a word when the window closes.
    void chosenLogoAsksBeforeClosing() {
        open("TForm16 clinic");
        const QString logo = folder->file("novo logo.jpg");
        QVERIFY(QFile::copy(folder->file("ex/1.jpg"), logo));
        platform::setPickerHook([logo](const platform::PickerRequest&) { return logo; });
        QTest::mouseClick(Form16->BitBtn3, Qt::LeftButton);
        QCOMPARE(Form16->Edit1->text(), logo);
        recorder->answer(Answer::No);
        QTest::mouseClick(Form16->BitBtn2, Qt::LeftButton);
        QCOMPARE(recorder->texts(), QStringList{Form::discardQuestion()});
        QVERIFY(Form16->isVisible());
        QCOMPARE(Form16->Edit1->text(), logo);
        QTest::mouseClick(Form16->BitBtn1, Qt::LeftButton);
        recorder->clear();
        QTest::mouseClick(Form16->BitBtn2, Qt::LeftButton);
        QVERIFY2(recorder->shown().empty(), qPrintable(recorder->last()));
        QVERIFY(!Form16->isVisible());
    }

    void functionKeysFromModelessWindows_data() { addWindowRows(modelessWindows); }
    // Catches F3, F5, F7 and F8 working only while the main window is active.
    void functionKeysFromModelessWindows() {
        QFETCH(QString, window);
        const std::pair<Qt::Key, Form*> keys[] = {
            {Qt::Key_F5, Form4}, {Qt::Key_F7, Form8}, {Qt::Key_F8, Form10}};
        for (const auto& [key, target] : keys) {
            QWidget* w = open(window);
            if (target == w)
                continue;
            target->hide();
            activate(w);
            QTest::keyClick(w->focusWidget() ? w->focusWidget() : w, key);
            QVERIFY2(target->isVisible(), qPrintable(QKeySequence(key).toString()));
            target->hide();
        }
        QWidget* w = open(window);
        const bool loggedIn = AppFixture::whileModalLogin(
            [&] { QTest::keyClick(w->focusWidget() ? w->focusWidget() : w, Qt::Key_F3); },
            [](TForm3* login) { AppFixture::logIn(login, "maria", "Segredo"); });
        QVERIFY(loggedIn);
        QCOMPARE(session().user.name, QString("maria"));
        // A common user's F5 and F8 do nothing; F7 still works.
        activate(w);
        for (Form* target : std::initializer_list<Form*>{Form4, Form10})
            if (target != w)
                target->hide();
        QTest::keyClick(w->focusWidget() ? w->focusWidget() : w, Qt::Key_F5);
        QTest::keyClick(w->focusWidget() ? w->focusWidget() : w, Qt::Key_F8);
        QCOMPARE(Form4->isVisible(), w == Form4);
        QCOMPARE(Form10->isVisible(), w == Form10);
        QVERIFY2(recorder->shown().empty(), qPrintable(recorder->last()));
    }

    // Catches the main menu's keys acting from behind, or from within, a modal window.
    void functionKeysDoNothingUnderAModalWindow() {
        Form4->hide();
        Form8->showInFront();
        bool loginOpened = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            if (qobject_cast<TForm3*>(QApplication::activeModalWidget())) {
                loginOpened = true;
                QApplication::activeModalWidget()->close();
            }
        });
        watch.start(10);
        bool opened = false;
        QTimer::singleShot(0, this, [&] {
            auto* editor = qobject_cast<TForm9*>(QApplication::activeModalWidget());
            opened = editor;
            if (!editor)
                return;
            activate(editor);
            for (Qt::Key key : {Qt::Key_F3, Qt::Key_F5, Qt::Key_F7})
                QTest::keyClick(editor->focusWidget(), key);
            QTest::keyClick(Form8->windowHandle(), Qt::Key_F5);
            QTest::qWait(30);
            editor->close();
        });
        Form8->BitBtn1->click();
        QVERIFY(opened);
        QVERIFY(!loginOpened);
        QVERIFY(!Form4->isVisible());
    }

    void oneTaskBarEntry_data() { addWindowRows(allWindows); }
    // Catches a window that the desktop would list as a program of its own: every window is a
    // dialog-type window whose chain of transient parents ends at the main window.
    void oneTaskBarEntry() {
        QFETCH(QString, window);
        QWidget* w = open(window);
        QWindow* handle = w->windowHandle();
        QCOMPARE(handle->type(), Qt::Dialog);
        QList<QWindow*> chain;
        for (QWindow* p = handle->transientParent(); p; p = p->transientParent())
            chain << p;
        QVERIFY(!chain.isEmpty());
        QCOMPARE(chain.last(), Form1->windowHandle());
        if (!perUse)
            QCOMPARE(chain.size(), 1);
    }

    // Catches the report preview listed on the task bar as a program of its own.
    void reportPreviewIsATransient() {
        QWindow* parent = nullptr;
        Qt::WindowType type = Qt::Widget;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (qobject_cast<reports::PreviewWindow*>(w) && w->isVisible()) {
                    parent = w->windowHandle()->transientParent();
                    type = w->windowHandle()->type();
                    w->close();
                }
            }
        });
        poll.start(10);
        Form1->Clientes1->trigger();
        QCOMPARE(type, Qt::Dialog);
        QCOMPARE(parent, Form1->windowHandle());
    }

    // Catches the records browser blocked behind the modal consultation that shows it, and
    // left without a transient parent once that window has gone.
    void browserFromAModalWindowIsItsTransient() {
        Form10->showInFront();
        auto* consultation = new TForm11(Form10, 5);
        perUse.reset(consultation);
        bool usable = false;
        QWindow* parentWhileShown = nullptr;
        QTimer::singleShot(0, this, [&] {
            QTest::mouseClick(consultation->ToolButton2, Qt::LeftButton);
            parentWhileShown = Form13->windowHandle()->transientParent();
            usable = Form13->isVisible() && Form13->isEnabled() && Form13->windowHandle() &&
                     !Form13->testAttribute(Qt::WA_WState_Hidden);
            QTest::mouseClick(Form13->windowHandle(), Qt::LeftButton, {}, QPoint(5, 5));
            consultation->close();
        });
        consultation->exec();
        QVERIFY(usable);
        QCOMPARE(parentWhileShown, consultation->windowHandle());
        perUse.reset();
        QVERIFY(Form13->isVisible());
        QCOMPARE(Form13->windowHandle()->transientParent(), Form1->windowHandle());
    }

    // Catches a minimised start-up window that its command would leave out of sight, with no
    // task-bar entry of its own to bring it back.
    void commandRestoresAMinimisedWindow() {
        Form8->showInFront();
        Form8->showMinimized();
        QTRY_VERIFY(Form8->isMinimized());
        Form1->Pacientes1->trigger();
        QVERIFY(!Form8->isMinimized());
        QVERIFY(Form8->isVisible());
    }

    void screenReaders_data() {
        addWindowRows(allWindows);
        QTest::newRow("TForm1 main") << "TForm1 main";
    }
    // Catches an input a screen reader cannot name, or names otherwise than its label, and a
    // label read by a fixed name instead of its text (the status bar said "Status").
    void screenReaders() {
        QFETCH(QString, window);
        QWidget* w = window == "TForm1 main" ? Form1 : open(window);
        QStringList faults;
        const QList<QLabel*> labels = shownChildren<QLabel>(w);
        for (QLabel* label : labels) {
            if (label->text().isEmpty())
                continue;
            QString text = label->text();
            if (label->buddy())
                text.remove('&');
            if (accessibleName(label) != text)
                faults << QStringLiteral("label \"%1\" read as \"%2\"")
                              .arg(label->text(), accessibleName(label));
        }
        for (QWidget* input : shownChildren<QWidget>(w)) {
            if (!isInput(input))
                continue;
            const QString name = accessibleName(input);
            QString expected;
            for (QLabel* label : labels)
                if (label->buddy() == input)
                    expected = QString(label->text()).remove('&');
            const QString id = input->objectName().isEmpty() ? input->metaObject()->className()
                                                             : input->objectName();
            if (name.isEmpty())
                faults << id + " has no name";
            else if (!expected.isEmpty() && name != expected)
                faults << QStringLiteral("%1 named \"%2\", its label says \"%3\"")
                              .arg(id, name, expected);
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
        if (window == "TForm1 main")
            QCOMPARE(accessibleName(Form1->statusBar()->findChild<QLabel*>()),
                     QString("Sistema liberado! Logado como: admin"));
    }
};

QTEST_MAIN(TstWindows)
#include "tst_windows.moc"
