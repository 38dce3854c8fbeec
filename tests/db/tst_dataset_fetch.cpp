// When a dataset reads its rows: the current row of a freshly opened dataset is read alone, so
// that a bound control at start-up does not pull a whole table into memory.

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
        QCOMPARE(rowsProduced, 1);
        // Counting needs them all; the cursor is still on the first row.
        QCOMPARE(d->recordCount(), 3);
        QCOMPARE(rowsProduced, 1 + 3);
        QCOMPARE(d->recNo(), 0);
        QCOMPARE(d->fieldByName("nome").asString(), QStringLiteral("Ana"));
        d->next();
        QCOMPARE(d->fieldByName("nome").asString(), QStringLiteral("Bruno"));
        // A reopened dataset reads its first row afresh.
        d->requery();
        folder->exec("update Pacientes set nome = 'Alice' where inscricao = 1");
        QCOMPARE(d->fieldByName("nome").asString(), QStringLiteral("Alice"));
    }

    // Catches a stale first row shown after the rows are fetched, and a change announced when
    // nothing changed.
    void changedFirstRowIsAnnounced() {
        Dataset* d = patients();
        QCOMPARE(d->fieldByName("nome").asString(), QStringLiteral("Ana"));
        QSignalSpy moved(d, &Dataset::currentChanged);
        folder->exec("update Pacientes set nome = 'Ana Maria' where inscricao = 1");
        QCOMPARE(d->recordCount(), 3);
        QCOMPARE(moved.count(), 1);
        QCOMPARE(d->fieldByName("nome").asString(), QStringLiteral("Ana Maria"));

        Dataset* same = patients();
        QCOMPARE(same->fieldByName("nome").asString(), QStringLiteral("Ana Maria"));
        QSignalSpy unchanged(same, &Dataset::currentChanged);
        QCOMPARE(same->recordCount(), 3);
        QCOMPARE(unchanged.count(), 0);
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
