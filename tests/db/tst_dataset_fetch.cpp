// When a dataset reads its rows: the current row of a freshly opened dataset is read alone, so
// that a bound control at start-up does not pull a whole table into memory; a new row is
// started without reading any; and the rows read stay as they were read.

#include "db/dataset.h"
#include "db/dm2.h"
#include "tests/support/fixture.h"

#include <QSignalSpy>
#include <QSqlDriver>
#include <QtTest>
#include <sqlite3.h>

using namespace corvalen;
using db::Dataset;

namespace {

// Counts the rows the engine produces: the datasets below select seen(), which adds one each
// time the engine evaluates it for a row.
int rowsProduced = 0;

void seen(sqlite3_context* context, int, sqlite3_value**) {
    ++rowsProduced;
    sqlite3_result_int(context, 1);
}

} // namespace

class TstDatasetFetch : public QObject {
    Q_OBJECT

    std::unique_ptr<test::DataFolder> folder;
    std::unique_ptr<test::MessageRecorder> recorder;

    Dataset* patients() {
        auto* d = new Dataset("ADOPac", this);
        d->setSql({"select inscricao, nome, seen() as seen from Pacientes", "order by inscricao"});
        d->open();
        return d;
    }

private slots:
    void init() {
        recorder = std::make_unique<test::MessageRecorder>();
        folder = std::make_unique<test::DataFolder>();
        folder->exec("insert into Pacientes (nome) values ('Ana'), ('Bruno'), ('Carla')");
        TDm2* dm = folder->openDataModule();
        const QVariant handle = dm->ADOConnection1->database().driver()->handle();
        sqlite3* db = *static_cast<sqlite3* const*>(handle.data());
        QCOMPARE(
            sqlite3_create_function(db, "seen", 0, SQLITE_UTF8, nullptr, seen, nullptr, nullptr),
            SQLITE_OK);
        rowsProduced = 0;
    }
    void cleanup() {
        folder.reset();
        recorder.reset();
    }

    // Catches a bound control's first read fetching every row of the table.
    void currentRowIsReadAlone() {
        Dataset* d = patients();
        QCOMPARE(rowsProduced, 0);
        QCOMPARE(d->fieldByName("nome").asString(), QStringLiteral("Ana"));
        QCOMPARE(d->fieldByName("inscricao").asInteger(), 1);
        QCOMPARE(rowsProduced, 2); // the first row, and a peek at the second
        // Counting needs them all; the cursor is still on the first row.
        QCOMPARE(d->recordCount(), 3);
        QCOMPARE(rowsProduced, 2 + 3);
        QCOMPARE(d->recNo(), 0);
        QCOMPARE(d->fieldByName("nome").asString(), QStringLiteral("Ana"));
        d->next();
        QCOMPARE(d->fieldByName("nome").asString(), QStringLiteral("Bruno"));
        // A reopened dataset reads its first row afresh.
        d->requery();
        folder->exec("update Pacientes set nome = 'Alice' where inscricao = 1");
        QCOMPARE(d->fieldByName("nome").asString(), QStringLiteral("Alice"));
    }

    // Another connection changes the first row after this dataset showed it. Catches fetching
    // the rows swapping the shown values for the other's (a box's text changing under the
    // user's fingers), and a change announced when nothing changed for this dataset.
    void shownRowKeepsItsValues() {
        Dataset* d = patients();
        QCOMPARE(d->fieldByName("nome").asString(), QStringLiteral("Ana"));
        QSignalSpy moved(d, &Dataset::currentChanged);
        folder->exec("update Pacientes set nome = 'Ana Maria' where inscricao = 1");
        QCOMPARE(d->recordCount(), 3);
        QCOMPARE(moved.count(), 0);
        QCOMPARE(d->fieldByName("nome").asString(), QStringLiteral("Ana"));
        d->next();
        QCOMPARE(d->fieldByName("nome").asString(), QStringLiteral("Bruno"));
        // Re-read on purpose, it shows the new value.
        d->requery();
        QCOMPARE(d->fieldByName("nome").asString(), QStringLiteral("Ana Maria"));
    }

    // A record editor's dataset holds one row. Catches its first read leaving the rows to be
    // fetched again later (one more read, and a chance to see another workstation's values).
    void singleRowIsReadOnce() {
        auto* d = new Dataset("ADOOne", this);
        d->setSql({"select inscricao, nome, seen() from Pacientes", "where inscricao =2;"});
        d->open();
        QCOMPARE(d->fieldByName("nome").asString(), QStringLiteral("Bruno"));
        folder->exec("update Pacientes set nome = 'Bruna' where inscricao = 2");
        QCOMPARE(d->recordCount(), 1);
        d->edit();
        QCOMPARE(d->fieldByName("nome").asString(), QStringLiteral("Bruno"));
        QCOMPARE(rowsProduced, 1);
    }

    // Starting a new row (a consultation, a new patient) on a large dataset. Catches Insert or
    // Append reading every row first, the rows posted meanwhile listed twice once the rows are
    // read, and new rows found elsewhere than where Insert (before the current row) and Append
    // (after the last) put them.
    void newRowsReadNothing() {
        Dataset* d = patients();
        d->insert();
        d->fieldByName("nome").setAsString("Davi");
        d->post();
        d->insert();
        d->fieldByName("nome").setAsString("Elza");
        d->post();
        d->edit();
        d->fieldByName("nome").setAsString("Elza Reis");
        d->post();
        d->append();
        d->fieldByName("nome").setAsString("Fábio");
        d->post();
        d->insert();
        d->fieldByName("nome").setAsString("Gil");
        QVERIFY(rowsProduced <= 2);
        QCOMPARE(d->state(), Dataset::State::Insert);
        QCOMPARE(folder->scalar("select count(*) from Pacientes").toInt(), 6);

        QCOMPARE(d->recordCount(), 7);
        QStringList names;
        for (int row = 0; row < d->recordCount(); ++row)
            names << d->textAt(row, 1);
        QCOMPARE(names,
                 (QStringList{"Elza Reis", "Davi", "Ana", "Bruno", "Carla", "Gil", "Fábio"}));
        QCOMPARE(d->recNo(), 5);
        d->post();
        QCOMPARE(folder->scalar("select count(*) from Pacientes").toInt(), 7);
        d->requery();
        QCOMPARE(d->recordCount(), 7);
    }

    // Catches the first row read alone where the filter decides which row is current, and an
    // empty result read as a row.
    void filteredAndEmptyResults() {
        Dataset* d = patients();
        d->setAcceptRule([](Dataset& ds) { return ds.fieldByName("nome").asString() != "Ana"; });
        d->setFiltered(true);
        QCOMPARE(d->fieldByName("nome").asString(), QStringLiteral("Bruno"));
        QCOMPARE(d->recordCount(), 2);

        auto* empty = new Dataset("ADOEmpty", this);
        empty->setSql({"select inscricao, nome, seen() from Pacientes where inscricao < 0"});
        empty->open();
        QVERIFY(empty->fieldByName("nome").isNull());
        QVERIFY(empty->isEmpty());
        QVERIFY(empty->eof());
    }
};

QTEST_MAIN(TstDatasetFetch)
#include "tst_dataset_fetch.moc"
