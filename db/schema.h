#pragma once
// The tables of a new med.mdb. The program never creates tables; only the data-folder
// preparation tool (and test fixtures) apply this schema.

#include <QStringList>

namespace corvalen::db {

// CREATE statements in order, for an empty database.
QStringList schemaStatements();

} // namespace corvalen::db
