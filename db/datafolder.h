#pragma once
// Preparing a data folder for the first start: the folder and its ex/ folder, a new med.mdb
// with the tables, one administrator account and the clinic's row, logo.cfg naming the
// program's own logo picture, and cont.cfg holding 0.

#include "db/database_file.h"

#include <QString>
#include <optional>

namespace corvalen::db {

struct PreparedAccount {
    QString login;
    QString password;
};

// Where the files the workstations share besides the database live (ex/, cont.cfg, logo.cfg):
// the folder servidor.cfg names for a clinic on a server, else the data folder itself.
QString sharedFolder(const QString& dataFolder);

// The counts of the database a data folder works on (med.mdb, or the server servidor.cfg
// names), read without changing it; empty when the folder has neither. Raises an Error with
// the reason when the database cannot be read.
std::optional<DatabaseSummary> summarizeDataFolder(const QString& dataFolder);

// The administrator account of a freshly prepared folder.
PreparedAccount initialAdministrator();

// Prepares dataFolder; logoPath is written into logo.cfg. Refuses, changing nothing, when
// med.mdb or cont.cfg already exists there (raises an Error with a Portuguese text).
void prepareDataFolder(const QString& dataFolder, const QString& logoPath);

// Prepares dataFolder for a clinic whose database is on a server: the tables, the administrator
// and the clinic's row on the empty server database that `connection` names, servidor.cfg
// naming it and the shared folder, and ex/, logo.cfg and cont.cfg in the shared folder (the data
// folder itself when sharedFolder is empty). Refuses, changing nothing, when the data folder
// already holds servidor.cfg or med.mdb, cont.cfg already exists, or the server database
// already has tables.
void prepareServerDataFolder(const QString& dataFolder, const QString& logoPath,
                             const QString& connection, const QString& sharedFolder = {});

} // namespace corvalen::db
