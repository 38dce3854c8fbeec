#include "restore/restore.h"

#include "backup/archive.h"
#include "db/datafolder.h"
#include "db/engine.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <filesystem>
#include <optional>

namespace corvalen::restore {

namespace {

const QString databaseName = QStringLiteral("med.mdb");
const QString counterName = QStringLiteral("cont.cfg");
const QString logoName = QStringLiteral("logo.cfg");
const QString examPrefix = QStringLiteral("ex/");

Error restoreError(const QString& reason) {
    return Error(QStringLiteral("ERestore"), reason);
}

// An exam copy's name as the archive gives it: a plain file name, nothing that could lead
// out of the ex/ folder.
bool isExamName(const QString& name) {
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    return std::none_of(name.begin(), name.end(), [](QChar c) {
        return c == '/' || c == '\\' || c == ':' || c.unicode() < 0x20;
    });
}

// The work to undo, last first, unless the whole restore succeeded.
class Undo {
public:
    Undo() = default;
    Undo(const Undo&) = delete;
    Undo& operator=(const Undo&) = delete;
    ~Undo() {
        for (auto step = steps_.rbegin(); step != steps_.rend(); ++step) {
            try {
                (*step)();
            } catch (...) {
            }
        }
    }
    void add(std::function<void()> step) { steps_.push_back(std::move(step)); }
    void commit() { steps_.clear(); }

private:
    std::vector<std::function<void()>> steps_;
};

// The first of stem + suffix, stem_2 + suffix, ... that no file has.
QString freeName(const QString& folder, const QString& stem, const QString& suffix) {
    QString name = stem + suffix;
    for (int n = 2; QFileInfo::exists(platform::joinPath(folder, name)); ++n)
        name = QStringLiteral("%1_%2%3").arg(stem).arg(n).arg(suffix);
    return name;
}

QByteArray entryContent(archive::ArchiveReader& reader, int index) {
    QByteArray content;
    reader.read(index, [&](const char* data, qint64 size) { content.append(data, size); });
    return content;
}

QString firstLine(const QByteArray& content) {
    const qsizetype end = content.indexOf('\n');
    return QString::fromLocal8Bit(end < 0 ? content : content.left(end)).trimmed();
}

// Notes a file that could not be given the data folder's group and permissions.
void noteSharing(bool given, const QString& path, Outcome& outcome) {
    if (!given)
        outcome.notes << QStringLiteral("Não foi possível dar a %1 o grupo e as permissões da "
                                        "pasta de dados; outras contas podem não conseguir usá-lo.")
                             .arg(QDir::toNativeSeparators(path));
}

// Writes `content` over the small file at `path` (or as a new file), undone by writing back
// what it held (or removing it).
void replaceSmallFile(const QString& path, const QByteArray& content, Undo& undo,
                      Outcome& outcome) {
    const QString folder = QFileInfo(path).path();
    const bool existed = QFileInfo::exists(path);
    QFile current(path);
    const QByteArray previous =
        existed && current.open(QIODevice::ReadOnly) ? current.readAll() : QByteArray();
    platform::NewFile file(folder);
    file.write(content.constData(), content.size());
    noteSharing(file.finish(platform::sharingFor(folder, path)), path, outcome);
    file.replace(path);
    undo.add([=] {
        if (!existed) {
            QFile::remove(path);
            return;
        }
        platform::NewFile back(folder);
        back.write(previous.constData(), previous.size());
        back.finish(platform::sharingFor(folder, path));
        back.replace(path);
    });
}

// cont.cfg only grows: exam copies newer than the backup may still lie in ex/, and a lower
// counter would make later exams collide with them.
void restoreCounter(archive::ArchiveReader& reader, int index, const QString& dataFolder,
                    Undo& undo, Outcome& outcome) {
    const QByteArray archived = entryContent(reader, index);
    bool archivedOk = false;
    const int archivedValue = firstLine(archived).toInt(&archivedOk);
    const QString path = platform::joinPath(dataFolder, counterName);
    std::optional<int> current;
    try {
        current = toInteger(platform::readFirstLine(path));
    } catch (const Error&) {
    }
    if (archivedOk && (!current || archivedValue > *current))
        replaceSmallFile(path, archived, undo, outcome);
}

// logo.cfg names a picture anywhere on the disk: the backup's is taken when there is none here,
// or when the picture it names exists on this machine.
void restoreLogo(archive::ArchiveReader& reader, int index, const QString& dataFolder, Undo& undo,
                 Outcome& outcome) {
    const QByteArray archived = entryContent(reader, index);
    const QString path = platform::joinPath(dataFolder, logoName);
    QFile current(path);
    if (current.open(QIODevice::ReadOnly) && current.readAll() == archived)
        return;
    const QString picture = firstLine(archived);
    if (!QFileInfo::exists(path) || QFileInfo(picture).isFile())
        replaceSmallFile(path, archived, undo, outcome);
    else
        outcome.notes << QStringLiteral("O logotipo do backup (%1) não existe neste computador; "
                                        "logo.cfg foi mantido como estava.")
                             .arg(QDir::toNativeSeparators(picture));
}

void restoreExams(archive::ArchiveReader& reader, const QString& dataFolder, Undo& undo,
                  Outcome& outcome, const Progress& progress) {
    const QString folder = platform::joinPath(dataFolder, QStringLiteral("ex"));
    const auto& entries = reader.entries();
    if (!QDir(folder).exists()) {
        if (!QDir().mkdir(folder))
            throw restoreError(QStringLiteral("não foi possível criar a pasta %1").arg(folder));
        undo.add([folder] { QDir().rmdir(folder); });
    }
    for (int i = 0; i < int(entries.size()); ++i) {
        if (progress)
            progress(double(i) / double(entries.size()));
        if (!entries[size_t(i)].name.startsWith(examPrefix))
            continue;
        const QString name = entries[size_t(i)].name.mid(examPrefix.size());
        QString target = platform::joinPath(folder, name);
        if (QFileInfo::exists(target)) {
            if (reader.sameContent(i, target)) {
                ++outcome.examsAlreadyThere;
                continue;
            }
            // Another file under that name: it stays, and the backup's goes beside it.
            const QFileInfo info(name);
            const QString suffix = info.suffix().isEmpty() ? QString() : '.' + info.suffix();
            const QString beside =
                freeName(folder, info.completeBaseName() + QStringLiteral("_restaurado"), suffix);
            outcome.examsKeptBoth << QStringLiteral("ex/%1: mantido o arquivo atual; o do backup "
                                                    "foi gravado como ex/%2")
                                         .arg(name, beside);
            target = platform::joinPath(folder, beside);
        } else {
            ++outcome.examsRestored;
        }
        platform::NewFile file(folder);
        reader.read(i, [&](const char* data, qint64 size) { file.write(data, size); });
        noteSharing(file.finish(platform::sharingFor(folder)), target, outcome);
        file.placeNew(target);
        undo.add([target] { QFile::remove(target); });
    }
}

// Keeps the current database under `kept`: a second name for the very file (which the lock
// has made whole, its log folded in), or a copy where the disk allows no second name.
void keepDatabase(const QString& database, const QString& kept, db::DatabaseLock* lock, Undo& undo,
                  Outcome& outcome, const Progress& progress) {
    std::error_code linkFailed;
    std::filesystem::create_hard_link(QFile::encodeName(database).constData(),
                                      QFile::encodeName(kept).constData(), linkFailed);
    if (!linkFailed) {
        undo.add([kept] { QFile::remove(kept); });
        outcome.keptDatabase = kept;
        return;
    }
    const QString folder = QFileInfo(database).path();
    if (lock) {
        undo.add([kept] { QFile::remove(kept); });
        lock->copyTo(kept, [&](qint64 done, qint64 total) {
            if (progress && total > 0)
                progress(double(done) / double(total));
        });
        if (!platform::flushToDisk(kept))
            throw restoreError(QStringLiteral("a cópia do banco de dados atual não pôde ser "
                                              "gravada no disco"));
        if (const auto sharing = platform::sharingFor(folder, database))
            noteSharing(platform::applySharing(kept, *sharing), kept, outcome);
    } else {
        // A file SQLite cannot open is kept byte for byte.
        QFile source(database);
        if (!source.open(QIODevice::ReadOnly))
            throw restoreError(QStringLiteral("o banco de dados atual não pôde ser lido"));
        platform::NewFile file(folder);
        while (!source.atEnd()) {
            const QByteArray piece = source.read(1 << 20);
            if (piece.isEmpty())
                throw restoreError(QStringLiteral("o banco de dados atual não pôde ser lido"));
            file.write(piece.constData(), piece.size());
        }
        noteSharing(file.finish(platform::sharingFor(folder, database)), kept, outcome);
        file.placeNew(kept);
        undo.add([kept] { QFile::remove(kept); });
    }
    outcome.keptDatabase = kept;
}

} // namespace

QDateTime backupMoment(const QString& fileName) {
    static const QRegularExpression pattern(QStringLiteral("^medbackup_(\\d{8})_(\\d{4})\\.zip$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const auto match = pattern.match(fileName);
    if (!match.hasMatch())
        return {};
    return QDateTime(QDate::fromString(match.captured(1), QStringLiteral("ddMMyyyy")),
                     QTime::fromString(match.captured(2), QStringLiteral("HHmm")));
}

QString newestBackupFolder(const QStringList& folders) {
    QString newestFolder;
    std::pair<QDateTime, QDateTime> newest;
    for (const QString& folder : folders) {
        const QFileInfoList archives = QDir(folder).entryInfoList(
            {QStringLiteral("medbackup_*.zip")}, QDir::Files | QDir::Readable);
        for (const QFileInfo& file : archives) {
            const std::pair<QDateTime, QDateTime> moment{backupMoment(file.fileName()),
                                                         file.lastModified()};
            if (newestFolder.isEmpty() || moment > newest) {
                newest = moment;
                newestFolder = file.absolutePath();
            }
        }
    }
    return newestFolder;
}

CheckedArchive checkArchive(const QString& path, const QString& workFolder,
                            const Progress& progress) {
    archive::ArchiveReader reader(path);
    CheckedArchive checked;
    checked.path = path;
    int database = -1;
    QSet<QString> seen;
    const auto& entries = reader.entries();
    for (int i = 0; i < int(entries.size()); ++i) {
        const QString& name = entries[size_t(i)].name;
        if (seen.contains(name))
            throw restoreError(QStringLiteral("o backup contém duas vezes o arquivo %1").arg(name));
        seen.insert(name);
        if (name == databaseName) {
            database = i;
        } else if (name == counterName || name == logoName) {
            checked.withExams = true;
        } else if (name.startsWith(examPrefix) && isExamName(name.mid(examPrefix.size()))) {
            checked.examFiles << name.mid(examPrefix.size());
            checked.withExams = true;
        } else {
            throw restoreError(
                QStringLiteral("o backup contém um arquivo que não é do Corvalen: %1").arg(name));
        }
    }
    if (database < 0)
        throw restoreError(QStringLiteral("o backup não contém o banco de dados med.mdb"));

    // Every entry is read back (CRC and size), the database into the work folder, where it
    // stays only for the checks: the restore takes it from the archive again.
    const QString extracted = platform::joinPath(workFolder, databaseName);
    const auto removeExtracted = qScopeGuard([&extracted] { QFile::remove(extracted); });
    QFile out(extracted);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw restoreError(QStringLiteral("não foi possível gravar na pasta temporária %1 (%2)")
                               .arg(workFolder, out.errorString()));
    qint64 all = 0;
    for (const auto& entry : entries)
        all += entry.size;
    qint64 done = 0;
    for (int i = 0; i < int(entries.size()); ++i) {
        const qint64 size = entries[size_t(i)].size;
        const auto sink = [&](const char* data, qint64 n) {
            if (out.write(data, n) != n)
                throw restoreError(QStringLiteral("não foi possível gravar na pasta temporária "
                                                  "%1 (%2)")
                                       .arg(workFolder, out.errorString()));
        };
        reader.read(i, i == database ? std::function<void(const char*, qint64)>(sink) : nullptr,
                    [&](double fraction) {
                        if (progress && all > 0)
                            progress(0.5 * (double(done) + fraction * double(size)) / double(all));
                    });
        done += size;
    }
    if (!out.flush())
        throw restoreError(QStringLiteral("não foi possível gravar na pasta temporária %1 (%2)")
                               .arg(workFolder, out.errorString()));
    out.close();
    // The integrity check reads the whole database; the bar stays halfway meanwhile.
    checked.summary = db::checkDatabaseFile(extracted, [&] {
        if (progress)
            progress(0.5);
    });
    checked.moment = backupMoment(QFileInfo(path).fileName());
    if (progress)
        progress(1);
    return checked;
}

Outcome restoreArchive(const CheckedArchive& checked, const QString& dataFolder,
                       const QDateTime& now, const Progress& progress) {
    if (!QFileInfo(dataFolder).isDir())
        throw restoreError(QStringLiteral("a pasta de dados %1 não existe")
                               .arg(QDir::toNativeSeparators(dataFolder)));
    const auto step = [&progress](double from, double to) {
        return [&progress, from, to](double fraction) {
            if (progress)
                progress(from + (to - from) * fraction);
        };
    };
    archive::ArchiveReader reader(checked.path);
    const auto& entries = reader.entries();
    const auto indexOf = [&entries](const QString& name) {
        for (int i = 0; i < int(entries.size()); ++i)
            if (entries[size_t(i)].name == name)
                return i;
        return -1;
    };
    const int databaseIndex = indexOf(databaseName);
    if (databaseIndex < 0)
        throw restoreError(QStringLiteral("o backup não contém o banco de dados med.mdb"));

    Outcome outcome;
    const QString keptStem =
        QStringLiteral("med_antes_da_restauracao_") + now.toString(QStringLiteral("ddMMyyyy_HHmm"));
    if (const auto server = db::engine::serverSettings(dataFolder)) {
        // The clinic's database is on a server: the archive's med.mdb replaces its rows in one
        // transaction, the last step, so that a failure before it leaves everything as it was.
        // The files the workstations share live in the shared folder.
        const QString files = db::sharedFolder(dataFolder);
        const QString name = QStringLiteral("restaura-servidor");
        struct Remove {
            QString name;
            ~Remove() { QSqlDatabase::removeDatabase(name); }
        } remove{name};
        QSqlDatabase db = QSqlDatabase::addDatabase(db::engine::serverDriverName(), name);
        db::engine::openServer(db, server->connection);
        if (db::engine::othersConnected(db))
            throw db::DatabaseInUse();
        QTemporaryDir work;
        const QString extracted = QDir(work.path()).filePath(databaseName);
        {
            QFile out(extracted);
            if (!out.open(QIODevice::WriteOnly))
                throw restoreError(QStringLiteral("não foi possível extrair o banco de dados"));
            reader.read(
                databaseIndex, [&](const char* data, qint64 size) { out.write(data, size); },
                step(0, 0.3));
            if (!out.flush())
                throw restoreError(QStringLiteral("não foi possível extrair o banco de dados"));
        }
        Undo undo;
        const QString kept =
            platform::joinPath(dataFolder, freeName(dataFolder, keptStem, QStringLiteral(".mdb")));
        undo.add([kept] { QFile::remove(kept); });
        const auto keeping = step(0.3, 0.6);
        db::engine::backup(db, kept, [&keeping](qint64 done, qint64 total) {
            if (total > 0)
                keeping(double(done) / double(total));
        });
        outcome.keptDatabase = kept;
        if (!checked.examFiles.isEmpty())
            restoreExams(reader, files, undo, outcome, step(0.6, 0.8));
        if (const int counter = indexOf(counterName); counter >= 0)
            restoreCounter(reader, counter, files, undo, outcome);
        if (const int logo = indexOf(logoName); logo >= 0)
            restoreLogo(reader, logo, files, undo, outcome);
        db::engine::replaceServerRows(extracted, db);
        db.close();
        undo.commit();
        if (progress)
            progress(1);
        return outcome;
    }
    const QString database = platform::joinPath(dataFolder, databaseName);
    // Refused here, before anything is written, while another copy of the program has the
    // database open. A file SQLite cannot open is kept as it is, its log with it.
    std::optional<db::DatabaseLock> lock;
    if (QFileInfo::exists(database)) {
        try {
            lock.emplace(database);
        } catch (const db::DatabaseDamaged& e) {
            outcome.notes << QStringLiteral("O banco de dados atual não pôde ser aberto (%1); "
                                            "foi guardado como estava.")
                                 .arg(e.message());
        }
    }

    Undo undo;
    platform::NewFile restored(dataFolder);
    reader.read(
        databaseIndex, [&](const char* data, qint64 size) { restored.write(data, size); },
        step(0, 0.6));
    noteSharing(restored.finish(platform::sharingFor(dataFolder, database)), database, outcome);

    const QString kept =
        platform::joinPath(dataFolder, freeName(dataFolder, keptStem, QStringLiteral(".mdb")));
    if (QFileInfo::exists(database))
        keepDatabase(database, kept, lock ? &*lock : nullptr, undo, outcome, step(0.6, 0.7));

    if (!checked.examFiles.isEmpty())
        restoreExams(reader, dataFolder, undo, outcome, step(0.7, 1));
    if (const int counter = indexOf(counterName); counter >= 0)
        restoreCounter(reader, counter, dataFolder, undo, outcome);
    if (const int logo = indexOf(logoName); logo >= 0)
        restoreLogo(reader, logo, dataFolder, undo, outcome);

    // SQLite would replay an old log into the new file: a log or journal still beside med.mdb
    // (a file SQLite could not open) goes with the kept copy, the shared-memory index away.
    for (const char* suffix : {"-wal", "-journal"}) {
        const QString companion = database + QLatin1String(suffix);
        if (!QFileInfo::exists(companion))
            continue;
        const QString aside = kept + QLatin1String(suffix);
        platform::replaceFile(companion, aside);
        undo.add([companion, aside] { platform::replaceFile(aside, companion); });
    }
    const QString sharedMemory = database + QStringLiteral("-shm");
    if (QFileInfo::exists(sharedMemory) && !QFile::remove(sharedMemory))
        throw restoreError(QStringLiteral("o arquivo %1 não pôde ser removido").arg(sharedMemory));

    restored.replace(database);
    undo.commit();
    if (progress)
        progress(1);
    return outcome;
}

} // namespace corvalen::restore
