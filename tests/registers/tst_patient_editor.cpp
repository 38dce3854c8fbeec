// The patient editor: loading one patient or a new row, saving, removing, and "Prontuários"
// with its message, the current patient and the records browser in front of the editor.

#include "consult/records_browser.h"
#include "db/dm2.h"
#include "db/session.h"
#include "db/widgets/dbcontrols.h"
#include "registers/patient_editor.h"
#include "tests/registers/register_fixture.h"
#include "tests/support/server.h"

#include <QLabel>
#include <QPushButton>
#include <QWindow>

using namespace corvalen;
using State = db::Dataset::State;

namespace {

const QString notEditing = QStringLiteral("ADOEditPacientes: Dataset not in edit or insert mode.");
const QString noRecords =
    QStringLiteral("Não há nenhum prontuário deste paciente cadastrado no sistema.");

// Counts the mouse presses that reach a window or any of its controls.
class PressCounter : public QObject {
public:
    explicit PressCounter(QWidget* window) : window_(window) { qApp->installEventFilter(this); }
    int presses = 0;

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        const auto* widget = qobject_cast<QWidget*>(receiver);
        if (event->type() == QEvent::MouseButtonPress && widget && widget->window() == window_)
            ++presses;
        return false;
    }

private:
    QWidget* window_;
};

const QString rowChanged = QStringLiteral(
    "Row cannot be located for updating. Some values may have been changed since it was last "
    "read.");

// The other workstation's patient editor: the same single-row reload and bound boxes, on its
// own connection.
struct OtherEditor {
    OtherEditor(test::Workstation& station, int code) {
        patients.setDatabase(station.database());
        patients.setSql(
            {"SELECT * from Pacientes", QStringLiteral("where inscricao =%1;").arg(code)});
        patients.open();
        tel = new DBEdit(&source, "tel", &window);
        window.show();
    }
    void save() { patients.post(); }
    db::Dataset patients{"ADOEditPacientes"};
    db::DataSource source{"DataSource7", &patients};
    QWidget window;
    DBEdit* tel;
};

} // namespace

class TstPatientEditor : public QObject {
    Q_OBJECT

    std::unique_ptr<test::MessageRecorder> recorder;
    std::unique_ptr<test::DataFolder> folder;

    std::unique_ptr<TForm9> openEditor(int code) {
        auto editor = std::make_unique<TForm9>(nullptr, code);
        editor->show();
        if (!QTest::qWaitForWindowActive(editor.get()))
            qWarning("editor not active");
        return editor;
    }
    int count(const QString& sql) { return folder->scalar(sql).toInt(); }
    QString tel(int code) {
        return folder
            ->scalar(QStringLiteral("select tel from Pacientes where inscricao = %1").arg(code))
            .toString();
    }

private slots:
    void init() {
        recorder = std::make_unique<test::MessageRecorder>();
        folder = std::make_unique<test::DataFolder>();
        folder->exec("insert into Pacientes (inscricao, nome, plano, rua, tel, nascimento) values "
                     "(5, 'Carlos Dias', 'Unimed', 'Rua A, 10', '3333-4444', '01/02/1970'), "
                     "(6, 'Sem Consultas', null, null, null, null)");
        folder->exec("insert into Consultas (Cod_pac, Data) values (5, '2015-03-02'), "
                     "(5, '2015-04-06')");
        folder->exec("insert into Exames (nome, cod_pront, cod_paciente) values ('Raio X', 1, 5)");
        folder->openDataModule();
        QVERIFY2(recorder->shown().empty(), qPrintable(recorder->last()));
        Form13 = new TForm13;
    }
    void cleanup() {
        delete Form13;
        Form13 = nullptr;
        folder.reset();
        recorder.reset();
        session().patient = CurrentPatient{};
    }

    // Catches a wrong row loaded, an editable code box, a save without changes passing
    // silently, a change not written, or the window closing after a save.
    void saveExistingPatient() {
        auto editor = openEditor(5);
        QCOMPARE(editor->windowTitle(), "Pacientes");
        QCOMPARE(Dm2->ADOEditPacientes->sql(),
                 (QStringList{"SELECT * from Pacientes", "where inscricao =5;"}));
        QCOMPARE(editor->DBEdit1->text(), "5");
        QVERIFY(!editor->DBEdit1->isEnabled());
        QCOMPARE(editor->DBEdit3->text(), "Carlos Dias");
        QCOMPARE(editor->DBEdit13->text(), "01/02/1970");
        QVERIFY(editor->BitBtn2->isVisible());

        QTest::mouseClick(editor->BitBtn1, Qt::LeftButton);
        QCOMPARE(recorder->texts(), QStringList{notEditing});

        recorder->clear();
        test::typeInto(editor->DBEdit8, "-9");
        QCOMPARE(Dm2->ADOEditPacientes->state(), State::Edit);
        QTest::mouseClick(editor->BitBtn1, Qt::LeftButton);
        QCOMPARE(recorder->texts(), QStringList{});
        QCOMPARE(folder->scalar("select tel from Pacientes where inscricao = 5").toString(),
                 "3333-4444-9");
        QVERIFY(editor->isVisible());
        QCOMPARE(Dm2->ADOEditPacientes->state(), State::Browse);

        QTest::mouseClick(editor->BitBtn1, Qt::LeftButton);
        QCOMPARE(recorder->texts(), QStringList{notEditing});
    }

    // Catches a new-patient editor that does not insert, shows "Remover", refuses an empty
    // row, saves a second row instead of updating the first, or takes the new code as its own.
    void newPatient() {
        const int before = count("select count(*) from Pacientes");
        auto editor = openEditor(0);
        QCOMPARE(editor->windowTitle(), "Adicionar Novo Paciente");
        QVERIFY(editor->BitBtn2->isHidden());
        QCOMPARE(Dm2->ADOEditPacientes->state(), State::Insert);

        QTest::mouseClick(editor->BitBtn1, Qt::LeftButton); // nothing typed: a bare row
        QCOMPARE(recorder->texts(), QStringList{});
        QCOMPARE(count("select count(*) from Pacientes"), before + 1);
        const int code = count("select max(inscricao) from Pacientes");
        QVERIFY(code > 6);
        QCOMPARE(editor->DBEdit1->text(), QString::number(code));

        test::typeInto(editor->DBEdit3, "Zuleica Ramos");
        QTest::mouseClick(editor->BitBtn1, Qt::LeftButton);
        QCOMPARE(count("select count(*) from Pacientes"), before + 1);
        QCOMPARE(
            folder
                ->scalar(
                    QStringLiteral("select nome from Pacientes where inscricao = %1").arg(code))
                .toString(),
            "Zuleica Ramos");

        // The editor keeps code 0: it looks for the records of patient 0.
        QCOMPARE(editor->code(), 0);
        QVERIFY(editor->BitBtn2->isHidden());
        QTest::mouseClick(editor->BitBtn3, Qt::LeftButton);
        QCOMPARE(recorder->texts(), QStringList{noRecords});
        QCOMPARE(Dm2->ADOQueryPronts->sql(),
                 (QStringList{"SELECT Numero from Consultas", "where Cod_pac =0;"}));
    }

    // Catches a removal without asking, despite "Cancel", one that takes the consultations
    // and exams along, or a second removal that is not reported.
    void removePatient() {
        auto editor = openEditor(5);
        recorder->answer(messages::Answer::Cancel);
        QTest::mouseClick(editor->BitBtn2, Qt::LeftButton);
        QCOMPARE(recorder->texts(), QStringList{"Delete record?"});
        QCOMPARE(count("select count(*) from Pacientes where inscricao = 5"), 1);
        QCOMPARE(editor->DBEdit3->text(), "Carlos Dias");
        QCOMPARE(Dm2->ADOEditPacientes->state(), State::Browse);

        recorder->clear();
        QTest::mouseClick(editor->BitBtn2, Qt::LeftButton);
        QCOMPARE(recorder->texts(), QStringList{"Delete record?"});
        QCOMPARE(count("select count(*) from Pacientes where inscricao = 5"), 0);
        QCOMPARE(count("select count(*) from Consultas where Cod_pac = 5"), 2);
        QCOMPARE(count("select count(*) from Exames where cod_paciente = 5"), 1);
        QVERIFY(editor->isVisible());
        QCOMPARE(editor->DBEdit3->text(), "");
        QCOMPARE(editor->DBEdit1->text(), "");

        recorder->clear();
        QTest::mouseClick(editor->BitBtn2, Qt::LeftButton);
        QCOMPARE(recorder->texts(),
                 (QStringList{"Delete record?",
                              "ADOEditPacientes: Cannot perform this operation on an empty "
                              "dataset."}));
    }

    // Catches "Prontuários" opening the browser for a patient without records, counting
    // another patient's, or passing the saved name instead of the one the box shows.
    void prontuarios() {
        session().patient = CurrentPatient{99, "Anterior"};
        {
            auto editor = openEditor(6);
            QTest::mouseClick(editor->BitBtn3, Qt::LeftButton);
            QCOMPARE(recorder->texts(), QStringList{noRecords});
            QCOMPARE(session().patient.code, 99);
            QVERIFY(!Form13->isVisible());
        }
        recorder->clear();
        auto editor = openEditor(5);
        test::typeInto(editor->DBEdit3, " Jr");
        QTest::mouseClick(editor->BitBtn3, Qt::LeftButton);
        QVERIFY(!recorder->texts().contains(noRecords));
        QCOMPARE(Dm2->ADOQueryPronts->sql(),
                 (QStringList{"SELECT Numero from Consultas", "where Cod_pac =5;"}));
        QCOMPARE(session().patient.code, 5);
        QCOMPARE(session().patient.name, "Carlos Dias Jr");
        QVERIFY(Form13->isVisible());
        QCOMPARE(folder->scalar("select nome from Pacientes where inscricao = 5").toString(),
                 "Carlos Dias");
    }

    // Catches the records browser shown behind a modal editor where it cannot be used.
    void browserUsableInFrontOfModalEditor() {
        const PressCounter counter(Form13);
        int presses = -1;
        QVERIFY(test::whileModal<TForm9>(
            [&] {
                TForm9 editor(nullptr, 5);
                editor.exec();
            },
            [&](TForm9& editor) {
                QTest::mouseClick(editor.BitBtn3, Qt::LeftButton);
                QVERIFY(Form13->isVisible());
                QVERIFY(QTest::qWaitForWindowExposed(Form13));
                QTest::mouseClick(Form13->windowHandle(), Qt::LeftButton, {}, QPoint(5, 5));
                presses = counter.presses;
            }));
        QVERIFY(presses >= 1);
    }

    // Catches a code that no longer exists loading another row, or typing into its blank
    // boxes not starting a new row.
    void removedMeanwhile() {
        auto editor = openEditor(404);
        QCOMPARE(editor->DBEdit3->text(), "");
        QVERIFY(editor->BitBtn2->isVisible());
        test::typeInto(editor->DBEdit3, "Novo");
        QCOMPARE(Dm2->ADOEditPacientes->state(), State::Insert);
    }

    // Two workstations edit patient 5: this one has the editor open when the other saves a
    // new telephone. Catches the first key press swapping the box's text for the other's value
    // (the typed text landing after it, garbled), a save that overwrites the other's change
    // without a word, and a change to another column being refused.
    void otherWorkstationSavedMeanwhile_data() {
        QTest::addColumn<QString>("box"); // what this workstation changes
        QTest::addColumn<bool>("refused");
        QTest::newRow("same column") << "tel" << true;
        QTest::newRow("another column") << "plano" << false;
    }
    void otherWorkstationSavedMeanwhile() {
        QFETCH(QString, box);
        QFETCH(bool, refused);
        auto editor = openEditor(5);
        QCOMPARE(editor->DBEdit8->text(), "3333-4444");

        test::Workstation other(folder->file("med.mdb"));
        OtherEditor theirs(other, 5);
        QCOMPARE(theirs.tel->text(), "3333-4444");
        theirs.tel->selectAll();
        test::typeInto(theirs.tel, "(19) 3251-7000");
        theirs.save();
        QCOMPARE(tel(5), "(19) 3251-7000");

        DBEdit* mine = box == "tel" ? editor->DBEdit8 : editor->DBEdit2;
        const QString typed = box == "tel" ? "(19) 3251-0000" : "Bradesco";
        mine->selectAll();
        test::typeInto(mine, typed);
        QCOMPARE(mine->text(), typed);
        QCOMPARE(editor->DBEdit8->text(), box == "tel" ? typed : QString("3333-4444"));
        QTest::mouseClick(editor->BitBtn1, Qt::LeftButton);
        if (refused) {
            QCOMPARE(recorder->texts(), QStringList{rowChanged});
            QCOMPARE(Dm2->ADOEditPacientes->state(), State::Edit);
            QCOMPARE(mine->text(), typed);
            QCOMPARE(tel(5), "(19) 3251-7000");
        } else {
            QCOMPARE(recorder->texts(), QStringList());
            QCOMPARE(tel(5), "(19) 3251-7000");
            QCOMPARE(folder->scalar("select plano from Pacientes where inscricao = 5").toString(),
                     typed);
        }
    }

    // Another workstation holds a write for longer than the wait allows. Catches the engine's
    // "database is locked" reaching the user, the typed text or the pending row being lost,
    // and a second save that does not go through once the other has finished.
    void databaseBusy() {
        auto editor = openEditor(5);
        editor->DBEdit8->selectAll();
        test::typeInto(editor->DBEdit8, "2222-1111");
        test::Workstation other(folder->file("med.mdb"));
        other.holdWrite();
        QTest::mouseClick(editor->BitBtn1, Qt::LeftButton);
        QCOMPARE(recorder->texts(),
                 QStringList{"O banco de dados está em uso por outro computador; tente "
                             "novamente."});
        QCOMPARE(Dm2->ADOEditPacientes->state(), State::Edit);
        QCOMPARE(editor->DBEdit8->text(), "2222-1111");
        other.release();
        recorder->clear();
        QTest::mouseClick(editor->BitBtn1, Qt::LeftButton);
        QCOMPARE(recorder->texts(), QStringList());
        QCOMPARE(tel(5), "2222-1111");
    }

    // The file cannot be read while the editor opens. Catches the failed read leaving the
    // dataset looking empty, so that typing starts a new row and saving creates a duplicate
    // patient; and a dataset that does not read again once the file is back.
    void failedReadCreatesNoDuplicate() {
        const int before = count("select count(*) from Pacientes");
        std::unique_ptr<TForm9> editor;
        {
            const test::ReadFailure failing;
            editor = openEditor(5);
            QTRY_COMPARE(recorder->shown().size(), size_t(1));
            QCOMPARE(recorder->shown().front().kind, messages::Kind::Error);
            QCOMPARE(editor->DBEdit3->text(), "");
            test::typeInto(editor->DBEdit3, "X");
            QCOMPARE(recorder->shown().size(), size_t(2));
            QVERIFY(Dm2->ADOEditPacientes->state() != State::Insert);
            QTest::mouseClick(editor->BitBtn1, Qt::LeftButton);
        }
        QCOMPARE(count("select count(*) from Pacientes"), before);
        recorder->clear();
        // The file is back: the first key shows the patient, and is not applied to a text
        // the user has not seen.
        test::typeInto(editor->DBEdit8, "X");
        QCOMPARE(editor->DBEdit8->text(), "3333-4444");
        QCOMPARE(editor->DBEdit3->text(), "Carlos Dias");
        editor->DBEdit8->selectAll();
        test::typeInto(editor->DBEdit8, "2222-1111");
        QCOMPARE(Dm2->ADOEditPacientes->state(), State::Edit);
        QTest::mouseClick(editor->BitBtn1, Qt::LeftButton);
        QCOMPARE(recorder->texts(), QStringList());
        QCOMPARE(count("select count(*) from Pacientes"), before);
        QCOMPARE(tel(5), "2222-1111");
    }

    // A stored text longer than its column's width (written by an older file or another tool).
    // Catches the box cutting it to the width, and a save of another box writing it back cut.
    void textLongerThanItsColumn() {
        if (test::onServer())
            QSKIP("the server holds no text longer than its column");
        const QString name = QString("Maria ").repeated(15); // 90 characters, the width is 80
        folder->execUnchecked(
            QStringLiteral("update Pacientes set nome = '%1' where inscricao = 5").arg(name));
        auto editor = openEditor(5);
        QCOMPARE(editor->DBEdit3->text(), name);
        editor->DBEdit3->setFocus();
        editor->DBEdit8->selectAll();
        test::typeInto(editor->DBEdit8, "2222-1111");
        QTest::mouseClick(editor->BitBtn1, Qt::LeftButton);
        QCOMPARE(recorder->texts(), QStringList());
        QCOMPARE(tel(5), "2222-1111");
        QCOMPARE(folder->scalar("select nome from Pacientes where inscricao = 5").toString(), name);
        QCOMPARE(editor->DBEdit3->text(), name);
    }

    // Catches a wrong first focus, tab order, labels, fonts or client size.
    void layout() {
        auto editor = openEditor(5);
        QCOMPARE(editor->size(), QSize(742, 536));
        QCOMPARE(QApplication::focusWidget(), editor->Button1);
        QCOMPARE(test::tabChain(editor->Button1, 15),
                 (QStringList{"BitBtn1", "DBEdit2", "DBEdit3", "DBEdit4", "DBEdit5", "DBEdit6",
                              "DBEdit7", "DBEdit8", "DBEdit9", "DBEdit10", "DBEdit11", "DBEdit12",
                              "DBEdit13", "BitBtn2", "BitBtn3"}));
        const QList<std::pair<QLabel*, DBEdit*>> pairs = {{editor->Label1, editor->DBEdit1},
                                                          {editor->Label3, editor->DBEdit3},
                                                          {editor->Label10, editor->DBEdit10},
                                                          {editor->Label13, editor->DBEdit13}};
        for (const auto& [label, box] : pairs)
            QCOMPARE(label->buddy(), box);
        QCOMPARE(editor->Label10->text(), "RG:");
        QCOMPARE(editor->DBEdit10->dataField(), "identidade");
        QVERIFY(editor->DBEdit3->font().bold());
        QCOMPARE(editor->DBEdit3->font().pointSize(), 10);
        QCOMPARE(editor->DBEdit13->width(), 73);
        QCOMPARE(editor->BitBtn1->size(), QSize(152, 46));
        QVERIFY(editor->DBNavigator1->isHidden());
    }
};

QTEST_MAIN(TstPatientEditor)
#include "tst_patient_editor.moc"
