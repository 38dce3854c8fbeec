#pragma once
// Everything specific to the database engine (SQLite through Qt Sql's QSQLITE driver):
// opening a file without ever creating it, the write-ahead log and busy timeout that let two
// copies of the program share one file, the Brazilian-Portuguese text comparison, the
// description of a statement's columns, the mapping of column and parameter types, and the
// online backup. A server engine would replace this file and nothing else.

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <functional>
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

QString driverName();

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

// Registers the program's text comparison on an open connection.
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

// Converts a named parameter's value, given as text by the windows ("dd/mm/yyyy", "hh:nn",
// decimal digits), into what the engine compares with date, time and integer columns.
QVariant parameterToStorage(const QVariant& value);

// SQL for a date literal, used where the windows write a fixed date into a statement.
QString dateLiteral(int year, int month, int day);

// Called between the steps of a backup with the work done so far and the total.
using BackupProgress = std::function<void(qint64 done, qint64 total)>;

// Writes a consistent, complete copy of the database the open connection works on, as it stands
// when the copy begins, into the new SQLite file destinationFile (the online backup): what is
// still in the write-ahead log is included, other connections may go on writing meanwhile, and
// the copy opens later as an ordinary database without a log beside it. Refuses an existing
// destination, leaving it untouched; leaves nothing behind when it fails. Raises an Error whose
// message is a short Portuguese reason.
void backup(QSqlDatabase& db, const QString& destinationFile, const BackupProgress& progress = {});

} // namespace engine
} // namespace corvalen::db
