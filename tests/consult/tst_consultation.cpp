// The consultation window: the new row and its stamps, saving, the "Uso" headings, ending and
// its questions, attaching and the exams list, the records button.

#include "consult/consultation.h"
#include "consult/records_browser.h"
#include "db/dm2.h"
#include "db/session.h"
#include "db/widgets/dbedit.h"
#include "db/widgets/dbgrid.h"
#include "db/widgets/dbmemo.h"
#include "db/widgets/dbnavigator.h"
#include "platform/clock.h"
#include "tests/consult/consult_fixture.h"
#include "tests/support/fixture.h"
#include "tests/support/gui.h"

#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace corvalen;
using messages::Answer;
using messages::Kind;
using State = db::Dataset::State;

namespace {

const QString unsavedQuestion =
    QStringLiteral("A consulta ainda não foi salva. Deseja sair agora?");
const QString noRecords =
    QStringLiteral("Não há nenhum prontuário deste paciente cadastrado no sistema.");

} // namespace

class TstConsultation : public QObject {
    Q_OBJECT

    std::unique_ptr<test::MessageRecorder> recorder;
    std::unique_ptr<test::DataFolder> folder;
    std::unique_ptr<test::ExamWindows> exams;
    std::unique_ptr<TForm11> window;

    TForm11* open(int patient = 7) {
        window = std::make_unique<TForm11>(nullptr, patient);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            qWarning("consultation window not exposed");
        return window.get();
    }

    int consultations() { return folder->scalar("select count(*) from Consultas").toInt(); }
    QString stored(const QString& column) {
        return folder->scalar("select " + column + " from Consultas").toString();
    }

    static QStringList gridColumn(DBGrid* grid, int column) {
        QStringList values;
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            values << grid->model()->index(r, column).data().toString();
        return values;
    }

private slots:
    void init() {
        recorder = std::make_unique<test::MessageRecorder>();
        folder = std::make_unique<test::DataFolder>();
        folder->exec(QStringLiteral("insert into Pacientes (inscricao, nome) values "
                                    "(7, 'Maria Souza'), (8, 'João Lima')"));
        folder->openDataModule();
        QVERIFY2(recorder->shown().empty(), qPrintable(recorder->last()));
        session().user = {3, QStringLiteral("Dra. Ana"), true};
        session().patient = {};
        platform::setClockForTests([] { return QDateTime(QDate(2024, 3, 5), QTime(14, 35, 27)); });
        Form13 = new TForm13;
        exams = std::make_unique<test::ExamWindows>();
    }
    void cleanup() {
        window.reset();
        delete Form13;
        Form13 = nullptr;
        exams.reset();
        platform::setClockForTests({});
        folder.reset();
        recorder.reset();
    }

    // Catches a missing stamp, a wrong date or time format, a wrong caption, a current patient
    // left unset, or an exams list left open from an earlier consultation.
    void constructorFillsTheNewConsultation() {
        Dm2->ADOQueryListPronts->open();
        TForm11* w = open();
        QCOMPARE(w->windowTitle(), QStringLiteral("Consultas - Usuário: Dra. Ana"));
        QVERIFY(w->isMaximized());
        QCOMPARE(Dm2->ADOConsulta->state(), State::Insert);
        QCOMPARE(w->DBEdit1->text(), QString());
        QCOMPARE(w->DBEdit2->text(), QStringLiteral("7"));
        QCOMPARE(w->Edit1->text(), QStringLiteral("Maria Souza"));
        QCOMPARE(w->DBEdit4->text(), QStringLiteral("05/03/2024"));
        QCOMPARE(w->DBEdit3->text(), QStringLiteral("14:35"));
        QCOMPARE(w->DBEdit6->text(), QStringLiteral("3"));
        QCOMPARE(session().patient.code, 7);
        QCOMPARE(session().patient.name, QStringLiteral("Maria Souza"));
        QVERIFY(!Dm2->ADOQueryListPronts->isOpen());
        QVERIFY(!w->Button3->isEnabled());
        QVERIFY(recorder->shown().empty());
    }

    // Catches a save that loses a stamp or typed text, a number that does not appear, and a
    // second save that writes again instead of reporting that nothing is pending.
    void saveWritesTheRowAndRefusesASecondSave() {
        TForm11* w = open();
        QTest::keyClicks(w->DBMemo1, "Dipirona 500mg");
        QTest::keyClicks(w->DBMemo2, "Dor de cabeca");
        QTest::mouseClick(w->ToolButton1, Qt::LeftButton);
        QVERIFY2(recorder->shown().empty(), qPrintable(recorder->last()));
        QCOMPARE(consultations(), 1);
        QCOMPARE(w->DBEdit1->text(), stored("Numero"));
        QCOMPARE(stored("Cod_pac"), QStringLiteral("7"));
        QCOMPARE(stored("Cod_med"), QStringLiteral("3"));
        QCOMPARE(stored("Data"), QStringLiteral("2024-03-05"));
        QCOMPARE(stored("Hora"), QStringLiteral("14:35"));
        QCOMPARE(stored("Prontuario"), QStringLiteral("Dipirona 500mg"));
        QCOMPARE(stored("Anamnese"), QStringLiteral("Dor de cabeca"));

        QTest::mouseClick(w->ToolButton1, Qt::LeftButton);
        QCOMPARE(recorder->shown().size(), size_t(1));
        QCOMPARE(recorder->shown().front().kind, Kind::Error);
        QCOMPARE(recorder->last(),
                 QStringLiteral("ADOConsulta: Dataset not in edit or insert mode."));
        QCOMPARE(consultations(), 1);
    }

    // Catches attach or print acting on a consultation that has no number yet.
    void attachAndPrintRefuseAnUnsavedConsultation() {
        TForm11* w = open();
        QTest::mouseClick(w->ToolButton3, Qt::LeftButton);
        QTest::mouseClick(w->ToolButton4, Qt::LeftButton);
        QCOMPARE(recorder->texts(),
                 QStringList({"Para anexar exames é necessário primeiro que a consulta esteja "
                              "salva.",
                              "Por favor salve primeiro a consulta para que a impressão possa "
                              "ser realizada."}));
        for (const auto& shown : recorder->shown())
            QCOMPARE(shown.kind, Kind::Warning);
        QTest::qWait(30);
        QVERIFY(exams->opened.isEmpty());
        QVERIFY(!w->Button3->isEnabled());
    }

    void usoButtons_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("presses");
        QTest::addColumn<QString>("expected");
        QTest::newRow("INTERNO on an empty prescription")
            << "" << QStringList{"INTERNO"} << "\r\nUso INT:\r\n\r\n ";
        QTest::newRow("EXTERNO after text")
            << "Dipirona" << QStringList{"EXTERNO"} << "Dipirona\r\nUso EXT:\r\n\r\n ";
        QTest::newRow("EXTERNO twice") << "" << QStringList{"EXTERNO", "EXTERNO"}
                                       << "\r\nUso EXT:\r\n\r\n \r\nUso EXT:\r\n\r\n ";
    }
    // Catches a heading with the wrong line breaks, the caret or focus left elsewhere (typing
    // must go on after the blank), and a heading that is shown but not saved.
    void usoButtons() {
        QFETCH(QString, typed);
        QFETCH(QStringList, presses);
        QFETCH(QString, expected);
        TForm11* w = open();
        QTest::keyClicks(w->DBMemo1, typed);
        for (const QString& press : presses)
            QTest::mouseClick(press == "INTERNO" ? w->Button1 : w->Button2, Qt::LeftButton);
        QCOMPARE(w->DBMemo1->text(), expected);
        QTRY_VERIFY(w->DBMemo1->hasFocus());
        QTest::keyClicks(QApplication::focusWidget(), "x");
        QCOMPARE(w->DBMemo1->text(), expected + "x");
        QTest::mouseClick(w->ToolButton1, Qt::LeftButton);
        QCOMPARE(stored("Prontuario"), expected + "x");
    }

    // Catches a heading added after the save that the memo shows but the row never receives.
    void usoAfterSavingReopensTheRow() {
        TForm11* w = open();
        QTest::keyClicks(w->DBMemo1, "Repouso");
        QTest::mouseClick(w->ToolButton1, Qt::LeftButton);
        QCOMPARE(Dm2->ADOConsulta->state(), State::Browse);
        QTest::mouseClick(w->Button1, Qt::LeftButton);
        QCOMPARE(Dm2->ADOConsulta->state(), State::Edit);
        QTest::mouseClick(w->ToolButton1, Qt::LeftButton);
        QVERIFY2(recorder->shown().empty(), qPrintable(recorder->last()));
        QCOMPARE(stored("Prontuario"), QStringLiteral("Repouso\r\nUso INT:\r\n\r\n "));
    }

    void ending_data() {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("question");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QString>("stored"); // Prontuario in the table; "-" for no row

        const QString discard = Form::discardQuestion();
        const int yes = int(Answer::Yes);
        const int no = int(Answer::No);
        QTest::newRow("never saved, No") << false << "" << no << unsavedQuestion << false << "-";
        QTest::newRow("never saved, Yes") << false << "" << yes << unsavedQuestion << true << "-";
        QTest::newRow("saved, unchanged") << true << "" << yes << "" << true << "Receita";
        QTest::newRow("typed after saving, No")
            << true << "type" << no << discard << false << "Receita";
        QTest::newRow("typed after saving, Yes")
            << true << "type" << yes << discard << true << "Receita";
        QTest::newRow("heading after saving, No")
            << true << "uso" << no << discard << false << "Receita";
    }
    // Catches a consultation ended without the question, a No that still drops the row or the
    // typed text, a Yes that leaves a row behind, and changes after a save lost silently.
    void ending() {
        QFETCH(bool, save);
        QFETCH(QString, change);
        QFETCH(int, answer);
        QFETCH(QString, question);
        QFETCH(bool, closed);
        QFETCH(QString, stored);
        TForm11* w = open();
        QTest::keyClicks(w->DBMemo1, "Receita");
        if (save)
            QTest::mouseClick(w->ToolButton1, Qt::LeftButton);
        if (change == "type")
            QTest::keyClicks(w->DBMemo2, "Febre");
        else if (change == "uso")
            QTest::mouseClick(w->Button2, Qt::LeftButton);
        const QString shownBefore = w->DBMemo1->text() + "|" + w->DBMemo2->text();

        recorder->answer(Answer(answer));
        QTest::mouseClick(w->ToolButton5, Qt::LeftButton);

        QCOMPARE(recorder->texts(), question.isEmpty() ? QStringList() : QStringList{question});
        if (!question.isEmpty()) {
            QCOMPARE(recorder->shown().front().kind, Kind::Confirmation);
            QCOMPARE(recorder->shown().front().defaultAnswer,
                     question == unsavedQuestion ? Answer::Yes : Answer::No);
        }
        QCOMPARE(w->isVisible(), !closed);
        if (stored == "-")
            QCOMPARE(consultations(), 0);
        else
            QCOMPARE(this->stored("Prontuario"), stored);
        if (closed) {
            QCOMPARE(Dm2->ADOConsulta->state(), State::Browse);
            QVERIFY(!Dm2->ADOConsultaPac->isOpen());
            QVERIFY(!Dm2->ADORelatConsulta->isOpen());
        } else {
            QVERIFY(Dm2->ADOConsulta->isEditing());
            QCOMPARE(w->DBMemo1->text() + "|" + w->DBMemo2->text(), shownBefore);
        }
    }

    // Catches the close box closing without the question, and a half-filled row left in the
    // shared dataset that the next consultation window would save.
    void closeBoxEndsLikeTheEndButton() {
        TForm11* w = open();
        QTest::keyClicks(w->DBMemo1, "Meia receita");
        recorder->answer(Answer::No);
        QVERIFY(!w->close());
        QVERIFY(w->isVisible());
        QCOMPARE(recorder->texts(), QStringList({unsavedQuestion}));
        QCOMPARE(w->DBMemo1->text(), QStringLiteral("Meia receita"));

        recorder->answer(Answer::Yes);
        QVERIFY(w->close());
        QVERIFY(!w->isVisible());
        QCOMPARE(consultations(), 0);

        TForm11* next = open(8);
        QTest::mouseClick(next->ToolButton1, Qt::LeftButton);
        QCOMPARE(consultations(), 1);
        QCOMPARE(stored("Cod_pac"), QStringLiteral("8"));
        QCOMPARE(stored("Prontuario"), QString());
    }

    // Catches an exams list that ignores the consultation or the patient, a reload button left
    // disabled after attaching, and an exam opened with the wrong number or code.
    void attachLoadsTheExamsOfThisConsultationAndPatient() {
        TForm11* w = open();
        QTest::mouseClick(w->ToolButton1, Qt::LeftButton);
        const int number = w->DBEdit1->text().toInt();
        QVERIFY(number > 0);
        folder->exec(QStringLiteral("insert into Exames (cod, nome, cod_pront, cod_paciente, "
                                    "arquivo) values (21, 'Raio X', %1, 7, 'ausente.pdf'), "
                                    "(22, 'Outro paciente', %1, 8, 'ausente.pdf'), "
                                    "(23, 'Outra consulta', %2, 7, 'ausente.pdf')")
                         .arg(number)
                         .arg(number + 100));

        QTest::mouseClick(w->ToolButton3, Qt::LeftButton);
        QCOMPARE(exams->opened, (QList<QPair<int, int>>{{number, 0}}));
        QVERIFY(w->Button3->isEnabled());
        QCOMPARE(gridColumn(w->DBGridPronts, 0), QStringList{"Raio X"});

        folder->exec(QStringLiteral("insert into Exames (cod, nome, cod_pront, cod_paciente, "
                                    "arquivo) values (24, 'Hemograma', %1, 7, 'ausente.pdf')")
                         .arg(number));
        QCOMPARE(gridColumn(w->DBGridPronts, 0), QStringList{"Raio X"});
        QTest::mouseClick(w->Button3, Qt::LeftButton);
        QCOMPARE(gridColumn(w->DBGridPronts, 0), QStringList({"Raio X", "Hemograma"}));

        test::doubleClick(w->DBGridPronts, 1);
        QTRY_COMPARE(exams->opened.size(), 2);
        QCOMPARE(exams->opened.last(), qMakePair(number, 24));
        QVERIFY2(recorder->shown().empty(), qPrintable(recorder->last()));
    }

    // Catches a double-click on an unloaded or empty exams list that opens a window or shows
    // the failure in the wrong box.
    void openingAnExamFromAnEmptyList() {
        TForm11* w = open();
        QTest::mouseClick(w->ToolButton1, Qt::LeftButton);
        test::doubleClick(w->DBGridPronts, -1);
        QCOMPARE(recorder->last(),
                 QStringLiteral("Nenhum para selecionar. Erro: List index out of bounds (1)"));
        QCOMPARE(recorder->shown().back().kind, Kind::Plain);

        QTest::mouseClick(w->ToolButton3, Qt::LeftButton);
        QCOMPARE(exams->opened.size(), 1);
        test::doubleClick(w->DBGridPronts, -1);
        QCOMPARE(recorder->last(),
                 QStringLiteral("Nenhum para selecionar. Erro: '' is not a valid integer value"));
        QTest::qWait(30);
        QCOMPARE(exams->opened.size(), 1);
    }

    // Catches the browser opened for a patient with no saved consultation, and the consultation
    // just saved missing from it.
    void recordsButton() {
        TForm11* w = open();
        QTest::mouseClick(w->ToolButton2, Qt::LeftButton);
        QCOMPARE(recorder->texts(), QStringList{noRecords});
        QCOMPARE(recorder->shown().front().kind, Kind::Plain);
        QVERIFY(!Form13->isVisible());

        QTest::mouseClick(w->ToolButton1, Qt::LeftButton);
        QTest::mouseClick(w->ToolButton2, Qt::LeftButton);
        QCOMPARE(recorder->shown().size(), size_t(1));
        QVERIFY(Form13->isVisible());
        QCOMPARE(Form13->DBEdit1->text(), w->DBEdit1->text());
        QCOMPARE(Form13->Edit1->text(), QStringLiteral("Maria Souza"));
    }

    // Catches a records browser that the modal consultation window leaves blocked (the
    // professional reads earlier consultations while writing this one), or one that blocks
    // other windows itself. Clicks go through the windows, where modality applies.
    void recordsBrowserIsUsableFromTheModalConsultation() {
        folder->exec("insert into Consultas (Numero, Cod_pac, Cod_med, Prontuario) values "
                     "(1, 7, 3, 'Antiga')");
        // Opened once before, as from the patient editor.
        session().patient = {7, "Maria Souza"};
        Form13->showInFront();
        QVERIFY(QTest::qWaitForWindowExposed(Form13));
        Form13->close();

        QPushButton mainWindow("principal");
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
        int mainClicks = 0;
        connect(&mainWindow, &QPushButton::clicked, [&] { ++mainClicks; });
        auto click = [](QWidget* control) {
            QTest::mouseClick(control->window()->windowHandle(), Qt::LeftButton, {},
                              control->mapTo(control->window(), control->rect().center()));
        };

        window = std::make_unique<TForm11>(nullptr, 7);
        TForm11* w = window.get();
        QString shownFirst, shownAfterNext;
        int mainClicksDuringConsultation = -1;
        QTimer::singleShot(0, w, [&] {
            click(w->ToolButton1);
            click(w->ToolButton2);
            shownFirst = Form13->DBEdit1->text();
            click(Form13->DBNavigator1->button(DBNavigator::Next));
            shownAfterNext = Form13->DBEdit1->text();
            click(&mainWindow);
            mainClicksDuringConsultation = mainClicks;
            click(w->ToolButton5);
        });
        w->exec();
        QCOMPARE(shownFirst, QStringLiteral("1"));
        QCOMPARE(shownAfterNext, w->DBEdit1->text());
        QCOMPARE(mainClicksDuringConsultation, 0);
        QVERIFY(!w->isVisible());
        QVERIFY(Form13->isVisible());
        click(&mainWindow);
        QCOMPARE(mainClicks, 1);
        QVERIFY2(recorder->shown().empty(), qPrintable(recorder->last()));
    }
};

QTEST_MAIN(TstConsultation)
#include "tst_consultation.moc"
