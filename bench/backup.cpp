// Backup: the whole "Realizar Backup" of the backup window (the database snapshot, the archive
// written at deflate level 9, read back and renamed) on a copy of the scale's data folder, and
// in the same run `zip -9` of the same database file, alternating, so both see the same load.
// Then the restore program's check of that archive (read back with its CRCs, the database
// extracted and put through SQLite's integrity check, its counts).

#include "backup/backup.h"
#include "app/application.h"
#include "app/startup.h"
#include "bench/bench.h"
#include "platform/folders.h"
#include "platform/messages.h"
#include "platform/pickers.h"
#include "restore/restore.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <cmath>

namespace corvalen::bench {

namespace {

// Larger databases would make each run last minutes; the clinic of ten years is the measure.
constexpr qint64 largestDatabase = qint64(2) << 30;

double mb(qint64 bytes) {
    return std::round(double(bytes) / (1 << 20) * 10) / 10;
}

double rounded(double value) {
    return std::round(value * 10) / 10;
}

// The folder of the archives, inside the copied application-data folder.
QString archiveFolder(const QString& appData) {
    return platform::joinPath(appData, QStringLiteral("backups"));
}

QString dataFolder(const QString& appData) {
    return platform::joinPath(platform::joinPath(appData, QStringLiteral("Talvane")),
                              QStringLiteral("Corvalen"));
}

// A copy of the scale's data folder to write beside, so the shared one stays untouched.
bool copyScale(const Scale& scale, const QString& to) {
    const QString from = dataFolder(scale.appData);
    const QString data = dataFolder(to);
    if (!QDir().mkpath(platform::joinPath(data, QStringLiteral("ex"))) ||
        !QDir().mkpath(archiveFolder(to)))
        return false;
    // A clinic on the server: its database and shared files stay where servidor.cfg names them.
    const bool server = QFileInfo::exists(platform::joinPath(from, QStringLiteral("servidor.cfg")));
    const std::vector<const char*> files =
        server ? std::vector<const char*>{"servidor.cfg"}
               : std::vector<const char*>{"med.mdb", "cont.cfg", "logo.cfg"};
    for (const char* name : files) {
        if (!QFile::copy(platform::joinPath(from, QLatin1String(name)),
                         platform::joinPath(data, QLatin1String(name))))
            return false;
    }
    return true;
}

void fail(const QString& error) {
    print({{"error", error}});
    std::_Exit(3);
}

} // namespace

int backupChild(int argc, char** argv) {
    Application app(argc, argv);
    const QString target = archiveFolder(platform::commonAppDataFolder());
    QString shown;
    messages::setHook([&shown](const messages::Shown& s) {
        shown = s.text;
        return messages::Answer::Ok;
    });
    platform::setPickerHook([&target](const platform::PickerRequest&) { return target; });
    createWindows();
    if (!shown.isEmpty())
        fail(QStringLiteral("message at start-up: ") + shown);
    Form25->BitBtn1Click();
    const qint64 started = monotonicNs();
    Form25->BitBtn2Click();
    const double ms = msSince(started);
    if (shown != QLatin1String("Backup realizado com sucesso!"))
        fail(QStringLiteral("backup failed: ") + shown);
    const QFileInfoList archives =
        QDir(target).entryInfoList({QStringLiteral("medbackup_*.zip")}, QDir::Files, QDir::Time);
    if (archives.isEmpty())
        fail(QStringLiteral("no archive written"));
    print({{"ms", ms}, {"zip_bytes", archives.first().size()}, {"peak_rss_mb", peakRssMb()}});
    destroyWindows();
    return 0;
}

int restoreVerifyChild(int, char**) {
    const QFileInfoList archives =
        QDir(archiveFolder(platform::commonAppDataFolder()))
            .entryInfoList({QStringLiteral("medbackup_*.zip")}, QDir::Files, QDir::Time);
    if (archives.isEmpty())
        fail(QStringLiteral("no archive to check"));
    QTemporaryDir work;
    const qint64 started = monotonicNs();
    try {
        const restore::CheckedArchive checked =
            restore::checkArchive(archives.first().filePath(), work.path());
        const double ms = msSince(started);
        print({{"ms", ms}, {"patients", checked.summary.patients}, {"peak_rss_mb", peakRssMb()}});
    } catch (const std::exception& e) {
        fail(QString::fromUtf8(e.what()));
    }
    return 0;
}

bool backupBenchmark(const Scale& scale, const Options& options) {
    const qint64 dbBytes =
        QFileInfo(platform::joinPath(dataFolder(scale.appData), QStringLiteral("med.mdb"))).size();
    if (dbBytes > largestDatabase) {
        print({{"bench", "backup"},
               {"scale", scale.name},
               {"db_mb", mb(dbBytes)},
               {"skipped", "larger than 2 GB: minutes per run"}});
        return true;
    }
    QTemporaryDir copy;
    if (!copy.isValid() || !copyScale(scale, copy.path())) {
        print({{"bench", "backup"}, {"scale", scale.name}, {"error", "could not copy the scale"}});
        return false;
    }
    const Scale copied{scale.name, copy.path()};
    const QString database = platform::joinPath(dataFolder(copy.path()), QStringLiteral("med.mdb"));
    const QString zip9 = copy.filePath(QStringLiteral("zip9.zip"));

    std::vector<double> ours, oursBytes, theirs, theirsBytes;
    for (int run = 0; run < options.runs; ++run) {
        qint64 started = 0;
        const QJsonObject result = runChild(QStringLiteral("backup"), copied, options, &started);
        if (result.contains("error")) {
            print({{"bench", "backup"}, {"scale", scale.name}, {"error", result["error"]}});
            return false;
        }
        ours.push_back(result["ms"].toDouble());
        oursBytes.push_back(result["zip_bytes"].toDouble());

        if (!QFileInfo::exists(database))
            continue; // on the server: no database file to compare with
        QFile::remove(zip9);
        QProcess zip;
        const qint64 zipStarted = monotonicNs();
        zip.start(QStringLiteral("zip"), {"-9", "-j", "-q", zip9, database});
        if (!zip.waitForFinished(600000) || zip.exitCode() != 0) {
            print({{"bench", "backup"}, {"scale", scale.name}, {"error", "zip -9 failed"}});
            return false;
        }
        theirs.push_back(msSince(zipStarted));
        theirsBytes.push_back(double(QFileInfo(zip9).size()));
    }
    const double ms = median(ours);
    // On the server there is no database file for zip -9 to compress.
    const bool compared = !theirs.empty();
    Line line{{"bench", "backup"}, {"scale", scale.name}};
    if (compared)
        line.emplace_back("db_mb", mb(dbBytes));
    line.emplace_back("ms", rounded(ms));
    line.emplace_back("zip_mb", mb(qint64(median(oursBytes))));
    if (compared) {
        const double zipMs = median(theirs);
        line.emplace_back("zip9_ms", rounded(zipMs));
        line.emplace_back("zip9_mb", mb(qint64(median(theirsBytes))));
        line.emplace_back("time_ratio", std::round(ms / zipMs * 1000) / 1000);
        line.emplace_back("size_ratio",
                          std::round(median(oursBytes) / median(theirsBytes) * 10000) / 10000);
    }
    line.emplace_back("runs", options.runs);
    line.emplace_back("min_ms", rounded(*std::min_element(ours.begin(), ours.end())));
    line.emplace_back("max_ms", rounded(*std::max_element(ours.begin(), ours.end())));
    print(line);

    std::vector<double> verify;
    for (int run = 0; run < options.runs; ++run) {
        qint64 started = 0;
        const QJsonObject result =
            runChild(QStringLiteral("restore_verify"), copied, options, &started);
        if (result.contains("error")) {
            print({{"bench", "restore_verify"}, {"scale", scale.name}, {"error", result["error"]}});
            return false;
        }
        verify.push_back(result["ms"].toDouble());
    }
    print({{"bench", "restore_verify"},
           {"scale", scale.name},
           {"zip_mb", mb(qint64(median(oursBytes)))},
           {"ms", rounded(median(verify))},
           {"runs", options.runs},
           {"min_ms", rounded(*std::min_element(verify.begin(), verify.end()))},
           {"max_ms", rounded(*std::max_element(verify.begin(), verify.end()))}});
    return true;
}

} // namespace corvalen::bench
