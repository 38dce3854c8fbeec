#pragma once
// Restoring the clinic's data from a backup archive: checking an archive before anything is
// touched, and putting its database (and, for an archive with exams, its exam files) into the
// data folder so that any failure leaves the current data exactly as it was.

#include "db/database_file.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

namespace corvalen::restore {

// Called now and then with the fraction of the work done, from 0 to 1.
using Progress = std::function<void(double fraction)>;

// An archive that passed the checks.
struct CheckedArchive {
    QString path;
    QDateTime moment;            // from its name medbackup_ddmmyyyy_hhmm.zip; invalid otherwise
    db::DatabaseSummary summary; // of its med.mdb
    QStringList examFiles;       // the names of its ex/ entries, without the folder
    bool withExams = false;      // it holds exam files or the two small files
};

// Checks an archive: it reads back whole with good CRCs; it holds exactly one med.mdb and,
// for an archive with exams, files under ex/ and cont.cfg and logo.cfg, nothing else; its
// database passes SQLite's integrity check and holds the program's tables. The database is
// extracted into workFolder for the checks and removed afterwards; nothing else is written.
// Raises an Error whose message is the reason.
CheckedArchive checkArchive(const QString& path, const QString& workFolder,
                            const Progress& progress = {});

// The moment a backup archive's name tells (medbackup_ddmmyyyy_hhmm.zip); invalid for a name
// of another form.
QDateTime backupMoment(const QString& fileName);

// The folder holding the newest backup archive among `folders` (newest by the moment in its
// name, then by the file's time); empty when none holds one.
QString newestBackupFolder(const QStringList& folders);

struct Outcome {
    QString keptDatabase;      // where the previous med.mdb was kept; empty when there was none
    int examsRestored = 0;     // exam files written
    int examsAlreadyThere = 0; // exam files present with the same content
    QStringList
        examsKeptBoth; // "ex/12.jpg" kept, the backup's written beside it: "12_restaurado.jpg"
    QStringList notes; // anything else the user should know
};

// Restores a checked archive into dataFolder: refuses with db::DatabaseInUse while another
// connection has the database open; keeps the current med.mdb (its write-ahead log folded in)
// as med_antes_da_restauracao_<ddmmyyyy_hhmm>.mdb; replaces med.mdb in one step with no old log
// left beside it; restores the exam files of an archive with exams without ever overwriting
// an exam copy whose content differs (both are kept); raises cont.cfg to the archive's
// counter when that is higher; restores logo.cfg when the picture it names exists here. The
// files written get the data folder's group and permissions. Any failure raises an Error with
// the reason and leaves the data folder as it was.
Outcome restoreArchive(const CheckedArchive& archive, const QString& dataFolder,
                       const QDateTime& now, const Progress& progress = {});

} // namespace corvalen::restore
