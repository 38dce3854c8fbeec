// The records browser: loading the current patient's consultations, the professional and the
// exams of each one as the navigator moves, the look-up messages, showing again, opening exams.

#include "consult/records_browser.h"
#include "db/dm2.h"
#include "db/session.h"
#include "db/widgets/dbedit.h"
#include "db/widgets/dbgrid.h"
#include "db/widgets/dbmemo.h"
#include "db/widgets/dbnavigator.h"
#include "tests/consult/consult_fixture.h"
#include "tests/support/fixture.h"
#include "tests/support/server.h"

#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace corvalen;
using messages::Kind;

class TstRecordsBrowser : public QObject {
    Q_OBJECT

    std::unique_ptr<test::MessageRecorder> recorder;
    std::unique_ptr<test::DataFolder> folder;
    std::unique_ptr<test::ExamWindows> exams;
    TForm13* browser = nullptr;

    void showFor(int patient, const QString& name) {
        session().patient = {patient, name};
        browser->showInFront();
        if (!QTest::qWaitForWindowExposed(browser))
            qWarning("records browser not exposed");
    }

    QStringList examNames() const {
        QStringList names;
        QAbstractItemModel* m = browser->DBGridAbrePronts->model();
        for (int r = 0; r < m->rowCount(); ++r)
            names << m->index(r, 0).data().toString();
        return names;
    }

    void press(DBNavigator::Button button) {
        QTest::mouseClick(browser->DBNavigator1->button(button), Qt::LeftButton);
    }

private slots:
    void init() {
        recorder = std::make_unique<test::MessageRecorder>();
        folder = std::make_unique<test::DataFolder>();
        folder->exec("insert into Usuarios (cod, nome, senha, nivel, medico) values "
                     "(2, 'alfa', 'a', 0, 'Dr. Alfa'), (3, 'beta', 'b', 0, 'Dra. Beta'), "
                     "(4, 'gama', 'g', 0, 'Dr. Gama')");
        folder->exec("insert into Pacientes (inscricao, nome) values (7, 'Maria Souza'), "
                     "(8, 'Pedro Lima'), (9, 'Rita Dias')");
        folder->exec("insert into Consultas (Numero, Data, Hora, Cod_med, Cod_pac, Prontuario, "
                     "Anamnese) values "
                     "(12, '2024-03-01', '16:00', 4, 7, 'Receita doze', 'Anamnese doze'), "
                     "(3, '2024-01-10', '09:15', 2, 7, 'Receita tres', 'Anamnese tres'), "
                     "(7, '2024-02-20', '10:40', 3, 7, 'Receita sete', 'Anamnese sete'), "
                     "(5, '2024-01-15', '11:00', NULL, 8, 'Sem profissional', ''), "
                     "(6, '2024-01-16', '11:30', 99, 9, 'Profissional removido', '')");
        folder->exec("insert into Exames (cod, nome, cod_pront, cod_paciente) values "
                     "(32, 'Sete A', 7, 7), (33, 'Sete B', 7, 7), (34, 'Alheio', 7, 8), "
                     "(35, 'Outra consulta', 5, 7), (36, 'Exame cinco', 5, 8)");
        // The exam opened from the list: a PDF goes to the viewer, even when missing.
        folder->exec("insert into Exames (cod, nome, cod_pront, cod_paciente, arquivo) values "
                     "(31, 'Exame tres', 3, 7, 'ausente.pdf')");
        folder->openDataModule();
        QVERIFY2(recorder->shown().empty(), qPrintable(recorder->last()));
        browser = new TForm13;
        exams = std::make_unique<test::ExamWindows>();
    }
    void cleanup() {
        delete browser;
        browser = nullptr;
        exams.reset();
        folder.reset();
        recorder.reset();
    }

    // The first showing after start-up, when both datasets still hold the statements of every
    // consultation and every exam. Catches the navigator and the exams grid, shown before the
    // show handler replaces those statements, reading the whole tables.
    void firstShowingReadsOnlyThePatient() {
        if (test::onServer())
            QSKIP("rows are counted by SQLite's trace");
        for (int i = 0; i < 9; ++i) // 2,560 consultations
            folder->exec(QStringLiteral("insert into Consultas (Cod_pac, Prontuario) select 8, "
                                        "'Outra' from Consultas"));
        folder->exec("insert into Exames (nome, cod_pront, cod_paciente) select nome, 5, 8 "
                     "from Exames, Consultas limit 2000");
        Dm2->ADOVerConsultas->requery();
        Dm2->ADOListadeExames->requery();
        const test::RowCounter counter;
        showFor(7, "Maria Souza");
        QCOMPARE(browser->DBEdit1->text(), "3");
        QCOMPARE(examNames(), QStringList{"Exame tres"});
        QVERIFY2(counter.rows() < 50, qPrintable(QString::number(counter.rows())));
    }

    // Catches consultations out of number order, another patient's rows, and a professional or
    // exams list that does not follow the navigator (stale, or filtered by only one code).
    void navigatorShowsEachConsultationWithItsOwnProfessionalAndExams() {
        showFor(7, "Maria Souza");
        struct Step {
            int button; // -1: as loaded
            QString number, date, time, professional, prescription, anamnesis;
            QStringList exams;
        };
        const QList<Step> steps = {
            {-1,
             "3",
             "10/01/2024",
             "09:15",
             "Dr. Alfa",
             "Receita tres",
             "Anamnese tres",
             {"Exame tres"}},
            {DBNavigator::Next,
             "7",
             "20/02/2024",
             "10:40",
             "Dra. Beta",
             "Receita sete",
             "Anamnese sete",
             {"Sete A", "Sete B"}},
            {DBNavigator::Last,
             "12",
             "01/03/2024",
             "16:00",
             "Dr. Gama",
             "Receita doze",
             "Anamnese doze",
             {}},
            {DBNavigator::Prior,
             "7",
             "20/02/2024",
             "10:40",
             "Dra. Beta",
             "Receita sete",
             "Anamnese sete",
             {"Sete A", "Sete B"}},
            {DBNavigator::First,
             "3",
             "10/01/2024",
             "09:15",
             "Dr. Alfa",
             "Receita tres",
             "Anamnese tres",
             {"Exame tres"}},
        };
        for (const Step& s : steps) {
            if (s.button >= 0)
                press(DBNavigator::Button(s.button));
            const QByteArray at = "at consultation " + s.number.toUtf8();
            QVERIFY2(browser->DBEdit1->text() == s.number, at);
            QCOMPARE(browser->DBEdit4->text(), s.date);
            QCOMPARE(browser->DBEdit5->text(), s.time);
            QCOMPARE(browser->DBEdit2->text(), QStringLiteral("7"));
            QCOMPARE(browser->NomeMedico->text(), s.professional);
            QCOMPARE(browser->DBMemo1->text(), s.prescription);
            QCOMPARE(browser->DBMemo2->text(), s.anamnesis);
            QCOMPARE(examNames(), s.exams);
        }
        QCOMPARE(browser->Edit1->text(), QStringLiteral("Maria Souza"));
        QVERIFY2(recorder->shown().empty(), qPrintable(recorder->last()));
    }

    // Catches a record that typing can change, and a navigator offering more than moving.
    void consultationsAreReadOnly() {
        showFor(7, "Maria Souza");
        QTRY_VERIFY(browser->DBMemo1->hasFocus());
        QTest::keyClicks(browser->DBMemo1, "x");
        QTest::keyClicks(browser->DBMemo2, "x");
        QCOMPARE(Dm2->ADOVerConsultas->state(), db::Dataset::State::Browse);
        QCOMPARE(browser->DBMemo1->text(), QStringLiteral("Receita tres"));
        QCOMPARE(browser->DBNavigator1->visibleButtons(),
                 (QList<DBNavigator::Button>{DBNavigator::First, DBNavigator::Prior,
                                             DBNavigator::Next, DBNavigator::Last}));
        for (QWidget* box :
             std::initializer_list<QWidget*>{browser->DBEdit1, browser->DBEdit2, browser->DBEdit4,
                                             browser->DBEdit5, browser->NomeMedico, browser->Edit1})
            QVERIFY(!box->isEnabled());
    }

    void professionalLookUp_data() {
        QTest::addColumn<int>("patient");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("exams");
        QTest::newRow("no professional code")
            << 8 << "Erro durante a execução da pesquisa: " << QStringList{"Exame cinco"};
        QTest::newRow("code of no user") << 9 << "" << QStringList{};
    }
    // Catches a missing professional that stops the loading, a refused look-up reported in the
    // wrong box or not at all, and a message for a code that merely matches nobody.
    void professionalLookUp() {
        QFETCH(int, patient);
        QFETCH(QString, message);
        QFETCH(QStringList, exams);
        showFor(patient, "Paciente");
        if (message.isEmpty()) {
            QVERIFY2(recorder->shown().empty(), qPrintable(recorder->last()));
        } else {
            QCOMPARE(recorder->shown().size(), size_t(1));
            QCOMPARE(recorder->shown().front().kind, Kind::Plain);
            QVERIFY2(recorder->last().startsWith(message), qPrintable(recorder->last()));
            QVERIFY(recorder->last().size() > message.size());
        }
        QCOMPARE(browser->NomeMedico->text(), QString());
        QCOMPARE(browser->DBEdit2->text(), QString::number(patient));
        QCOMPARE(examNames(), exams);
    }

    // Catches a browser that reloads when shown while visible, or does not reload after being
    // closed and shown again for another patient.
    void showingAgainWhileVisibleOnlyBringsItToTheFront() {
        showFor(7, "Maria Souza");
        press(DBNavigator::Next);
        session().patient = {8, "Pedro Lima"};
        browser->showInFront();
        QCOMPARE(browser->DBEdit1->text(), QStringLiteral("7"));
        QCOMPARE(browser->Edit1->text(), QStringLiteral("Maria Souza"));

        QTest::mouseClick(browser->Button1, Qt::LeftButton);
        QVERIFY(!browser->isVisible());
        showFor(8, "Pedro Lima");
        QCOMPARE(browser->DBEdit1->text(), QStringLiteral("5"));
        QCOMPARE(browser->Edit1->text(), QStringLiteral("Pedro Lima"));
    }

    // Catches an exam opened with the wrong consultation or code, and an empty list that opens
    // a window or escapes the guard.
    void openingAnExam() {
        showFor(7, "Maria Souza");
        DBGrid* grid = browser->DBGridAbrePronts;
        const QPoint cell = grid->visualRect(grid->model()->index(0, 0)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell);
        QTRY_COMPARE(exams->opened, (QList<QPair<int, int>>{{3, 31}}));

        press(DBNavigator::Last);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(recorder->texts(),
                 QStringList{"Nenhum para selecionar. Erro: '' is not a valid integer value"});
        QTest::qWait(30);
        QCOMPARE(exams->opened.size(), 1);
    }
};

QTEST_MAIN(TstRecordsBrowser)
#include "tst_records_browser.moc"
