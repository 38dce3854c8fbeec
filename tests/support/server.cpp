#include "tests/support/server.h"

#include "db/engine.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>

namespace corvalen::test {

namespace {

QString readState(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readLine()).trimmed();
}

void runScript(const QStringList& arguments) {
    QProcess script;
    script.setProcessChannelMode(QProcess::ForwardedChannels);
    script.start(QStringLiteral(CORVALEN_TEST_SERVER_SCRIPT), arguments);
    if (!script.waitForFinished(120000) || script.exitCode() != 0)
        qFatal("test-server.sh %s failed", qPrintable(arguments.join(' ')));
}

// Replaces dbname in a connection string.
QString withDatabase(const QString& connection, const QString& database) {
    QStringList parts = connection.split(' ', Qt::SkipEmptyParts);
    parts.removeIf([](const QString& p) { return p.startsWith(QLatin1String("dbname=")); });
    parts << QStringLiteral("dbname=") + database;
    return parts.join(' ');
}

QString databaseOf(const QString& connection) {
    for (const QString& part : connection.split(' ', Qt::SkipEmptyParts)) {
        if (part.startsWith(QLatin1String("dbname=")))
            return part.mid(7);
    }
    return {};
}

QString runServer() {
    const QString server = readState(QStringLiteral(CORVALEN_TEST_SERVER_FILE));
    if (server.isEmpty())
        qFatal("the test server is not running (ctest starts it; by hand: "
               "scripts/test-server.sh start %s)",
               CORVALEN_TEST_SERVER_FILE);
    return server;
}

// Runs one statement on the maintenance database of the server a connection string names.
void maintain(const QString& server, const QString& statement) {
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(db::engine::serverDriverName(), name);
        db::engine::openServer(db, withDatabase(server, QStringLiteral("postgres")));
        QSqlQuery q(db);
        if (!q.exec(statement))
            qFatal("%s failed: %s", qPrintable(statement), qPrintable(q.lastError().text()));
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace

bool onServer() {
    return qEnvironmentVariable("CORVALEN_TEST_ENGINE") == QLatin1String("postgres");
}

QString newServerDatabase() {
    const QString database =
        QStringLiteral("t_") + QUuid::createUuid().toString(QUuid::Id128).left(20);
    maintain(runServer(), QStringLiteral("CREATE DATABASE ") + database);
    return withDatabase(runServer(), database);
}

QString copyServerDatabase(const QString& connection) {
    const QString database =
        QStringLiteral("c_") + QUuid::createUuid().toString(QUuid::Id128).left(20);
    maintain(
        connection,
        QStringLiteral("CREATE DATABASE %1 TEMPLATE %2").arg(database, databaseOf(connection)));
    return withDatabase(connection, database);
}

void dropServerDatabase(const QString& connection) {
    const QString database = databaseOf(connection);
    if (!database.isEmpty())
        maintain(connection,
                 QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(database));
}

PrivateServer::PrivateServer()
    : state_(QDir::temp().filePath(QStringLiteral("corvalen-servidor-") +
                                   QUuid::createUuid().toString(QUuid::Id128))) {
    runScript({QStringLiteral("start"), state_});
}

PrivateServer::~PrivateServer() {
    runScript({QStringLiteral("stop"), state_});
}

QString PrivateServer::connection(const QString& database) const {
    return withDatabase(readState(state_), database);
}

void PrivateServer::stop() {
    runScript({QStringLiteral("pause"), state_});
}

void PrivateServer::start() {
    runScript({QStringLiteral("resume"), state_});
}

QSqlDatabase openFolderDatabase(const QString& name, const QString& dataFolder) {
    const auto server = db::engine::serverSettings(dataFolder);
    QSqlDatabase db = QSqlDatabase::addDatabase(
        server ? db::engine::serverDriverName() : db::engine::driverName(), name);
    if (server)
        db::engine::openServer(db, server->connection);
    else
        db::engine::open(db, QDir(dataFolder).filePath(QStringLiteral("med.mdb")));
    return db;
}

} // namespace corvalen::test
