// Bound text box, memo, radio group and lookup combo box; the single-row reload and the
// closing of a window with a pending row.

#include "db/dm2.h"
#include "db/widgets/dbcontrols.h"
#include "db/widgets/form.h"
#include "tests/support/fixture.h"

#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QtTest>

using namespace corvalen;
using State = db::Dataset::State;

namespace {

// A window with a close query a test can answer.
class TestForm : public Form {
public:
    bool allowClose = true;

protected:
    bool FormCloseQuery() override { return allowClose; }
};

} // namespace

class TstBoundControls : public QObject {
    Q_OBJECT

    std::unique_ptr<test::MessageRecorder> recorder;
    std::unique_ptr<test::DataFolder> folder;
    std::unique_ptr<TestForm> window;
    QPushButton* other = nullptr; // somewhere else to put the focus

    db::Dataset* patients() { return Dm2->ADOEditPacientes; }

    void showWindow() {
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

    // Types into a control as a user would: focus, then keys.
    static void type(QWidget* w, const QString& text) {
        w->setFocus();
        QTest::keyClicks(w, text);
    }

private slots:
    void init() {
        recorder = std::make_unique<test::MessageRecorder>();
        folder = std::make_unique<test::DataFolder>();
        folder->exec("insert into Pacientes (nome, cep) values ('Ana', '111'), ('Bruno', '222')");
        folder->openDataModule();
        patients()->setSql({"select * from Pacientes", "order by inscricao"});
        patients()->open();
        window = std::make_unique<TestForm>();
        window->setupForm("Teste", 400, 300);
        other = new QPushButton("Outro", window.get());
        other->move(300, 250);
    }
    void cleanup() {
        window.reset();
        folder.reset();
        recorder.reset();
    }

    // Catches a box showing a stale row, text while closed or without rows, or a time
    // without its display format.
    void boxShowsCurrentRow() {
        auto* nome = new DBEdit(Dm2->DataSource7, "nome", window.get());
        QCOMPARE(nome->text(), "Ana");
        patients()->next();
        QCOMPARE(nome->text(), "Bruno");
        patients()->close();
        QCOMPARE(nome->text(), "");
        patients()->setSql({"select * from Pacientes where inscricao < 0"});
        patients()->open();
        QCOMPARE(nome->text(), "");

        folder->exec("insert into Consultas (Cod_pac, Hora, Data) values (1, '14:35:20', "
                     "'2015-08-31')");
        Dm2->ADOConsulta->requery();
        auto* hora = new DBEdit(Dm2->DataSource8, "Hora", window.get());
        auto* data = new DBEdit(Dm2->DataSource8, "Data", window.get());
        QCOMPARE(hora->text(), "14:35");
        QCOMPARE(data->text(), "31/08/2015");
    }

    // Catches auto-edit failing on an empty dataset: the first key must start a new row and
    // stay in the box.
    void typingOnEmptyDatasetStartsNewRow() {
        patients()->setSql({"select * from Pacientes where inscricao < 0"});
        patients()->open();
        auto* nome = new DBEdit(Dm2->DataSource7, "nome", window.get());
        auto* cep = new DBEdit(Dm2->DataSource7, "cep", window.get());
        cep->move(0, 30);
        showWindow();
        type(nome, "Zeca");
        QCOMPARE(patients()->state(), State::Insert);
        QCOMPARE(nome->text(), "Zeca");
        type(cep, "333");
        patients()->post();
        QCOMPARE(folder->scalar("select cep from Pacientes where nome = 'Zeca'").toString(), "333");
    }

    // Catches typing without edit state, a text not copied at focus-out or at post, or one
    // box's typing lost when another field changes.
    void typingEditsAndTextReachesField() {
        auto* nome = new DBEdit(Dm2->DataSource7, "nome", window.get());
        auto* cep = new DBEdit(Dm2->DataSource7, "cep", window.get());
        cep->move(0, 30);
        showWindow();
        nome->setFocus();
        nome->end(false);
        QTest::keyClicks(nome, "na");
        QCOMPARE(patients()->state(), State::Edit);
        QCOMPARE(patients()->fieldByName("nome").asString(), "Ana"); // not copied yet
        QTest::keyClick(nome, Qt::Key_Tab);
        QCOMPARE(patients()->fieldByName("nome").asString(), "Anana");
        cep->selectAll();
        QTest::keyClicks(cep, "999");
        QCOMPARE(nome->text(), "Anana");
        patients()->post(); // copies the box that still has the focus
        QCOMPARE(folder->scalar("select nome || '/' || cep from Pacientes where inscricao = 1")
                     .toString(),
                 "Anana/999");
    }

    // Catches Esc keeping typed text, or closing the window from a bound box.
    void escapeDropsTyping() {
        auto* nome = new DBEdit(Dm2->DataSource7, "nome", window.get());
        showWindow();
        type(nome, "x");
        QTest::keyClick(nome, Qt::Key_Escape);
        QCOMPARE(nome->text(), "Ana");
        QVERIFY(window->isVisible());
    }

    // Catches a text column accepting more than its width (cep is 10 characters), and a
    // numeric column accepting letters.
    void typingLimitedToColumn() {
        auto* cep = new DBEdit(Dm2->DataSource7, "cep", window.get());
        auto* numero = new DBEdit(Dm2->DataSource8, "Cod_pac", window.get());
        numero->move(0, 30);
        showWindow();
        cep->setFocus();
        cep->selectAll();
        QTest::keyClicks(cep, "123456789012345");
        QCOMPARE(cep->text(), "1234567890");
        patients()->post();
        QCOMPARE(folder->scalar("select cep from Pacientes where inscricao = 1").toString(),
                 "1234567890");
        type(numero, "a1b2-");
        QCOMPARE(numero->text(), "12-");
    }

    // Catches a failed conversion that loses the focus, leaves the text unselected, is not
    // reported, or reaches the database.
    void failedConversionKeepsFocusInBox() {
        auto* data = new DBEdit(Dm2->DataSource8, "Data", window.get());
        showWindow();
        type(data, "31/02/2015");
        QCOMPARE(Dm2->ADOConsulta->state(), State::Insert);
        QTest::keyClick(data, Qt::Key_Tab);
        QTRY_COMPARE(recorder->texts(), QStringList({"'31/02/2015' is not a valid date."}));
        QVERIFY(data->hasFocus());
        QCOMPARE(data->selectedText(), "31/02/2015");
        QVERIFY(!messages::guarded([] { Dm2->ADOConsulta->post(); }));
        QCOMPARE(recorder->texts().size(), 2);
        QCOMPARE(recorder->last(), "'31/02/2015' is not a valid date.");
        QCOMPARE(Dm2->ADOConsulta->state(), State::Insert);
        QCOMPARE(folder->scalar("select count(*) from Consultas").toInt(), 0);
        // Corrected, it goes through.
        QTest::keyClicks(data, "28/02/2015");
        Dm2->ADOConsulta->post();
        QCOMPARE(folder->scalar("select Data from Consultas").toString(), "2015-02-28");
    }

    // Catches a click on a button reporting a failed conversion twice (once for the box's
    // exit, once for the button's post).
    void failedConversionReportedOnceWhenSaving() {
        auto* data = new DBEdit(Dm2->DataSource8, "Data", window.get());
        auto* nav = new DBNavigator(Dm2->DataSource8, window.get());
        nav->hide();
        connect(other, &QPushButton::clicked, this,
                [nav] { messages::guarded([nav] { nav->run(DBNavigator::Post); }); });
        showWindow();
        type(data, "99/99/2015");
        QTest::mouseClick(other, Qt::LeftButton);
        QTest::qWait(20);
        QCOMPARE(recorder->texts(), QStringList({"'99/99/2015' is not a valid date."}));
        QVERIFY(data->hasFocus());
        QCOMPARE(folder->scalar("select count(*) from Consultas").toInt(), 0);
    }

    // Catches text that the window's code puts into a disabled box not reaching the field
    // (the consultation window fills its stamps that way), and a disabled box taking keys.
    void codeFilledDisabledBoxReachesField() {
        auto* codPac = new DBEdit(Dm2->DataSource8, "Cod_pac", window.get());
        codPac->setEnabled(false);
        showWindow();
        auto* nav = new DBNavigator(Dm2->DataSource8, window.get());
        nav->run(DBNavigator::Insert);
        codPac->setText("7");
        QTest::keyClicks(codPac, "9");
        QCOMPARE(codPac->text(), "7");
        nav->run(DBNavigator::Post);
        QCOMPARE(folder->scalar("select Cod_pac from Consultas").toInt(), 7);
    }

    // Catches a password box showing its characters.
    void passwordShowsStars() {
        folder->exec("update Usuarios set senha = 'abc12'");
        Dm2->ADOEditUsuarios->requery();
        auto* senha = new DBEdit(Dm2->DataSource3, "senha", window.get());
        senha->setPasswordChar('*');
        QCOMPARE(senha->text(), "abc12");
        QCOMPARE(senha->displayText(), "*****");
    }

    // Catches a box on a closed dataset crashing or starting anything when typed into.
    void closedDatasetIgnoresTyping() {
        patients()->close();
        auto* nome = new DBEdit(Dm2->DataSource7, "nome", window.get());
        auto* memo = new DBMemo(Dm2->DataSource7, "rua", window.get());
        auto* group = new DBRadioGroup("Nível", Dm2->DataSource3, "nivel", window.get());
        group->setItems({"Comum", "Admin"}, {"0", "1"});
        Dm2->ADOEditUsuarios->close();
        memo->move(0, 30);
        group->move(0, 100);
        showWindow();
        type(nome, "abc");
        type(memo, "abc");
        QTest::mouseClick(group->findChildren<QRadioButton*>().at(0), Qt::LeftButton);
        QCOMPARE(nome->text(), "");
        QCOMPARE(memo->toPlainText(), "");
        QCOMPARE(group->itemIndex(), -1);
        QCOMPARE(patients()->state(), State::Inactive);
        QVERIFY2(recorder->shown().empty(), qPrintable(recorder->last()));
    }

    // Catches a memo storing bare line feeds, taking keys while read-only, or hiding its
    // vertical scroll bar.
    void memoKeepsLinesAndReadOnly() {
        Dm2->ADOConsulta->insert();
        auto* memo = new DBMemo(Dm2->DataSource8, "Prontuario", window.get());
        auto* anamnese = new DBMemo(Dm2->DataSource8, "Anamnese", window.get());
        anamnese->move(0, 120);
        anamnese->setReadOnly(true);
        showWindow();
        QCOMPARE(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        memo->setText(memo->text() + "\r\nUso INT:\r\n\r\n ");
        memo->setFocus();
        memo->moveCursor(QTextCursor::End);
        QTest::keyClicks(memo, "dipirona");
        QTest::keyClick(memo, Qt::Key_Return);
        QTest::keyClicks(memo, "x");
        QTest::keyClicks(anamnese, "nada");
        Dm2->ADOConsulta->post();
        QCOMPARE(folder->scalar("select Prontuario from Consultas").toString(),
                 "\r\nUso INT:\r\n\r\n dipirona\r\nx");
        QVERIFY(folder->scalar("select Anamnese from Consultas").isNull());
        Dm2->ADOConsulta->requery();
        QCOMPARE(memo->text(), "\r\nUso INT:\r\n\r\n dipirona\r\nx");
    }

    // Catches the radio group selecting an item that does not match (a new row must show none),
    // a click not starting edit state, or its value not reaching the field.
    void radioGroupFollowsField() {
        folder->exec("insert into Usuarios (nome, senha, nivel) values ('rita', 'x', 0)");
        Dm2->ADOEditUsuarios->setSql({"select * from Usuarios", "order by cod"});
        Dm2->ADOEditUsuarios->open();
        auto* group = new DBRadioGroup("Nível de acesso:", Dm2->DataSource3, "nivel", window.get());
        group->setItems({"Usuario comum", "Administrador"}, {"0", "1"});
        showWindow();
        QCOMPARE(group->itemIndex(), 1); // the administrator
        Dm2->ADOEditUsuarios->next();
        QCOMPARE(group->itemIndex(), 0);
        auto* nav = new DBNavigator(Dm2->DataSource3, window.get());
        nav->run(DBNavigator::Insert);
        QCOMPARE(group->itemIndex(), -1);
        const auto buttons = group->findChildren<QRadioButton*>();
        QVERIFY(std::none_of(buttons.begin(), buttons.end(),
                             [](QRadioButton* b) { return b->isChecked(); }));
        nav->run(DBNavigator::Cancel);
        QCOMPARE(group->itemIndex(), 0);
        QTest::mouseClick(buttons.at(1), Qt::LeftButton);
        QCOMPARE(Dm2->ADOEditUsuarios->state(), State::Edit);
        QCOMPARE(group->itemIndex(), 1);
        QCOMPARE(Dm2->ADOEditUsuarios->fieldByName("nivel").asString(), "0"); // not yet
        Dm2->ADOEditUsuarios->first(); // the browse-mode check sees the row changed and posts
        QCOMPARE(folder->scalar("select nivel from Usuarios where nome = 'rita'").toInt(), 1);
    }

    // Catches the lookup choosing a row by itself, a wrong key, or a list that does not follow
    // the rows its dataset holds.
    void lookupGivesChosenKey() {
        folder->exec("insert into Usuarios (nome, senha, nivel, medico) values ('rita', 'x', 0, "
                     "'Dra. Rita')");
        Dm2->ADOEditUsuarios->setSql({"select * from Usuarios", "order by cod"});
        Dm2->ADOEditUsuarios->open();
        auto* lookup = new DBLookupComboBox(Dm2->DataSource3, "cod", "medico", window.get());
        showWindow();
        QCOMPARE(lookup->count(), 2);
        QCOMPARE(lookup->currentIndex(), -1);
        QCOMPARE(lookup->keyValue(), "");
        lookup->setCurrentIndex(1);
        QCOMPARE(lookup->currentText(), "Dra. Rita");
        QCOMPARE(lookup->keyValue(), "2");
        QCOMPARE(Dm2->ADOEditUsuarios->recNo(), 0); // the list's cursor never moves
        Dm2->ADOEditUsuarios->setSql({"SELECT * from Usuarios", "where cod =1;"});
        Dm2->ADOEditUsuarios->open();
        QCOMPARE(lookup->count(), 1);
        QCOMPARE(lookup->keyValue(), "");
    }

    // Catches the reload helper building other SQL than the two lines, or key 0 touching the
    // SQL instead of inserting, hiding the remove button and setting the caption.
    void singleRowReload() {
        auto* nav = new DBNavigator(Dm2->DataSource7, window.get());
        auto* remove = new QPushButton("Remover", window.get());
        QVERIFY(!window->loadRecord(nav, "Pacientes", "inscricao", 2, remove, "Novo"));
        QCOMPARE(patients()->sql(),
                 QStringList({"SELECT * from Pacientes", "where inscricao =2;"}));
        QCOMPARE(patients()->recordCount(), 1);
        QCOMPARE(patients()->fieldByName("nome").asString(), "Bruno");
        QVERIFY(!remove->isHidden());
        QCOMPARE(window->windowTitle(), "Teste");

        QVERIFY(window->loadRecord(nav, "Pacientes", "inscricao", 0, remove,
                                   "Adicionar Novo Paciente"));
        QCOMPARE(patients()->sql(),
                 QStringList({"SELECT * from Pacientes", "where inscricao =2;"}));
        QCOMPARE(patients()->state(), State::Insert);
        QVERIFY(remove->isHidden());
        QCOMPARE(window->windowTitle(), "Adicionar Novo Paciente");

        QVERIFY(!window->loadRecord(nav, "Pacientes", "inscricao", 99));
        QCOMPARE(patients()->recordCount(), 0);
    }

    // Catches a window closing (close box, reject, hide, destruction) that leaves a half-typed
    // row pending, which the next editor's Insert would post; and a close query that says no
    // being overridden.
    void closingDropsPendingRow_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("close box") << "close";
        QTest::newRow("reject") << "reject";
        QTest::newRow("hide") << "hide";
        QTest::newRow("destroyed while shown") << "destroy";
    }
    void closingDropsPendingRow() {
        QFETCH(QString, how);
        auto* nome = new DBEdit(Dm2->DataSource7, "nome", window.get());
        showWindow();
        type(nome, "Meio digitado");
        QCOMPARE(patients()->state(), State::Edit);
        if (how == "close")
            QVERIFY(window->close());
        else if (how == "reject")
            window->reject();
        else if (how == "hide")
            window->hide();
        else
            window.reset();
        QCOMPARE(patients()->state(), State::Browse);
        patients()->insert();
        patients()->fieldByName("nome").setAsString("Outro");
        patients()->post();
        QCOMPARE(folder->scalar("select group_concat(nome) from Pacientes").toString(),
                 "Ana,Bruno,Outro");
    }
    void closeQueryCanKeepWindowOpen() {
        auto* nome = new DBEdit(Dm2->DataSource7, "nome", window.get());
        showWindow();
        type(nome, "x");
        window->allowClose = false;
        QVERIFY(!window->close());
        window->reject();
        QVERIFY(window->isVisible());
        QCOMPARE(patients()->state(), State::Edit);
        QCOMPARE(nome->text(), "Anax");
    }
};

QTEST_MAIN(TstBoundControls)
#include "tst_boundcontrols.moc"
