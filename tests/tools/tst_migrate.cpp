// Moving a clinic onto the database server, and preparing a new one there, with the tools as
// the administrator runs them (corvalen-migrate, corvalen-prepare --servidor).

#include "db/datafolder.h"
#include "db/engine.h"
#include "db/schema.h"
#include "tests/support/server.h"
#include "tools/generate.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

using namespace corvalen;

namespace {

struct Run {
    int code;
    QString output;
};

Run runTool(const char* program, const QStringList& args) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QString::fromLocal8Bit(program), args);
    process.waitForFinished(300000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAll())};
}

// A value as text that reads the same from either engine (dates and times as SQLite holds them).
QString normalized(const QVariant& v) {
    if (v.isNull())
        return QStringLiteral("<null>");
    if (v.typeId() == QMetaType::QDate)
        return db::engine::toStorage(db::FieldType::Date, v).toString();
    if (v.typeId() == QMetaType::QTime)
        return db::engine::toStorage(db::FieldType::Time, v).toString();
    return v.toString();
}

// Every seventh row of a table (by its first column, the key), all columns.
QStringList sample(QSqlDatabase db, const QString& table) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT * FROM %1 ORDER BY 1").arg(table)))
        qFatal("sample of %s failed", qPrintable(table));
    QStringList rows;
    for (int n = 0; q.next(); ++n) {
        if (n % 7 != 0)
            continue;
        QStringList values;
        for (int i = 0; i < q.record().count(); ++i)
            values << q.record().fieldName(i).toLower() + '=' + normalized(q.value(i));
        rows << values.join('|');
    }
    return rows;
}

} // namespace

class TstMigrate : public QObject {
    Q_OBJECT

private slots:
    // The demo clinic moves onto an empty server database: the same counts and the same rows
    // (keys, dates, times, accented and multi-line texts), new keys continuing above the copied
    // ones, servidor.cfg naming the server, med.mdb kept with its rows, and the server's backup
    // holding the same rows again. A second run is refused
    // without changing anything. Catches rows lost or altered by the copy, keys handed out again,
    // and a server database overwritten.
    void demoClinicMovesOntoTheServer() {
        QTemporaryDir dir;
        db::prepareDataFolder(dir.path(), "/nonexistent/medicina.jpg");
        generator::fillDataFolder(generator::Scale::Demo, dir.path());
        const QString file = dir.filePath("med.mdb");

        const QString connection = test::newServerDatabase();
        const Run run = runTool(CORVALEN_MIGRATE, {dir.path(), connection});
        QVERIFY2(run.code == 0, qPrintable(run.output));
        QCOMPARE(db::engine::serverSettings(dir.path())->connection, connection);

        {
            QSqlDatabase sqlite = QSqlDatabase::addDatabase(db::engine::driverName(), "arquivo");
            db::engine::open(sqlite, file);
            QSqlDatabase server =
                QSqlDatabase::addDatabase(db::engine::serverDriverName(), "servidor");
            db::engine::openServer(server, connection);
            const std::vector<qint64> counts = db::engine::tableCounts(server);
            QCOMPARE(counts, db::engine::tableCounts(sqlite));
            QVERIFY(counts[1] == 200 && counts[2] > 0 && counts[3] > 0);
            for (const QString& table : db::schemaTables())
                QCOMPARE(sample(server, table), sample(sqlite, table));

            // The server's backup gives the same rows back as an SQLite file.
            const QString backup = dir.filePath("copia.mdb");
            db::engine::backup(server, backup);
            {
                QSqlDatabase copy = QSqlDatabase::addDatabase(db::engine::driverName(), "copia");
                db::engine::open(copy, backup);
                for (const QString& table : db::schemaTables())
                    QCOMPARE(sample(copy, table), sample(sqlite, table));
                copy.close();
            }
            QSqlDatabase::removeDatabase("copia");

            QSqlQuery q(server);
            QVERIFY(q.exec("INSERT INTO Pacientes (nome) VALUES ('Novo') RETURNING inscricao"));
            QVERIFY(q.next());
            QSqlQuery highest(sqlite);
            QVERIFY(highest.exec("SELECT max(inscricao) FROM Pacientes") && highest.next());
            QVERIFY(q.value(0).toLongLong() > highest.value(0).toLongLong());
            sqlite.close();
            server.close();
        }
        QSqlDatabase::removeDatabase("arquivo");
        QSqlDatabase::removeDatabase("servidor");

        QFile::remove(db::engine::serverSettingsFile(dir.path()));
        const Run again = runTool(CORVALEN_MIGRATE, {dir.path(), connection});
        QCOMPARE(again.code, 1);
        QVERIFY2(again.output.contains("já tem tabelas"), qPrintable(again.output));
        QVERIFY(!QFile::exists(db::engine::serverSettingsFile(dir.path())));
        test::dropServerDatabase(connection);
    }

    // corvalen-prepare --servidor makes the tables, the administrator and the clinic's row on
    // the server, servidor.cfg and the shared folder's files; a second preparation on the same
    // server database is refused. Catches a prepared folder that the program would open on a
    // med.mdb, and a server database prepared twice.
    void prepareOnTheServer() {
        QTemporaryDir dir;
        const QString data = dir.filePath("dados");
        const QString shared = dir.filePath("compartilhada");
        const QString connection = test::newServerDatabase();
        const Run run =
            runTool(CORVALEN_PREPARE, {"--servidor", connection, "--compartilhada", shared, data});
        QVERIFY2(run.code == 0, qPrintable(run.output));
        QVERIFY(!QFile::exists(data + "/med.mdb"));
        const auto settings = db::engine::serverSettings(data);
        QVERIFY(settings);
        QCOMPARE(settings->connection, connection);
        QCOMPARE(settings->sharedFolder, shared);
        for (const char* name : {"cont.cfg", "logo.cfg", "ex"})
            QVERIFY2(QFile::exists(shared + '/' + name), name);
        {
            QSqlDatabase server =
                QSqlDatabase::addDatabase(db::engine::serverDriverName(), "servidor");
            db::engine::openServer(server, connection);
            QCOMPARE(db::engine::tableCounts(server), (std::vector<qint64>{1, 0, 0, 0, 1}));
            server.close();
        }
        QSqlDatabase::removeDatabase("servidor");

        const Run again =
            runTool(CORVALEN_PREPARE, {"--servidor", connection, dir.filePath("outra")});
        QCOMPARE(again.code, 1);
        QVERIFY2(again.output.contains("já tem tabelas"), qPrintable(again.output));
        QVERIFY(!QFile::exists(dir.filePath("outra/servidor.cfg")));
        test::dropServerDatabase(connection);
    }
};

QTEST_MAIN(TstMigrate)
#include "tst_migrate.moc"
