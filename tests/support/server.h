#pragma once
// The database engine a test runs on. ctest runs each test that touches the database twice:
// on SQLite, and with CORVALEN_TEST_ENGINE=postgres on the run's private PostgreSQL server
// (scripts/test-server.sh, started by the ctest fixture "test_server"), one database per data
// folder.

#include <QSqlDatabase>
#include <QString>

namespace corvalen::test {

// Whether this run works on the server.
bool onServer();

// The connection string of a new, empty database on the run's server. Fails the test run when
// the server is not running.
QString newServerDatabase();

// A new database on the server a connection string names, made from its database as a template
// (nobody may be connected to that one): returns the copy's connection string.
QString copyServerDatabase(const QString& connection);

// Drops a database that newServerDatabase() or copyServerDatabase() made, cutting its
// connections.
void dropServerDatabase(const QString& connection);

// Starts and stops a server of its own (for a test that stops it under the program's feet).
class PrivateServer {
public:
    PrivateServer();
    ~PrivateServer();
    PrivateServer(const PrivateServer&) = delete;
    PrivateServer& operator=(const PrivateServer&) = delete;

    QString connection(const QString& database = QStringLiteral("postgres")) const;
    // Stops the server (connections are cut, as when the server computer goes down) and
    // starts it again on the same data.
    void stop();
    void start();

private:
    QString state_;
};

// Opens a connection named `name` on the database a data folder works on (med.mdb or the
// server servidor.cfg names).
QSqlDatabase openFolderDatabase(const QString& name, const QString& dataFolder);

} // namespace corvalen::test
