// med.mdb as a file: the online backup of the program's open connection, the checks a database
// from a backup must pass, and taking the file for one process while it is replaced.

#include "db/database_file.h"
#include "db/engine.h"
#include "db/schema.h"
#include "tests/support/fixture.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>
#include <QtTest>
#include <sqlite3.h>

using namespace corvalen;

namespace {

// A raw connection for arranging files the way other processes and crashes leave them.
class Raw {
public:
    explicit Raw(const QString& path, bool keepLogOnClose = false) {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &h_, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_busy_timeout(h_, 2000);
        if (keepLogOnClose)
            sqlite3_db_config(h_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    }
    ~Raw() { sqlite3_close_v2(h_); }
    bool exec(const QString& sql) {
        return sqlite3_exec(h_, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    qint64 number(const QString& sql) {
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(h_, sql.toUtf8().constData(), -1, &s, nullptr);
        const qint64 value = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int64(s, 0) : -1;
        sqlite3_finalize(s);
        return value;
    }

private:
    sqlite3* h_ = nullptr;
};

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A database with the program's tables and `patients` patients, each with a long note so that
// the file spans several copy steps.
void makeDatabase(const QString& path, int patients) {
    QStringList statements = db::schemaStatements();
    statements << QStringLiteral(
                      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                      "WHERE i < %1) INSERT INTO Pacientes (nome) SELECT 'Paciente ' || i "
                      "FROM n")
                      .arg(patients)
               << QStringLiteral("INSERT INTO Consultas (Data, Cod_pac, Anamnese) SELECT "
                                 "'2026-05-0' || (inscricao % 9 + 1), inscricao, "
                                 "printf('%.2000c', 'x') FROM Pacientes");
    db::engine::createDatabase(path, statements);
}

} // namespace

class TstDatabaseFile : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }

    // Runs f with the program's kind of connection (write-ahead log, Qt Sql) open on file.
    template <typename F> void withProgramConnection(const QString& file, F f) {
        const QString name = QUuid::createUuid().toString();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(db::engine::driverName(), name);
            db::engine::open(db, file);
            f(db);
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }

private slots:
    void init() { QVERIFY(dir.isValid()); }
    void cleanup() {
        for (const QString& f : QDir(dir.path()).entryList(QDir::Files))
            QFile::remove(dir.filePath(f));
    }

    // The backup holds what is still only in the write-ahead log (a plain copy of the file
    // misses it) and opens as an ordinary database, with no log beside it.
    void backupIncludesTheLogAndOpensWithoutOne() {
        makeDatabase(path("med.mdb"), 50);
        withProgramConnection(path("med.mdb"), [&](QSqlDatabase& db) {
            QSqlQuery(db).exec("INSERT INTO Pacientes (nome) VALUES ('Só no log')");
            QVERIFY(QFileInfo(path("med.mdb-wal")).size() > 0);
            QVERIFY(!contents(path("med.mdb")).contains("Só no log"));
            db::engine::backup(db, path("copia.mdb"));
        });
        const QByteArray header = contents(path("copia.mdb")).left(20);
        QCOMPARE(int(header.at(18)), 1); // rollback journal, not write-ahead log
        QCOMPARE(int(header.at(19)), 1);
        {
            Raw copy(path("copia.mdb"));
            QCOMPARE(copy.number("SELECT count(*) FROM Pacientes WHERE nome = 'Só no log'"), 1);
            QCOMPARE(copy.number("SELECT count(*) FROM Pacientes"), 51);
            QVERIFY(!QFile::exists(path("copia.mdb-wal")));
        }
        QCOMPARE(db::checkDatabaseFile(path("copia.mdb")).patients, 51);
    }

    // Another connection writing between the copy's steps neither restarts the copy (which
    // could then never end) nor tears it: the copy is the state when it began.
    void writesDuringTheBackupDoNotRestartOrTearIt() {
        makeDatabase(path("med.mdb"), 6000); // several steps of pages
        Raw writer(path("med.mdb"));
        int steps = 0;
        withProgramConnection(path("med.mdb"), [&](QSqlDatabase& db) {
            db::engine::backup(db, path("copia.mdb"), [&](qint64 done, qint64 total) {
                QVERIFY(done <= total);
                ++steps;
                QVERIFY(steps < 1000);
                QVERIFY(writer.exec("INSERT INTO Pacientes (nome) VALUES ('durante')"));
                QVERIFY(
                    writer.exec("UPDATE Consultas SET Anamnese = 'mudou' WHERE Numero % 7 = 0"));
            });
        });
        QVERIFY(steps > 2);
        Raw copy(path("copia.mdb"));
        QCOMPARE(copy.number("SELECT count(*) FROM Pacientes"), 6000);
        QCOMPARE(copy.number("SELECT count(*) FROM Consultas WHERE Anamnese = 'mudou'"), 0);
        QCOMPARE(db::checkDatabaseFile(path("copia.mdb")).consultations, 6000);
    }

    // An existing destination is never overwritten, and a failed backup leaves no file.
    void backupRefusesAnExistingDestinationAndCleansUp() {
        makeDatabase(path("med.mdb"), 5);
        QFile other(path("outro.mdb"));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write("dados de outro arquivo");
        other.close();
        withProgramConnection(path("med.mdb"), [&](QSqlDatabase& db) {
            QVERIFY_THROWS_EXCEPTION(Error, db::engine::backup(db, path("outro.mdb")));
            QCOMPARE(contents(path("outro.mdb")), QByteArray("dados de outro arquivo"));
            // The file vanishes while the connection is open: the copy cannot read it.
            QFile::remove(path("med.mdb"));
            QVERIFY_THROWS_EXCEPTION(Error, db::engine::backup(db, path("copia.mdb")));
        });
        QVERIFY(!QFile::exists(path("copia.mdb")));
    }

    // Each fault of a database taken from a backup is refused with its reason.
    void checkRefusesUnsoundDatabases_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not a database") << "text"
                                        << "não é um banco de dados";
        QTest::newRow("missing table") << "DROP TABLE Exames"
                                       << "falta a tabela Exames";
        QTest::newRow("missing column") << "ALTER TABLE Usuarios DROP COLUMN crm"
                                        << "falta a coluna crm da tabela Usuarios";
        QTest::newRow("corrupt page") << "corrupt"
                                      << "integridade";
    }
    void checkRefusesUnsoundDatabases() {
        QFETCH(QString, damage);
        QFETCH(QString, reason);
        makeDatabase(path("med.mdb"), 400);
        if (damage == "text") {
            QFile f(path("med.mdb"));
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(QByteArray(8192, 'a'));
        } else if (damage == "corrupt") {
            // Scrambles the middle of a table page past its header, as a bad disk sector would.
            QFile f(path("med.mdb"));
            QVERIFY(f.open(QIODevice::ReadWrite));
            const qint64 page = 4096 * 20;
            f.seek(page + 600);
            f.write(QByteArray(1500, '\x5a'));
            f.seek(page + 2);
            f.write(QByteArray(6, '\x7f'));
        } else {
            QVERIFY(Raw(path("med.mdb")).exec(damage));
        }
        const QByteArray before = contents(path("med.mdb"));
        try {
            db::checkDatabaseFile(path("med.mdb"));
            QFAIL("accepted");
        } catch (const Error& e) {
            QVERIFY2(e.message().contains(reason), qPrintable(e.message()));
        }
        QCOMPARE(contents(path("med.mdb")), before);
    }

    // The summary counts the rows, the log's included, and leaves the log where it was; a
    // file without a log is read without creating one.
    void summaryReadsWithoutFoldingTheLog() {
        makeDatabase(path("med.mdb"), 12);
        QCOMPARE(db::summarizeDatabaseFile(path("med.mdb")).patients, 12);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"med.mdb"});
        {
            Raw crashed(path("med.mdb"), true);
            QVERIFY(crashed.exec("INSERT INTO Exames (nome) VALUES ('RX')"));
        }
        const QByteArray log = contents(path("med.mdb-wal"));
        QVERIFY(!log.isEmpty());
        const db::DatabaseSummary summary = db::summarizeDatabaseFile(path("med.mdb"));
        QCOMPARE(summary.patients, 12);
        QCOMPARE(summary.consultations, 12);
        QCOMPARE(summary.exams, 1);
        QCOMPARE(summary.users, 0);
        QCOMPARE(summary.newestConsultation, QDate(2026, 5, 9));
        QCOMPARE(contents(path("med.mdb-wal")), log);
    }

    // Taking the file is refused while another connection has it open, changing nothing; once
    // alone, a log left by a crash is folded into the file and the file leaves log mode.
    void lockRefusesWhileInUseAndFoldsACrashLog() {
        makeDatabase(path("med.mdb"), 10);
        {
            Raw crashed(path("med.mdb"), true);
            QVERIFY(crashed.exec("INSERT INTO Pacientes (nome) VALUES ('Depois da queda')"));
        }
        withProgramConnection(path("med.mdb"), [&](QSqlDatabase&) {
            const QByteArray file = contents(path("med.mdb"));
            QVERIFY_THROWS_EXCEPTION(db::DatabaseInUse, db::DatabaseLock(path("med.mdb")));
            QCOMPARE(contents(path("med.mdb")), file);
        });
        {
            Raw crashed(path("med.mdb"), true);
            QVERIFY(crashed.exec("INSERT INTO Pacientes (nome) VALUES ('Na segunda queda')"));
        }
        QVERIFY(QFileInfo(path("med.mdb-wal")).size() > 0);
        {
            db::DatabaseLock lock(path("med.mdb"));
            QVERIFY(!QFile::exists(path("med.mdb-wal")));
            QVERIFY(contents(path("med.mdb")).contains("Na segunda queda"));
            // Nobody else reads or writes while it is held.
            Raw other(path("med.mdb"));
            QCOMPARE(other.number("SELECT count(*) FROM Pacientes"), -1);
            lock.copyTo(path("guardado.mdb"));
        }
        Raw kept(path("guardado.mdb"));
        QCOMPARE(kept.number("SELECT count(*) FROM Pacientes"), 12);
        QVERIFY_THROWS_EXCEPTION(Error, db::DatabaseLock(path("nada.mdb")));
    }
};

QTEST_GUILESS_MAIN(TstDatabaseFile)
#include "tst_database_file.moc"
