#pragma once
// Shared test fixtures: a prepared data folder in a temporary directory with the data module
// connected to it, and a recorder that answers the program's message boxes.

#include "platform/messages.h"

#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <memory>

namespace corvalen {
class TDm2;
}

namespace corvalen::test {

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
// program-wide folders pointing at it. The data module is created on demand.
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
    QVariant scalar(const QString& sql);

    // Creates Dm2 and runs DataModuleCreate on this folder.
    TDm2* openDataModule();

private:
    QTemporaryDir dir_;
    QString under_;
    std::unique_ptr<TDm2> dm_;
};

} // namespace corvalen::test
