#pragma once
// Everything specific to the database engine: opening the clinic's database, the
// Brazilian-Portuguese text comparison, the description of a statement's columns, reading a
// statement's rows, the mapping of column and parameter types, how an optimistic update
// compares values and learns a new row's key, how a busy database or a lost connection is told
// apart, and the backup.
//
// Two engines stand behind these functions: SQLite (engine_sqlite.cpp, Qt Sql's QSQLITE
// driver), for med.mdb in the data folder, with the write-ahead log and busy timeout that let
// two copies of the program share one file; and a PostgreSQL server (engine_postgres.cpp,
// QPSQL, with libpq on the same connection where one exchange with the server must do: reading
// rows, describing statements, copying) for a clinic whose data folder holds servidor.cfg. Functions given a connection or a
// statement answer for that connection's engine.

#include "platform/error.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace corvalen::db {

enum class FieldType { String, Memo, Integer, AutoInc, Float, Date, Time, DateTime, Unknown };

struct ColumnInfo {
    QString name;   // as the result names it
    QString table;  // base table, empty for an expression
    QString origin; // base column name, empty for an expression
    FieldType type = FieldType::Unknown;
    int width = 0; // characters, for String columns
    bool primaryKey = false;
};

namespace engine {

QString driverName();       // SQLite's
QString serverDriverName(); // the server's

// Whether a connection works on the database server rather than on an SQLite file.
bool isServer(const QSqlDatabase& db);

// servidor.cfg in a data folder: the first line is the server's libpq connection string
// ("host=... dbname=... user=...", the password in libpq's own password file, never here); the
// second, optional, the folder every workstation reaches under the same path that holds the
// exam copies, cont.cfg and logo.cfg (empty: the data folder itself).
struct ServerSettings {
    QString connection;
    QString sharedFolder;
};
QString serverSettingsFile(const QString& dataFolder);
// Empty when the data folder has no servidor.cfg (the clinic works on med.mdb).
std::optional<ServerSettings> serverSettings(const QString& dataFolder);
void writeServerSettings(const QString& dataFolder, const ServerSettings& settings);

// Opens the server named by a connection string on a connection made with serverDriverName().
// Raises an EOleException-kind error with the server's reason when it cannot be reached.
void openServer(QSqlDatabase& db, const QString& connection);

// Creates the program's tables on an empty server database and applies statements to it, in
// one transaction. Refuses, changing nothing, a database that already has tables.
void createServerDatabase(QSqlDatabase& db, const QStringList& statements);

// Opens an existing database file for reading and writing. Never creates a file: a missing
// file, or one that is not a database, raises an EOleException-kind error with a clear text.
void open(QSqlDatabase& db, const QString& filePath);

// Whether this account can read the database file: opens it read-only on a connection of its
// own and reads its header. False also when the engine could read it only by writing beside it
// (the write-ahead log's index) and the folder refuses that.
bool canRead(const QString& filePath);

// Creates a new, empty database file (for the preparation tool and test fixtures) and applies
// statements to it.
void createDatabase(const QString& filePath, const QStringList& statements);

// Registers the program's text comparison on an open SQLite connection.
void registerCollation(QSqlDatabase& db);

// Compares two texts as the engine compares them (case ignored, accents sorted beside their
// base letter). Exposed for tests and for in-memory sorting that must agree with the engine.
int compareText(const QString& a, const QString& b);

// Describes the columns a statement would return, without running it.
std::vector<ColumnInfo> describe(QSqlDatabase& db, const QString& sql);

// Converts a value read from the engine into the dataset's value for a field of that type,
// and back. Dates are held as QDate, times as QTime, integers as qlonglong, text as QString.
QVariant fromStorage(FieldType type, const QVariant& stored);
QVariant toStorage(FieldType type, const QVariant& value);

// For each named parameter of a statement (names without the colon), the type of the column
// it is compared with ("Data Between :a And :b", ":n = nome", "Cod_med= :prof"); Unknown when
// it is compared with no column of a table.
std::vector<FieldType> parameterTypes(QSqlDatabase& db, const QString& sql,
                                      const QStringList& names);

// Converts a named parameter's value for the column type it is compared with. The windows give
// values as text ("dd/mm/yyyy" for a date, "hh:nn" for a time, decimal digits): a text is
// converted only for a date or time column, so a text compared with a text column stays
// exactly as typed. Dates and times given as such are converted whatever the column.
QVariant parameterToStorage(FieldType compared, const QVariant& value);

// The condition of an optimistic update or delete that the column still holds the value bound
// to the one placeholder it contains: a null matches a null, and text is compared exactly
// (letter case and accents included, whatever the column's comparison).
QString sameValueCondition(const QSqlDatabase& db, const QString& column, FieldType type);

// What follows an INSERT into table so that insertedKey() can read the new row's key (empty
// when the engine needs nothing).
QString insertSuffix(QSqlDatabase& db, const QString& table);

// The statement as the engine runs it. SQLite returns the rows of one table without an order
// in their key's order, and the lists rely on it; the server returns them as they lie on disk
// (a changed row moves to the end), so it is given that order explicitly. rowsWanted > 0: only
// that many first rows will be read (SQLite stops when they are; the server is asked for no
// more, as it would otherwise send the whole result at once).
QString runnableStatement(QSqlDatabase& db, const QString& sql, int rowsWanted = 0);

// The rows a SELECT returns, read forward once; the statement is finished when they are
// destroyed.
class Rows {
public:
    virtual ~Rows() = default;
    // Moves to the next row; false after the last. A step that fails raises the program's error
    // (as statementError() gives it), so a failure never passes for the end of the rows.
    virtual bool next() = 0;
    // A value of the current row as the engine gives it (fromStorage() makes it a field's).
    virtual QVariant value(int column) const = 0;
};

// Named parameters and their values (names without the colon).
using Binds = std::vector<std::pair<QString, QVariant>>;

// Runs runnableStatement(sql, rowsWanted) with its named parameters bound, in one exchange with
// the engine. Raises the program's error when the engine refuses the statement.
std::unique_ptr<Rows> select(QSqlDatabase& db, const QString& sql, const Binds& binds,
                             int rowsWanted = 0);

// After rows were written with their keys given (a copy, a fixture), makes the engine give new
// rows keys above them, as SQLite does by itself.
void synchronizeKeys(QSqlDatabase& db);

// The key the database gave the row that an executed INSERT added; null for a table without
// a key.
QVariant insertedKey(QSqlQuery& insert);

// The program's error for a statement the engine refused. A database that another workstation
// holds for longer than the engine waits, and a server connection that was lost, give a
// message that names the cause (a lost connection is made again for the next statement);
// other refusals carry the engine's own text.
Error statementError(const QSqlQuery& query);

// The row counts of the five tables, in schemaTables() order.
std::vector<qint64> tableCounts(QSqlDatabase& db);

// Copies an SQLite database file (the program's schema) into the empty server database of an
// open server connection, in one transaction: the tables, every row with its key, new keys
// continuing above the copied ones, and the counts checked against the file's. Refuses, changing
// nothing, a server database that already has tables; on any failure nothing is kept. Returns
// the counts copied.
std::vector<qint64> copyIntoServer(const QString& databaseFile, QSqlDatabase& server);

// The same into a server database that already holds the program's tables, whose rows the
// file's replace in one transaction (a restore). On any failure the rows stay as they were.
std::vector<qint64> replaceServerRows(const QString& databaseFile, QSqlDatabase& server);

// Whether another connection than this one has the server database open (another workstation).
bool othersConnected(QSqlDatabase& server);

// SQL for a date literal, used where the windows write a fixed date into a statement.
QString dateLiteral(int year, int month, int day);

// Called between the steps of a backup with the work done so far and the total.
using BackupProgress = std::function<void(qint64 done, qint64 total)>;

// Writes a consistent, complete copy of the database the open connection works on, as it stands
// when the copy begins, into the new SQLite file destinationFile: for SQLite the online backup
// (what is still in the write-ahead log is included), for the server one repeatable-read
// snapshot copied table by table. Other connections may go on writing meanwhile, and the copy
// opens later as an ordinary database without a log beside it. Refuses an existing
// destination, leaving it untouched; leaves nothing behind when it fails. Raises an Error whose
// message is a short Portuguese reason.
void backup(QSqlDatabase& db, const QString& destinationFile, const BackupProgress& progress = {});

} // namespace engine
} // namespace corvalen::db
