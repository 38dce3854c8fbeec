// Dataset operations, states, errors and the engine's text comparison.

#include "db/dataset.h"
#include "db/dm2.h"
#include "db/engine.h"
#include "tests/support/fixture.h"
#include "tests/support/server.h"

#include <QtTest>

using namespace corvalen;
using db::Dataset;
using State = Dataset::State;

class TstDataset : public QObject {
    Q_OBJECT

    std::unique_ptr<test::DataFolder> folder;
    std::unique_ptr<test::MessageRecorder> recorder;

    Dataset* patients() {
        auto* d = new Dataset("ADOPac", this);
        d->setSql({"select * from Pacientes", "order by inscricao"});
        d->open();
        return d;
    }

private slots:
    void init() {
        recorder = std::make_unique<test::MessageRecorder>();
        folder = std::make_unique<test::DataFolder>();
        folder->exec("insert into Pacientes (nome, tel) values ('Ana', '1234'), ('Bruno', "
                     "'5678'), ('Carla', '9999')");
        folder->openDataModule();
        QVERIFY2(recorder->shown().empty(), qPrintable(recorder->last()));
    }
    void cleanup() {
        folder.reset();
        recorder.reset();
    }

    // Each operation from each state: catches a wrong state, cursor or error text.
    void operations_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("state");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("rowsInTable");

        QTest::newRow("open on open does nothing") << "browse"
                                                   << "open"
                                                   << "browse" << 3 << "Ana"
                                                   << "" << 3;
        QTest::newRow("close drops rows") << "browse"
                                          << "close"
                                          << "inactive" << 0 << ""
                                          << "" << 3;
        QTest::newRow("edit") << "browse"
                              << "edit"
                              << "edit" << 3 << "Ana"
                              << "" << 3;
        QTest::newRow("insert") << "browse"
                                << "insert"
                                << "insert" << 4 << ""
                                << "" << 3;
        QTest::newRow("post without pending") << "browse"
                                              << "post"
                                              << "browse" << 3 << "Ana"
                                              << "ADOPac: Dataset not in edit or insert mode" << 3;
        QTest::newRow("post insert") << "insert-typed"
                                     << "post"
                                     << "browse" << 4 << "Zeca"
                                     << "" << 4;
        QTest::newRow("cancel insert") << "insert-typed"
                                       << "cancel"
                                       << "browse" << 3 << "Ana"
                                       << "" << 3;
        QTest::newRow("delete in insert drops") << "insert-typed"
                                                << "delete"
                                                << "browse" << 3 << "Ana"
                                                << "" << 3;
        QTest::newRow("next posts changed") << "edit-typed"
                                            << "next"
                                            << "browse" << 3 << "Bruno"
                                            << "" << 3;
        QTest::newRow("next drops unchanged insert") << "insert"
                                                     << "next"
                                                     << "browse" << 3 << "Bruno"
                                                     << "" << 3;
        QTest::newRow("delete moves to following") << "browse"
                                                   << "delete"
                                                   << "browse" << 2 << "Bruno"
                                                   << "" << 2;
        QTest::newRow("last") << "browse"
                              << "last"
                              << "browse" << 3 << "Carla"
                              << "" << 3;
        QTest::newRow("prior at first") << "browse"
                                        << "prior"
                                        << "browse" << 3 << "Ana"
                                        << "" << 3;
        QTest::newRow("edit on empty inserts") << "empty"
                                               << "edit"
                                               << "insert" << 1 << ""
                                               << "" << 0;
        QTest::newRow("delete on empty")
            << "empty"
            << "delete"
            << "browse" << 0 << ""
            << "ADOPac: Cannot perform this operation on an empty dataset" << 0;
        QTest::newRow("requery keeps filter") << "filtered"
                                              << "requery"
                                              << "browse" << 1 << "Bruno"
                                              << "" << 3;
    }
    void operations() {
        QFETCH(QString, before);
        QFETCH(QString, operation);
        Dataset* d = patients();
        if (before == "empty") {
            folder->exec("delete from Pacientes");
            d->requery();
        } else if (before == "insert" || before == "insert-typed") {
            d->insert();
            if (before == "insert-typed")
                d->fieldByName("nome").setAsString("Zeca");
        } else if (before == "edit-typed") {
            d->edit();
            d->fieldByName("nome").setAsString("Ana Maria");
        } else if (before == "filtered") {
            d->setAcceptRule(
                [](Dataset& ds) { return ds.fieldByName("nome").asString() == "Bruno"; });
            d->setFiltered(true);
        }
        const QString error = test::errorOf([&] {
            static const std::map<QString, std::function<void(Dataset*)>> ops = {
                {"open", [](Dataset* x) { x->open(); }},
                {"close", [](Dataset* x) { x->close(); }},
                {"edit", [](Dataset* x) { x->edit(); }},
                {"insert", [](Dataset* x) { x->insert(); }},
                {"post", [](Dataset* x) { x->post(); }},
                {"cancel", [](Dataset* x) { x->cancel(); }},
                {"delete", [](Dataset* x) { x->remove(); }},
                {"next", [](Dataset* x) { x->next(); }},
                {"last", [](Dataset* x) { x->last(); }},
                {"prior", [](Dataset* x) { x->prior(); }},
                {"requery", [](Dataset* x) { x->requery(); }},
            };
            ops.at(operation)(d);
        });
        QTEST(error, "error");
        QTEST(Dataset::stateName(d->state()), "state");
        QTEST(d->isOpen() ? d->recordCount() : 0, "rows");
        QTEST(d->isOpen() && d->recordCount() ? d->fieldByName("nome").asString() : QString(),
              "current");
        QTEST(folder->scalar("select count(*) from Pacientes").toInt(), "rowsInTable");
    }

    // An insert gets its key from the database at once; an update reaches the table by key.
    void postWritesThroughKey() {
        Dataset* d = patients();
        d->insert();
        QVERIFY(d->fieldByName("inscricao").isNull());
        d->fieldByName("nome").setAsString("Zeca");
        d->post();
        const int code = d->fieldByName("inscricao").asInteger();
        QCOMPARE(folder->scalar(QString("select nome from Pacientes where inscricao=%1").arg(code))
                     .toString(),
                 "Zeca");
        d->first(); // the new row was inserted before Ana
        d->next();
        d->edit();
        d->fieldByName("tel").setAsString("0000");
        d->post();
        QCOMPARE(folder->scalar("select tel from Pacientes where nome='Ana'").toString(), "0000");
        QCOMPARE(folder->scalar("select tel from Pacientes where nome='Bruno'").toString(), "5678");
    }

    // The rows cannot be read. Catches a failed read leaving the dataset looking empty (no
    // rows, Edit turning into Insert) instead of raising again, and one that is not retried
    // once the file can be read again.
    void failedReadIsNotEmpty() {
        Dataset* d = patients();
        {
            const test::ReadFailure failing;
            for (int attempt = 0; attempt < 2; ++attempt) {
                QVERIFY(!test::errorOf([&] { d->recordCount(); }).isEmpty());
                QVERIFY(!test::errorOf([&] { d->edit(); }).isEmpty());
                QCOMPARE(d->state(), State::Browse);
            }
        }
        QCOMPARE(d->recordCount(), 3);
        QCOMPARE(d->fieldByName("nome").asString(), "Ana");
        d->edit();
        QCOMPARE(d->state(), State::Edit);
    }

    // A table without a key (Clinica) is updated by its original values.
    void updateWithoutKey() {
        Dataset* d = Dm2->ADOClinica;
        d->edit();
        d->fieldByName("cidade").setAsString("Recife");
        d->post();
        QCOMPARE(folder->scalar("select cidade from Clinica").toString(), "Recife");
        QCOMPARE(folder->scalar("select count(*) from Clinica").toInt(), 1);
    }

    // A refused post keeps the row pending with the engine's own text.
    void refusedPostStaysPending() {
        Dataset* d = patients();
        d->edit();
        d->fieldByName("cep").setAsString("123456789012345");
        const QString error = test::errorOf([&] { d->post(); });
        QVERIFY2(error.contains(test::onServer() ? "value too long" : "CHECK constraint failed"),
                 qPrintable(error));
        QCOMPARE(d->state(), State::Edit);
        QCOMPARE(d->fieldByName("cep").asString(), "123456789012345");
        QVERIFY(folder->scalar("select cep from Pacientes where nome='Ana'").isNull());
    }

    // Field errors and conversions carry the texts the windows show.
    void fieldErrors() {
        Dataset* d = patients();
        QCOMPARE(test::errorOf([&] { d->fieldByName("nada"); }), "ADOPac: Field 'nada' not found");
        QCOMPARE(test::errorOf([&] { d->fieldByName("nome").setAsString("x"); }),
                 "ADOPac: Dataset not in edit or insert mode");
        QCOMPARE(test::errorOf([&] { d->fieldByName("nome").asInteger(); }),
                 "'Ana' is not a valid integer value");
        QCOMPARE(test::errorOf([&] { d->fieldByName("cpf").asInteger(); }),
                 "Could not convert variant of type (Null) into type (Integer)");
        Dm2->ADOConsulta->insert();
        QCOMPARE(
            test::errorOf([&] { Dm2->ADOConsulta->fieldByName("Cod_pac").setAsString("12a"); }),
            "'12a' is not a valid integer value");
        QCOMPARE(
            test::errorOf([&] { Dm2->ADOConsulta->fieldByName("Data").setAsString("31/02/2026"); }),
            "'31/02/2026' is not a valid date");
        Dm2->ADOConsulta->cancel();
        QCOMPARE(test::errorOf([&] { d->field(7); }), QString());
        QCOMPARE(test::errorOf([&] { d->field(13); }), "List index out of bounds (13)");
    }

    // Dates and times typed as text are stored as a day and a time of day to the minute.
    void datesAndTimes() {
        Dataset* c = Dm2->ADOConsulta;
        c->insert();
        c->fieldByName("Data").setAsString("09/12/2026");
        c->fieldByName("Hora").setAsString("14:35");
        c->fieldByName("Cod_pac").setAsString("2");
        c->post();
        QCOMPARE(folder->scalar("select Data from Consultas").toDate(), QDate(2026, 12, 9));
        QCOMPARE(folder->scalar("select Hora from Consultas").toTime(), QTime(14, 35));
        if (!test::onServer()) // the text SQLite holds, as other tools read it
            QCOMPARE(folder->scalar("select Hora from Consultas").toString(), "14:35");
        QCOMPARE(c->fieldByName("Hora").displayText(), "14:35");
        QCOMPARE(c->fieldByName("Data").asString(), "09/12/2026");
    }

    // Named parameters given as text are converted by the column they are compared with.
    // Catches a text shaped like a date or a time rewritten for a text column (a login
    // "1/2/2000" looked up as "2000-02-01"), and dates, times and numbers not converted for
    // their columns.
    void parameters_data() {
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("found");
        QTest::newRow("date-shaped login") << "Usuarios.nome = :p"
                                           << "1/2/2000" << 1;
        QTest::newRow("time-shaped login") << "nome = :p"
                                           << "10:30" << 1;
        QTest::newRow("login as stored") << ":p = Usuarios.nome"
                                         << "2000-02-01" << 0;
        QTest::newRow("date") << "Consultas.Data = :p"
                              << "9/12/2026" << 1;
        QTest::newRow("date between") << "Data Between :p And '2026-12-31'"
                                      << "01/12/2026" << 1;
        QTest::newRow("date after") << "Data >= :p"
                                    << "10/12/2026" << 0;
        QTest::newRow("same parameter twice") << "Data Between :p And :p"
                                              << "09/12/2026" << 1;
        QTest::newRow("time") << "Hora = :p"
                              << "14:35" << 1;
        QTest::newRow("integer") << "Cod_pac=:p"
                                 << "2" << 1;
        QTest::newRow("other integer") << "Cod_pac = :p"
                                       << "3" << 0;
    }
    void parameters() {
        QFETCH(QString, condition);
        QFETCH(QString, value);
        folder->exec("insert into Usuarios (cod, nome, nivel) values (7, '1/2/2000', 0), "
                     "(8, '10:30', 0)");
        folder->exec("insert into Consultas (Data, Hora, Cod_pac, Cod_med) "
                     "values ('2026-12-09', '14:35', 2, 7)");
        Dataset* d = Dm2->ADORelatData;
        d->setSql({"SELECT Usuarios.cod FROM Usuarios",
                   "LEFT JOIN Consultas ON Consultas.Cod_med = Usuarios.cod",
                   "WHERE " + condition});
        d->setParameter("p", value);
        d->open();
        QTEST(d->recordCount(), "found");
    }

    // A typed text with quotes reaches the database as a value, never as SQL.
    void quotesAreValues() {
        Dataset* d = Dm2->ADOQuery1;
        d->setSql({"SELECT * from Usuarios where nome =:nome;"});
        d->setParameter("nome", "\" or \"\"=\"");
        d->open();
        QCOMPARE(d->recordCount(), 0);
        d->close();
        d->setParameter("nome", "ADMIN");
        d->open();
        QCOMPARE(d->recordCount(), 1);
        // Digits given for a text column stay text: "007" is not the user "7".
        folder->exec("insert into Usuarios (nome, nivel) values ('007', 0)");
        for (const auto& [typed, found] : {std::pair{"007", 1}, {"7", 0}, {" 007", 0}}) {
            d->close();
            d->setParameter("nome", typed);
            d->open();
            QCOMPARE(d->recordCount(), found);
        }
        Dataset* p = patients();
        p->edit();
        p->fieldByName("nome").setAsString("O'Brien \"; drop table Pacientes; --");
        p->post();
        QCOMPARE(folder->scalar("select count(*) from Pacientes").toInt(), 3);
    }

    // "=" ignores letter case also for accented letters; ORDER BY puts accents beside their base
    // letter and small and capital letters together.
    void textComparison() {
        folder->exec("delete from Pacientes");
        folder->exec(
            "insert into Pacientes (nome) values ('joão'), ('Zé'), ('Álvaro'), ('beatriz'), "
            "('Ana'), ('Bruno'), ('Édson'), ('ana')");
        Dataset* d = patients();
        d->close();
        d->setSql({"select nome from Pacientes where nome = :n"});
        d->setParameter("n", "JOÃO");
        d->open();
        QCOMPARE(d->recordCount(), 1);
        d->close();
        d->setParameter("n", "Joao");
        d->open();
        QCOMPARE(d->recordCount(), 0);
        d->close();
        d->setSql({"select nome from Pacientes", " order by nome"});
        d->open();
        QStringList names;
        for (d->first(); !d->eof(); d->next())
            names << d->field(0).asString();
        QCOMPARE(names.first(), "Álvaro");
        QCOMPARE(QSet<QString>(names.begin() + 1, names.begin() + 3),
                 QSet<QString>({"Ana", "ana"}));
        QCOMPARE(names.mid(3), QStringList({"beatriz", "Bruno", "Édson", "joão", "Zé"}));
        QVERIFY(db::engine::compareText("ana", "ANA") == 0);
        QVERIFY(db::engine::compareText("Ávila", "Azevedo") < 0);
        // The plain-ASCII shortcut agrees with the full comparison where the texts mix both.
        const std::vector<std::tuple<QString, QString, int>> pairs = {
            {"ANA", "ana", 0},      {"Ana", "Ana Maria", -1}, {"ana", "Ána", -1},
            {"Ze", "Zé", -1},       {"Zé", "ZE", 1},          {"Joao", "João Paulo", -1},
            {"Maria", "MARIO", -1}, {"Ávila", "avila", 1},    {"abc", "ABD", -1}};
        for (const auto& [a, b, sign] : pairs) {
            QCOMPARE(std::clamp(db::engine::compareText(a, b), -1, 1), sign);
            QCOMPARE(std::clamp(db::engine::compareText(b, a), -1, 1), -sign);
        }
    }

    // The filter switch: off shows every row, on applies the rule; the cursor goes to the
    // first. Catches a deleted row coming back when the switch rebuilds the list.
    void filterSwitch() {
        Dataset* d = patients();
        d->last();
        d->setAcceptRule([](Dataset& ds) {
            return ds.fieldByName("tel").asString().startsWith("5") ||
                   ds.fieldByName("tel").asString().startsWith("9");
        });
        d->setFiltered(true);
        QCOMPARE(d->recordCount(), 2);
        QCOMPARE(d->fieldByName("nome").asString(), "Bruno");
        d->setFiltered(false);
        QCOMPARE(d->recordCount(), 3);
        QCOMPARE(d->recNo(), 0);

        d->setFiltered(true);
        d->remove(); // Bruno
        d->setFiltered(false);
        QCOMPARE(d->recordCount(), 2);
        d->setFiltered(true);
        QCOMPARE(d->recordCount(), 1);
        QVERIFY(d->fieldByName("nome").asString() != "Bruno");
    }

    // A row scope (a grid drawing one cell): catches fields reading the cursor's row instead
    // of the scoped one, the pending values of the edited row being bypassed, or the scope
    // not ending.
    void rowScopeReadsScopedRow() {
        Dataset* d = patients();
        d->next();
        d->edit();
        d->fieldByName("nome").setAsString("Bruna");
        {
            const Dataset::RowScope scope(*d, 2);
            QCOMPARE(d->fieldByName("nome").asString(), "Carla");
        }
        {
            const Dataset::RowScope scope(*d, 1);
            QCOMPARE(d->fieldByName("nome").asString(), "Bruna");
        }
        QCOMPARE(d->fieldByName("nome").asString(), "Bruna");
        QCOMPARE(d->recNo(), 1);
    }
};

QTEST_MAIN(TstDataset)
#include "tst_dataset.moc"
