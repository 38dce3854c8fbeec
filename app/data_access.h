#pragma once
// What the account running the program may do in the data folder, checked once at start-up:
// every account of the machine that works with the clinic must be able to read and write the
// database, its write-ahead log, the exam folder and the two configuration files. An account
// that cannot is told why, and what to ask for, in one message.

#include <QString>
#include <QStringList>

namespace corvalen {

struct DataAccess {
    enum class Level {
        Full,     // everything present can be read and written (or the folder is missing)
        ReadOnly, // the clinic's data can be read, some of it not written
        None,     // the database cannot be read by this account
    };
    Level level = Level::Full;
    QStringList unwritable; // names within the data folder that refuse writing ("." the folder)
};

// Checks the data folder as the running account. A missing folder or file is not a question of
// permissions: it is left to the parts that open it, which report it themselves.
DataAccess checkDataAccess(const QString& dataFolder);

// The start-up message for an account that cannot work (level ReadOnly or None).
QString dataAccessMessage(const DataAccess& access, const QString& dataFolder,
                          const QString& account);

} // namespace corvalen
