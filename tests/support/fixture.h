#pragma once
// Shared test fixtures: a prepared data folder in a temporary directory with the data module
// connected to it, and a recorder that answers the program's message boxes.

#include "platform/messages.h"

#include <QSqlDatabase>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <memory>

namespace corvalen {
class TDm2;
}

namespace corvalen::test {

// The message of the program's error that `f` raises, empty when it raises none.
QString errorOf(const std::function<void()>& f);

// Records every message box the program shows and answers from a queue (OK / Yes when the
// queue is empty). Installed for its lifetime.
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();

    void answer(messages::Answer a) { answers_.push_back(a); }
    const std::vector<messages::Shown>& shown() const { return shown_; }
    QStringList texts() const;
    QString last() const; // text of the last box, empty when none
    void clear() { shown_.clear(); }

private:
    std::vector<messages::Shown> shown_;
    std::deque<messages::Answer> answers_;
};

// A freshly prepared data folder (administrator "admin"/"admin", one Clinica row) with the
// program-wide folders pointing at it. The data module is created on demand. On the server
// engine (tests/support/server.h) its database is a new one on the run's server, named by the
// folder's servidor.cfg, and dropped with the folder.
class DataFolder {
public:
    // The data folder is the temporary directory itself, or `under` inside it (for a program
    // started with the temporary directory as its common application-data folder).
    explicit DataFolder(const QString& under = {});
    ~DataFolder();

    QString root() const; // the temporary directory
    QString path() const; // the data folder
    QString file(const QString& name) const;
    // Runs SQL directly on the file through a separate connection (fixture rows).
    void exec(const QString& sql);
    // The same with the columns' rules (widths) off, for rows that an older file or another
    // tool may hold.
    void execUnchecked(const QString& sql);
    QVariant scalar(const QString& sql);

    // Takes the database away: removes med.mdb, or on the server points servidor.cfg at a
    // database that does not exist.
    void removeDatabase();

    // Creates Dm2 and runs DataModuleCreate on this folder.
    TDm2* openDataModule();

private:
    QTemporaryDir dir_;
    QString under_;
    QString server_; // the server database's connection string, on the server engine
    std::unique_ptr<TDm2> dm_;
};

// Another workstation's connection to a data folder's med.mdb, as a second copy of the
// program opens it (its own datasets run on database()).
class Workstation {
public:
    explicit Workstation(const QString& databaseFile);
    ~Workstation();
    Workstation(const Workstation&) = delete;
    Workstation& operator=(const Workstation&) = delete;

    QSqlDatabase database() const;

    // Holds a write transaction open, as a workstation in the middle of a long save does,
    // until release() or the end of this object.
    void holdWrite();
    void release();

private:
    QString name_;
    bool holding_ = false;
};

// While it lives, every statement that the program's shared connection runs fails, as when
// the file cannot be read (a network drive gone, a disk error).
class ReadFailure {
public:
    ReadFailure();
    ~ReadFailure();
    ReadFailure(const ReadFailure&) = delete;
    ReadFailure& operator=(const ReadFailure&) = delete;
};

// Counts the rows that the statements of the program's shared connection produce while it
// lives.
class RowCounter {
public:
    RowCounter();
    ~RowCounter();
    RowCounter(const RowCounter&) = delete;
    RowCounter& operator=(const RowCounter&) = delete;

    int rows() const { return rows_; }

private:
    int rows_ = 0;
};

} // namespace corvalen::test
