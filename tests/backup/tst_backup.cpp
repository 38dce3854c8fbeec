// The backup window: choosing the folder, the dated archive with its one consistent med.mdb
// (what the write-ahead log holds included, another process writing meanwhile), the archive
// with the exam files, the failures that must leave nothing under the backup's name, and the
// hand-over to the restore program.

#include "backup/backup.h"
#include "db/datafolder.h"
#include "db/dm2.h"
#include "db/session.h"
#include "platform/clock.h"
#include "platform/pickers.h"
#include "platform/shell.h"
#include "tests/support/archive_check.h"
#include "tests/support/fixture.h"
#include "tests/support/server.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace corvalen;
using messages::Kind;

class TstBackup : public QObject {
    Q_OBJECT

    std::unique_ptr<test::MessageRecorder> recorder;
    std::unique_ptr<test::DataFolder> folder;
    std::unique_ptr<TForm25> form;
    std::unique_ptr<QTemporaryDir> target;
    std::optional<QString> pickerAnswer;
    std::vector<platform::PickerRequest> pickerRequests;
    QDateTime moment;

    QString archive(const QString& name = "medbackup_01032027_0905.zip") const {
        return QDir(target->path()).filePath(name);
    }
    QStringList targetFiles() const {
        return QDir(target->path()).entryList(QDir::Files | QDir::Hidden);
    }
    void chooseFolder(const QString& path) {
        pickerAnswer = path;
        form->BitBtn1->click();
    }
    QString archivedDatabase(const QString& zipPath) {
        const auto entries = test::zipEntries(zipPath);
        const QString path = folder->file("extraido.mdb");
        QFile::remove(path);
        if (entries.empty() || !test::writeBytes(path, entries.front().content))
            return {};
        return path;
    }

private slots:
    void init() {
        recorder = std::make_unique<test::MessageRecorder>();
        folder = std::make_unique<test::DataFolder>();
        folder->openDataModule();
        target = std::make_unique<QTemporaryDir>();
        form = std::make_unique<TForm25>();
        form->show();
        moment = QDateTime(QDate(2027, 3, 1), QTime(9, 5, 41));
        platform::setClockForTests([this] { return moment; });
        pickerAnswer.reset();
        pickerRequests.clear();
        platform::setPickerHook([this](const platform::PickerRequest& r) {
            pickerRequests.push_back(r);
            return pickerAnswer;
        });
    }
    void cleanup() {
        form.reset();
        platform::setPickerHook({});
        platform::setClockForTests({});
        target.reset();
        folder.reset();
        recorder.reset();
    }

    // The archive is named after the clock, holds one deflated med.mdb without folders or
    // password, equal in content to the live database including rows that are still only in
    // its write-ahead log, and opens with no log; the windows keep running meanwhile.
    void backupWritesTheDatedArchive() {
        folder->exec("INSERT INTO Pacientes (nome, cidade) VALUES ('Ângela Só no Log', 'Itu')");
        QVERIFY(!test::fileBytes(folder->file("med.mdb")).contains("Só no Log"));
        chooseFolder(target->path());
        QCOMPARE(pickerRequests.size(), size_t(1));
        QCOMPARE(pickerRequests[0].kind, platform::PickerKind::Folder);
        QCOMPARE(pickerRequests[0].title, "Selecione a pasta de destino do backup:");
        QCOMPARE(form->Edit1->text(), QDir::toNativeSeparators(target->path()));

        bool ranDuringBackup = false;
        QTimer::singleShot(0, [&] { ranDuringBackup = form->ProgressBar1->isVisible(); });
        form->BitBtn2->click();

        QVERIFY(ranDuringBackup);
        QVERIFY(!form->ProgressBar1->isVisible());
        QVERIFY(form->BitBtn2->isEnabled());
        QCOMPARE(recorder->texts(), QStringList{"Backup realizado com sucesso!"});
        QCOMPARE(recorder->shown().back().kind, Kind::Information);
        QCOMPARE(targetFiles(), QStringList{"medbackup_01032027_0905.zip"});
        const auto entries = test::zipEntries(archive());
        QCOMPARE(entries.size(), size_t(1));
        QCOMPARE(entries[0].name, "med.mdb");
        QCOMPARE(entries[0].method, ZIP_CM_DEFLATE);
        QVERIFY(!entries[0].encrypted);
        const QString copy = archivedDatabase(archive());
        if (test::onServer()) {
            // An SQLite database with the server's rows, which either engine restores.
            const db::DatabaseSummary archived = db::checkDatabaseFile(copy);
            const auto server = db::summarizeDataFolder(folder->path());
            QVERIFY(archived.patients == server->patients && archived.users == server->users &&
                    archived.consultations == server->consultations);
        } else {
            QCOMPARE(test::databaseContent(copy), test::databaseContent(folder->file("med.mdb")));
        }
        QVERIFY(test::databaseContent(copy).contains("Ângela Só no Log"));
        QCOMPARE(int(entries[0].content.at(18)), 1); // a rollback-journal database
        QVERIFY(!QFile::exists(copy + "-wal"));
    }

    // A second backup in the same minute replaces that minute's archive; one in another minute
    // adds an archive and leaves the earlier one untouched.
    void laterBackupsReplaceOrAdd() {
        chooseFolder(target->path() + "/"); // a path ending in a separator
        form->BitBtn2->click();
        folder->exec("INSERT INTO Pacientes (nome) VALUES ('Segunda cópia')");
        moment = moment.addSecs(10);
        form->BitBtn2->click();
        QCOMPARE(targetFiles(), QStringList{"medbackup_01032027_0905.zip"});
        QVERIFY(test::databaseContent(archivedDatabase(archive())).contains("Segunda cópia"));
        const QByteArray first = test::fileBytes(archive());

        moment = QDateTime(QDate(2027, 3, 1), QTime(9, 6));
        folder->exec("INSERT INTO Pacientes (nome) VALUES ('Terceira cópia')");
        form->BitBtn2->click();
        QCOMPARE(targetFiles(),
                 (QStringList{"medbackup_01032027_0905.zip", "medbackup_01032027_0906.zip"}));
        QCOMPARE(test::fileBytes(archive()), first);
        QCOMPARE(recorder->texts(), QStringList(3, "Backup realizado com sucesso!"));
    }

    // The name: date and time with two digits each, one separator after any folder.
    void archiveNames_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<QString>("name");
        QTest::newRow("morning") << "/copias" << QDateTime(QDate(2027, 3, 1), QTime(9, 5))
                                 << "/copias/medbackup_01032027_0905.zip";
        QTest::newRow("evening") << "/mnt/pendrive" << QDateTime(QDate(2026, 12, 8), QTime(21, 45))
                                 << "/mnt/pendrive/medbackup_08122026_2145.zip";
        QTest::newRow("root folder")
            << "/" << QDateTime(QDate(2027, 3, 1), QTime(0, 0)) << "/medbackup_01032027_0000.zip";
    }
    void archiveNames() {
        QFETCH(QString, folder);
        QFETCH(QDateTime, moment);
        QFETCH(QString, name);
        QCOMPARE(backupArchiveName(folder, moment), name);
    }

    // Without a folder the backup only warns; closing the window keeps the folder; a cancelled
    // chooser empties the box and the target, and the next backup warns again.
    void aFolderIsNeeded() {
        form->BitBtn2->click();
        chooseFolder(target->path());
        // "Fechar" hides the window; shown again it still has the folder.
        form->Button1->click();
        QVERIFY(!form->isVisible());
        form->show();
        QCOMPARE(form->Edit1->text(), QDir::toNativeSeparators(target->path()));
        pickerAnswer.reset();
        form->BitBtn1->click();
        QCOMPARE(form->Edit1->text(), QString());
        QCOMPARE(form->targetFolder(), QString());
        form->BitBtn2->click();
        QCOMPARE(recorder->texts(), QStringList(2, "Favor selecionar pasta de destino"));
        QCOMPARE(recorder->shown().back().kind, Kind::Warning);
        QCOMPARE(targetFiles(), QStringList());
    }

    // Each failure shows one message of the writer's naming the archive and the reason, no
    // success message, and leaves no file but an earlier archive of the same name, untouched.
    void failuresLeaveNothingBehind_data() {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder gone") << "gone"
                                     << "a pasta de destino não existe";
        QTest::newRow("no permission") << "readonly"
                                       << "sem permissão para gravar";
        QTest::newRow("disk full") << "full"
                                   << "o arquivo ficou maior do que o disco aceita";
        QTest::newRow("database unreadable") << "database"
                                             << "não foi possível ler o banco de dados";
    }
    void failuresLeaveNothingBehind() {
        QFETCH(QString, failure);
        QFETCH(QString, reason);
        QString folderPath = target->path() + "/copias";
        QVERIFY(QDir().mkpath(folderPath));
        const QString earlier = folderPath + "/medbackup_01032027_0905.zip";
        QVERIFY(test::writeBytes(earlier, "o backup anterior"));
        if (failure == "readonly") {
            QFile::setPermissions(folderPath, QFile::ReadOwner | QFile::ExeOwner);
            // The superuser writes anywhere but in the kernel's own folders.
            if (geteuid() == 0)
                folderPath = "/sys";
        }
        chooseFolder(folderPath);
        if (failure == "gone")
            QVERIFY(QDir(folderPath).removeRecursively());
        if (failure == "database") {
            if (test::onServer())
                QSKIP("med.mdb; the server's lost connection is tested with the dataset");
            QVERIFY(QFile::remove(folder->file("med.mdb")));
        }
        rlimit before{};
        if (failure == "full") {
            // The exam copies make the archive larger than the disk takes, the snapshot not.
            form->CheckBox1->setChecked(true);
            QByteArray noise(3 << 20, Qt::Uninitialized);
            for (qsizetype i = 0; i < noise.size(); ++i)
                noise[i] = char((i * 7919) ^ (i >> 7) * 31);
            QVERIFY(test::writeBytes(folder->file("ex/1.jpg"), noise));
            getrlimit(RLIMIT_FSIZE, &before);
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit small = before;
            small.rlim_cur = 1 << 20;
            setrlimit(RLIMIT_FSIZE, &small);
        }
        form->BitBtn2->click();
        if (failure == "full")
            setrlimit(RLIMIT_FSIZE, &before);
        QFile::setPermissions(target->path() + "/copias",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QCOMPARE(recorder->shown().size(), size_t(1));
        QCOMPARE(recorder->shown()[0].kind, Kind::Error);
        const QString text = recorder->last();
        QVERIFY2(text.contains(folderPath + "/medbackup_01032027_0905.zip") &&
                     text.contains(reason),
                 qPrintable(text));
        if (failure == "gone") {
            QVERIFY(!QFileInfo::exists(folderPath));
        } else if (folderPath != "/sys") {
            QCOMPARE(QDir(folderPath).entryList(QDir::Files | QDir::Hidden),
                     QStringList{"medbackup_01032027_0905.zip"});
            QCOMPARE(test::fileBytes(earlier), QByteArray("o backup anterior"));
        } else {
            QVERIFY(!QFileInfo::exists("/sys/medbackup_01032027_0905.zip"));
        }
        QVERIFY(form->BitBtn2->isEnabled());
    }

    // Ticked, the archive also holds the exam copies under ex/ and the two small files.
    void examsTickedAddsTheExamFolder() {
        QVERIFY(test::writeBytes(folder->file("ex/3.jpg"), QByteArray(5000, '\x11')));
        QVERIFY(test::writeBytes(folder->file("ex/4.pdf"), "%PDF-1.4 laudo"));
        QVERIFY(test::writeBytes(folder->file("cont.cfg"), "4\r\n"));
        form->CheckBox1->setChecked(true);
        chooseFolder(target->path());
        form->BitBtn2->click();
        QCOMPARE(recorder->texts(), QStringList{"Backup realizado com sucesso!"});
        const auto entries = test::zipEntries(archive());
        QStringList names;
        for (const auto& e : entries)
            names << e.name;
        QCOMPARE(names, (QStringList{"med.mdb", "ex/3.jpg", "ex/4.pdf", "cont.cfg", "logo.cfg"}));
        QCOMPARE(entries[1].content, QByteArray(5000, '\x11'));
        QCOMPARE(entries[2].content, QByteArray("%PDF-1.4 laudo"));
        QCOMPARE(entries[3].content, QByteArray("4\r\n"));
        QCOMPARE(entries[4].content, test::fileBytes(folder->file("logo.cfg")));
    }

    // Another process adding rows all the while: the archived database passes its integrity
    // check and holds every row committed before the backup began, with no gap.
    void backupWhileAnotherProcessWrites() {
        if (test::onServer())
            QSKIP("another process writing med.mdb");
        // Enough data for the snapshot to take several steps.
        folder->exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
                     "6000) INSERT INTO Consultas (Data, Cod_pac, Anamnese) SELECT '2026-01-01', "
                     "i, printf('%.2000c', 'a') FROM n");
        QProcess writer;
        writer.start(WRITER_PROGRAM, {folder->file("med.mdb")});
        QVERIFY(writer.waitForStarted());
        long committed = 0;
        while (committed < 50 && writer.waitForReadyRead(5000)) {
            while (writer.canReadLine())
                committed = writer.readLine().trimmed().toLong();
        }
        QVERIFY(committed >= 50);
        chooseFolder(target->path());
        form->BitBtn2->click();
        writer.closeWriteChannel();
        QVERIFY(writer.waitForFinished(10000));
        QCOMPARE(writer.exitCode(), 0);
        QCOMPARE(recorder->texts(), QStringList{"Backup realizado com sucesso!"});

        const QString copy = archivedDatabase(archive());
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open_v2(copy.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr),
                 SQLITE_OK);
        auto number = [db](const char* sql) {
            sqlite3_stmt* s = nullptr;
            sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
            const qint64 v = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int64(s, 0) : -1;
            sqlite3_finalize(s);
            return v;
        };
        const qint64 rows = number("SELECT count(*) FROM Pacientes WHERE plano = 'escritor'");
        const qint64 highest =
            number("SELECT max(CAST(nome AS INTEGER)) FROM Pacientes WHERE plano = 'escritor'");
        const qint64 integrityOk = number("SELECT count(*) FROM pragma_integrity_check "
                                          "WHERE integrity_check = 'ok'");
        sqlite3_close(db);
        QCOMPARE(integrityOk, 1);
        QVERIFY2(rows >= committed, qPrintable(QString("%1 < %2").arg(rows).arg(committed)));
        QCOMPARE(highest, rows);
    }

    // The restore command starts program folder/restaura and ends this program at once.
    void restoreStartsTheRestoreProgram() {
        QStringList started;
        int ended = 0;
        platform::setStartProgramHook([&](const QString& path) { started << path; });
        platform::setEndProgramHook([&] { ++ended; });
        form->Button2->click();
        platform::setStartProgramHook({});
        platform::setEndProgramHook({});
        QCOMPARE(started, QStringList{session().programFolder + "/restaura"});
        QCOMPARE(ended, 1);
        QCOMPARE(recorder->texts(), QStringList());
    }
};

QTEST_MAIN(TstBackup)
#include "tst_backup.moc"
