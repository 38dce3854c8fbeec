#pragma once
// The server engine's answers behind db/engine.h (PostgreSQL through Qt Sql's QPSQL driver and
// libpq on the driver's connection).
// Internal to db/: the engine functions dispatch here for a server connection.

#include "db/engine.h"

class QSqlDriver;
struct pg_conn;

namespace corvalen::db::engine::postgres {

// The driver's libpq connection; nullptr when the driver is not the server's.
pg_conn* handleOf(const QSqlDriver* driver);

std::vector<ColumnInfo> describe(QSqlDatabase& db, const QString& sql);
std::vector<FieldType> parameterTypes(QSqlDatabase& db, const QString& sql,
                                      const QStringList& names);
QString sameValueCondition(const QString& column, FieldType type);
QString insertSuffix(QSqlDatabase& db, const QString& table);
QString runnableStatement(QSqlDatabase& db, const QString& sql, int rowsWanted);
std::unique_ptr<Rows> select(QSqlDatabase& db, const QString& sql, const Binds& binds,
                             int rowsWanted);
void synchronizeKeys(QSqlDatabase& db);
QVariant insertedKey(QSqlQuery& insert);
Error statementError(const QSqlQuery& query);
void backup(QSqlDatabase& db, const QString& destinationFile, const BackupProgress& progress);

} // namespace corvalen::db::engine::postgres
