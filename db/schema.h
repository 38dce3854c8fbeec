#pragma once
// The tables of a new database. The program never creates tables; only the data-folder
// preparation tools (and test fixtures) apply this schema.

#include <QStringList>

namespace corvalen::db {

// CREATE statements in order, for an empty SQLite med.mdb.
QStringList schemaStatements();

// The same tables for an empty PostgreSQL database: the Brazilian-Portuguese collation they
// name, identity key columns, and the last-administrator rule as a trigger function.
QStringList serverSchemaStatements();

// The five tables in the order a copy fills them.
QStringList schemaTables();

// A table's or column's name as the schema spells it ("Numero" for "numero"); the name itself
// when the schema has no such name. The server folds unquoted names to small letters.
QString schemaSpelling(const QString& name);

} // namespace corvalen::db
