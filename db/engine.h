#pragma once
// Everything specific to the database engine (SQLite through Qt Sql's QSQLITE driver):
// opening a file without ever creating it, the write-ahead log and busy timeout that let two
// copies of the program share one file, the Brazilian-Portuguese text comparison, the
// description of a statement's columns, the mapping of column and parameter types, and the
// online backup. A server engine would replace this file and nothing else.

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
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

// Writes a consistent copy of the open database into a new file (the online backup).
void backup(QSqlDatabase& db, const QString& destinationFile);

} // namespace engine
} // namespace corvalen::db
