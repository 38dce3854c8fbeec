#pragma once
// med.mdb as a file, apart from the program's connection: a consistent copy of it, the checks
// a database taken from a backup must pass before it replaces the clinic's, its row counts,
// and taking it for one process alone while it is replaced. A backup always holds an SQLite
// med.mdb, whatever engine the program's connection uses, so these stay SQLite's.
//
// Every failure raises an Error whose message is a short Portuguese reason, fit to follow
// "não foi possível ...: " in a message box.

#include "platform/error.h"

#include <QDate>
#include <QString>
#include <functional>

struct sqlite3;

namespace corvalen::db {

// Called between the steps of a long copy with the pages copied so far and the total.
using CopyProgress = std::function<void(qint64 done, qint64 total)>;

// Writes a consistent copy of the database file `source`, as it stood when the copy began,
// into the new file `destination`. The copy reads through a private read-only connection
// inside one read transaction, so writes by other connections while it runs neither disturb
// nor restart it, and what the write-ahead log holds is included. The copy is an ordinary
// single-file database: it opens without a log beside it. Refuses a destination that already
// exists, leaving it untouched; removes its own partial output when it fails.
void copyDatabaseFile(const QString& source, const QString& destination,
                      const CopyProgress& progress = {});

struct DatabaseSummary {
    qint64 patients = 0;
    qint64 consultations = 0;
    qint64 exams = 0;
    qint64 users = 0;
    QDate newestConsultation; // null when there is no consultation
};

// Checks a database taken from a backup: SQLite's integrity check passes and the five tables
// hold every column of the program's schema. Returns its counts. `tick` runs now and then
// during the check (which reads the whole file). Never changes the file's content.
DatabaseSummary checkDatabaseFile(const QString& path, const std::function<void()>& tick = {});

// The counts of a database that may be in use, read without changing it: a write-ahead log
// beside it is read, not folded in.
DatabaseSummary summarizeDatabaseFile(const QString& path);

// Raised when another connection (another copy of the program) has the database open.
class DatabaseInUse : public Error {
public:
    DatabaseInUse();
};

// Raised when a file is not a database or SQLite finds it damaged.
class DatabaseDamaged : public Error {
public:
    explicit DatabaseDamaged(const QString& reason);
};

// Takes a database file for this process alone while the object lives. Taking it folds a
// write-ahead log left beside it into the file (a log left by a crash holds committed work)
// and switches the file out of write-ahead-log mode, which SQLite allows only when no other
// connection has it open: otherwise DatabaseInUse is raised and the file is left as it was.
// A file that is not a database, or whose header SQLite finds damaged, raises DatabaseDamaged;
// a missing or unreadable file a plain Error. While the lock is held, no other connection can
// read or write the file.
class DatabaseLock {
public:
    explicit DatabaseLock(const QString& path);
    ~DatabaseLock();
    DatabaseLock(const DatabaseLock&) = delete;
    DatabaseLock& operator=(const DatabaseLock&) = delete;

    // Copies the locked database into the new file `destination` (as copyDatabaseFile).
    void copyTo(const QString& destination, const CopyProgress& progress = {});

private:
    sqlite3* handle_ = nullptr;
};

} // namespace corvalen::db
