// The restore program, driven as a user would: the archive checked before anything is touched
// (each bad archive refused with its reason and nothing changed), the confirmation with the two
// columns of counts, the refusal while Corvalen has the database open, a restore over a
// database a crash left with its log, a restore with exam files, a failure midway, and the
// files keeping the data folder's group and permissions.

#include "backup/archive.h"
#include "db/database_file.h"
#include "db/datafolder.h"
#include "platform/clock.h"
#include "platform/pickers.h"
#include "platform/shell.h"
#include "restore/restore_window.h"
#include "tests/support/archive_check.h"
#include "tests/support/fixture.h"
#include "tests/support/server.h"

#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QStackedWidget>
#include <QTableWidget>
#include <QtTest>
#include <csignal>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace corvalen;
using messages::Kind;

namespace {

void exec(const QString& database, const QString& sql, bool keepLogOnClose = false) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(database).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (keepLogOnClose)
        sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    char* error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK)
        qFatal("fixture SQL failed: %s", error);
    sqlite3_close(db);
}

// Every file under `folder` with its bytes; a database by its content, which folding a log
// in leaves alone while it rewrites bytes of the header. The log's index is left out.
std::map<QString, QByteArray> folderState(const QString& folder) {
    std::map<QString, QByteArray> state;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.endsWith("-shm")) // the log's index, which every reader writes to
            continue;
        state[QDir(folder).relativeFilePath(path)] =
            path.endsWith(".mdb") ? test::databaseContent(path).toUtf8() : test::fileBytes(path);
    }
    return state;
}

} // namespace

class TstRestore : public QObject {
    Q_OBJECT

    std::unique_ptr<test::MessageRecorder> recorder;
    std::unique_ptr<test::DataFolder> current;
    std::unique_ptr<QTemporaryDir> backups; // the source clinic and the archives
    std::unique_ptr<RestoreWindow> window;
    std::vector<platform::PickerRequest> pickerRequests;

    QString source() const { return backups->filePath("origem"); }
    QString archivePath(const QString& name) const { return backups->filePath(name); }

    // A backup of the source clinic (3 patients, 2 consultations, 1 exam), written by the
    // program's own writer; `withExams` adds its ex/ files, cont.cfg and logo.cfg.
    QString makeBackup(const QString& name, bool withExams) {
        const QString snapshot = backups->filePath("instantaneo.mdb");
        QFile::remove(snapshot);
        db::copyDatabaseFile(source() + "/med.mdb", snapshot);
        archive::ZipArchiveWriter writer;
        writer.setFileName(archivePath(name));
        writer.addFile(snapshot, "med.mdb");
        if (withExams) {
            for (const QString& exam : QDir(source() + "/ex").entryList(QDir::Files))
                writer.addFile(source() + "/ex/" + exam, "ex/" + exam);
            writer.addFile(source() + "/cont.cfg", "cont.cfg");
            writer.addFile(source() + "/logo.cfg", "logo.cfg");
        }
        if (!writer.add())
            qFatal("backup fixture failed: %s", qPrintable(writer.lastError()));
        return archivePath(name);
    }

    void openWindow() {
        window = std::make_unique<RestoreWindow>(RestoreWindow::Setup{
            current->path(), "/opt/corvalen", backups->filePath("restaura.ini")});
        window->show();
    }
    // Chooses the archive by typing its path, and has it checked.
    void check(const QString& archive) {
        window->EditArchive->setText(archive);
        window->ButtonCheck->click();
    }
    QString cell(int row, int column) const {
        const QTableWidgetItem* item = window->GridCounts->item(row, column);
        return item ? item->text() : QString();
    }

private slots:
    void init() {
        recorder = std::make_unique<test::MessageRecorder>();
        current = std::make_unique<test::DataFolder>();
        backups = std::make_unique<QTemporaryDir>();
        db::prepareDataFolder(source(), "/nonexistent/medicina.jpg");
        exec(source() + "/med.mdb",
             "INSERT INTO Pacientes (nome) VALUES ('Ana'), ('Bruno'), ('Célia');"
             "INSERT INTO Consultas (Data, Cod_pac, Anamnese) VALUES ('2027-02-26', 1, 'Gripe'),"
             " ('2027-02-28', 2, 'Febre');"
             "INSERT INTO Exames (nome, arquivo, cod_pront) VALUES ('RX', 'ex/1.jpg', 1);");
        test::writeBytes(source() + "/ex/1.jpg", "raio x de 2027");
        test::writeBytes(source() + "/ex/2.pdf", "laudo do backup");
        test::writeBytes(source() + "/ex/3.jpg", "exame que falta");
        test::writeBytes(source() + "/cont.cfg", "3\r\n");
        test::writeBytes(source() + "/logo.cfg", "/nonexistent/logo-da-clinica.jpg\r\n");
        platform::setPickerHook([this](const platform::PickerRequest& r) {
            pickerRequests.push_back(r);
            return std::nullopt;
        });
        platform::setClockForTests([] { return QDateTime(QDate(2027, 3, 2), QTime(8, 30)); });
    }
    void cleanup() {
        window.reset();
        platform::setPickerHook({});
        platform::setClockForTests({});
        pickerRequests.clear();
        backups.reset();
        current.reset();
        recorder.reset();
    }

    // A sound archive leads to the confirmation: the backup's date from its name and its newest
    // consultation, and its counts beside the current data's, with nothing touched yet.
    void soundArchiveShowsTheComparison() {
        const QString archive = makeBackup("medbackup_01032027_0905.zip", true);
        current->exec("INSERT INTO Pacientes (nome) VALUES ('Só no atual')");
        const auto before = folderState(current->path());
        openWindow();
        check(archive);
        QCOMPARE(recorder->texts(), QStringList());
        QCOMPARE(window->Pages->currentIndex(), 1);
        QVERIFY(window->LabelMoment->text().contains("01/03/2027 às 09:05"));
        QVERIFY(window->LabelMoment->text().contains("28/02/2027"));
        const QStringList names{cell(0, 0), cell(1, 0), cell(2, 0), cell(3, 0), cell(4, 0)};
        const QStringList backupColumn{cell(0, 1), cell(1, 1), cell(2, 1), cell(3, 1), cell(4, 1)};
        const QStringList currentColumn{cell(0, 2), cell(1, 2), cell(2, 2), cell(3, 2), cell(4, 2)};
        QCOMPARE(names, (QStringList{"Pacientes", "Consultas", "Exames", "Usuários",
                                     "Arquivos de exames"}));
        QCOMPARE(backupColumn, (QStringList{"3", "2", "1", "1", "3"}));
        QCOMPARE(currentColumn, (QStringList{"1", "0", "0", "1", "0"}));
        QCOMPARE(folderState(current->path()), before);
        QCOMPARE(QSettings(backups->filePath("restaura.ini"), QSettings::IniFormat)
                     .value("pastasUsadas")
                     .toStringList(),
                 QStringList{backups->path()});
    }

    // Each unsound archive is refused with its reason, on the first step, nothing changed.
    void unsoundArchivesAreRefused_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("reason");
        QTest::newRow("truncated") << "truncated"
                                   << "não é um ZIP completo e válido";
        QTest::newRow("damaged data") << "flipped"
                                      << "danificado";
        QTest::newRow("another entry name") << "renamed"
                                            << "que não é do Corvalen: dados/med.mdb";
        QTest::newRow("no database") << "nodatabase"
                                     << "não contém o banco de dados med.mdb";
        QTest::newRow("an extra entry") << "extra"
                                        << "que não é do Corvalen: leia-me.txt";
        QTest::newRow("a path out of ex/") << "escape"
                                           << "que não é do Corvalen: ex/../med.mdb";
        QTest::newRow("integrity check fails") << "corrupt"
                                               << "verificação de integridade";
        QTest::newRow("a table missing") << "table"
                                         << "falta a tabela Consultas";
    }
    void unsoundArchivesAreRefused() {
        QFETCH(QString, fault);
        QFETCH(QString, reason);
        QString archive = makeBackup("medbackup_01032027_0905.zip", false);
        const QByteArray database = test::zipEntries(archive).at(0).content;
        const QString other = archivePath("medbackup_02032027_1000.zip");
        if (fault == "truncated") {
            const QByteArray bytes = test::fileBytes(archive);
            QVERIFY(test::writeBytes(other, bytes.left(bytes.size() / 2)));
        } else if (fault == "flipped") {
            QByteArray bytes = test::fileBytes(archive);
            for (int i = 200; i < 260; ++i)
                bytes[i] = char(bytes[i] ^ 0x55);
            QVERIFY(test::writeBytes(other, bytes));
        } else if (fault == "renamed") {
            QVERIFY(test::writeZip(other, {{"dados/med.mdb", database}}));
        } else if (fault == "nodatabase") {
            QVERIFY(test::writeZip(other, {{"cont.cfg", "3\r\n"}}));
        } else if (fault == "extra") {
            QVERIFY(test::writeZip(other, {{"med.mdb", database}, {"leia-me.txt", "x"}}));
        } else if (fault == "escape") {
            QVERIFY(test::writeZip(other, {{"med.mdb", database}, {"ex/../med.mdb", "x"}}));
        } else if (fault == "corrupt") {
            QByteArray damaged = database;
            for (int i = 4096 + 8; i < 4096 * 3; ++i)
                damaged[i] = char(i * 13);
            QVERIFY(test::writeZip(other, {{"med.mdb", damaged}}));
        } else if (fault == "table") {
            exec(source() + "/med.mdb", "DROP TABLE Consultas");
            QVERIFY(QFile::remove(archive));
            archive = makeBackup("medbackup_01032027_0905.zip", false);
            QVERIFY(QFile::rename(archive, other));
        }
        const auto before = folderState(current->path());
        openWindow();
        check(other);
        QCOMPARE(recorder->shown().size(), size_t(1));
        QCOMPARE(recorder->shown()[0].kind, Kind::Warning);
        QVERIFY2(recorder->last().contains(reason), qPrintable(recorder->last()));
        QVERIFY(recorder->last().endsWith("Nada foi alterado."));
        QCOMPARE(window->Pages->currentIndex(), 0);
        QVERIFY(window->ButtonCheck->isEnabled());
        QCOMPARE(folderState(current->path()), before);
    }

    // While another process (an idle Corvalen) has the database open the restore is refused,
    // saying why, and nothing changes, that program's log included.
    void refusedWhileTheDatabaseIsInUse() {
        if (test::onServer())
            QSKIP("a process holding med.mdb; restoreIntoTheServer covers the server");
        const QString archive = makeBackup("medbackup_01032027_0905.zip", true);
        QProcess program;
        program.start(WRITER_PROGRAM, {current->file("med.mdb"), "hold"});
        QVERIFY(program.waitForReadyRead(5000));
        QCOMPARE(program.readLine().trimmed(), QByteArray("1"));
        QVERIFY(QFileInfo(current->file("med.mdb-wal")).size() > 0);
        openWindow();
        check(archive);
        QCOMPARE(window->Pages->currentIndex(), 1);
        QCOMPARE(cell(0, 2), "1");
        const auto before = folderState(current->path());
        const QByteArray file = test::fileBytes(current->file("med.mdb"));
        window->ButtonRestore->click();
        QCOMPARE(recorder->texts().size(), 1);
        QVERIFY(recorder->last().startsWith("O Corvalen está aberto"));
        QCOMPARE(window->Pages->currentIndex(), 1);
        QCOMPARE(folderState(current->path()), before);
        QCOMPARE(test::fileBytes(current->file("med.mdb")), file);
        QVERIFY(before.count("med.mdb-wal"));
        program.closeWriteChannel();
        QVERIFY(program.waitForFinished(5000));
        QCOMPARE(program.exitCode(), 0);
    }

    // With the clinic on a server, the archive's rows replace the server's: refused while
    // another workstation is connected, changing nothing; then the server holds the backup's
    // rows, new keys continue above them, the previous rows are kept as an SQLite file in the
    // data folder and no med.mdb appears there. Catches a restore that writes med.mdb beside a
    // server the program never reads, and one that runs under another workstation's feet.
    void restoreIntoTheServer() {
        if (!test::onServer())
            QSKIP("the server engine");
        const QString archive = makeBackup("medbackup_01032027_0905.zip", false);
        current->exec("INSERT INTO Pacientes (nome) VALUES ('Só no servidor')");
        openWindow();
        check(archive);
        QCOMPARE(window->Pages->currentIndex(), 1);
        QCOMPARE(cell(0, 2), "1");
        {
            test::Workstation other(current->file("med.mdb"));
            window->ButtonRestore->click();
            QCOMPARE(recorder->texts().size(), 1);
            QVERIFY(recorder->last().startsWith("O Corvalen está aberto"));
            QCOMPARE(current->scalar("SELECT nome FROM Pacientes").toString(), "Só no servidor");
        }
        recorder->clear();
        window->ButtonRestore->click();
        QCOMPARE(recorder->texts(), QStringList());
        QCOMPARE(window->Pages->currentIndex(), 2);
        QCOMPARE(current->scalar("SELECT string_agg(nome, ',' ORDER BY inscricao) FROM Pacientes")
                     .toString(),
                 "Ana,Bruno,Célia");
        QCOMPARE(current->scalar("SELECT count(*) FROM Consultas").toInt(), 2);
        const QString kept = current->file("med_antes_da_restauracao_02032027_0830.mdb");
        QVERIFY(test::databaseContent(kept).contains("Só no servidor"));
        QVERIFY(!QFile::exists(current->file("med.mdb")));
        current->exec("INSERT INTO Pacientes (nome) VALUES ('Nova')");
        QCOMPARE(current->scalar("SELECT inscricao FROM Pacientes WHERE nome = 'Nova'").toInt(), 4);
    }

    // Over a database a crash left with committed rows only in its log: the kept copy holds
    // those rows with no log beside it, and the restored file opens clean, with no old log or
    // index beside it that SQLite would replay into it.
    void restoreOverADatabaseACrashLeftWithItsLog() {
        if (test::onServer())
            QSKIP("SQLite's write-ahead log");
        const QString archive = makeBackup("medbackup_01032027_0905.zip", false);
        exec(current->file("med.mdb"), "INSERT INTO Pacientes (nome) VALUES ('Só no log')", true);
        QVERIFY(QFileInfo(current->file("med.mdb-wal")).size() > 0);
        QVERIFY(!test::fileBytes(current->file("med.mdb")).contains("Só no log"));
        openWindow();
        check(archive);
        window->ButtonRestore->click();
        QCOMPARE(recorder->texts(), QStringList());
        QCOMPARE(window->Pages->currentIndex(), 2);

        const QString kept = current->file("med_antes_da_restauracao_02032027_0830.mdb");
        QVERIFY(window->MemoOutcome->toPlainText().contains(kept));
        QVERIFY(test::databaseContent(kept).contains("Só no log"));
        const QStringList files = QDir(current->path()).entryList(QDir::Files);
        QCOMPARE(files, (QStringList{"cont.cfg", "logo.cfg", "med.mdb",
                                     "med_antes_da_restauracao_02032027_0830.mdb"}));
        QCOMPARE(test::databaseContent(current->file("med.mdb")),
                 test::databaseContent(source() + "/med.mdb"));
        QCOMPARE(int(test::fileBytes(current->file("med.mdb")).at(18)), 1);
        QCOMPARE(db::checkDatabaseFile(current->file("med.mdb")).patients, 3);

        // A second restore in the same minute keeps the first kept copy as it is.
        const QByteArray firstKept = test::fileBytes(kept);
        window->ButtonBack->click();
        check(archive);
        window->ButtonRestore->click();
        QCOMPARE(test::fileBytes(kept), firstKept);
        QVERIFY(QFile::exists(current->file("med_antes_da_restauracao_02032027_0830_2.mdb")));
    }

    // An archive with exams: missing exam files are restored, equal ones left, and one whose
    // content differs is kept with the backup's beside it and reported; cont.cfg only grows.
    // The result offers to start Corvalen from the program folder.
    void restoreWithExams() {
        const QString archive = makeBackup("medbackup_01032027_0905.zip", true);
        test::writeBytes(current->file("ex/1.jpg"), "raio x de 2027");
        test::writeBytes(current->file("ex/2.pdf"), "laudo mais novo");
        test::writeBytes(current->file("cont.cfg"), "2\r\n");
        const QByteArray logo = test::fileBytes(current->file("logo.cfg"));
        openWindow();
        check(archive);
        window->ButtonRestore->click();
        QCOMPARE(recorder->texts(), QStringList());
        QCOMPARE(window->Pages->currentIndex(), 2);

        QCOMPARE(test::fileBytes(current->file("ex/1.jpg")), QByteArray("raio x de 2027"));
        QCOMPARE(test::fileBytes(current->file("ex/2.pdf")), QByteArray("laudo mais novo"));
        QCOMPARE(test::fileBytes(current->file("ex/2_restaurado.pdf")),
                 QByteArray("laudo do backup"));
        QCOMPARE(test::fileBytes(current->file("ex/3.jpg")), QByteArray("exame que falta"));
        QCOMPARE(test::fileBytes(current->file("cont.cfg")), QByteArray("3\r\n"));
        // The backup's logo names a picture this machine lacks: the current one stays.
        QCOMPARE(test::fileBytes(current->file("logo.cfg")), logo);
        if (test::onServer())
            QCOMPARE(current->scalar("SELECT count(*) FROM Pacientes").toInt(), 3);
        else
            QCOMPARE(test::databaseContent(current->file("med.mdb")),
                     test::databaseContent(source() + "/med.mdb"));
        const QString report = window->MemoOutcome->toPlainText();
        QVERIFY(
            report.contains("O logotipo do backup (/nonexistent/logo-da-clinica.jpg) não existe"));
        QVERIFY(report.contains("1 restaurados, 1 já estavam na pasta"));
        QVERIFY(report.contains("ex/2.pdf: mantido o arquivo atual; o do backup foi gravado como "
                                "ex/2_restaurado.pdf"));

        QStringList started;
        platform::setStartProgramHook([&](const QString& path) { started << path; });
        window->ButtonStart->click();
        platform::setStartProgramHook({});
        QCOMPARE(started, QStringList{"/opt/corvalen/corvalen"});
        QVERIFY(!window->isVisible());
    }

    // The disk filling up midway: the restore says why, and the data folder is as it was.
    void failureMidwayChangesNothing() {
        if (test::onServer())
            QSKIP("med.mdb's own file; the server's rows change in one transaction");
        exec(source() + "/med.mdb",
             "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1500) "
             "INSERT INTO Consultas (Data, Cod_pac, Anamnese) SELECT '2027-01-01', 1, "
             "printf('%.2000c', 'z') FROM n");
        const QString archive = makeBackup("medbackup_01032027_0905.zip", true);
        exec(current->file("med.mdb"), "INSERT INTO Pacientes (nome) VALUES ('Atual')", true);
        test::writeBytes(current->file("ex/2.pdf"), "laudo mais novo");
        const auto before = folderState(current->path());
        openWindow();
        check(archive);

        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = limit;
        small.rlim_cur = 1 << 20; // the backup's database is about 3 MB
        setrlimit(RLIMIT_FSIZE, &small);
        window->ButtonRestore->click();
        setrlimit(RLIMIT_FSIZE, &limit);

        QCOMPARE(recorder->shown().size(), size_t(1));
        QCOMPARE(recorder->shown()[0].kind, Kind::Error);
        QVERIFY2(recorder->last().contains("o arquivo ficou maior do que o disco aceita") &&
                     recorder->last().endsWith("Os dados atuais ficaram como estavam."),
                 qPrintable(recorder->last()));
        auto expected = before;
        expected.erase("med.mdb-wal"); // folded into med.mdb, whose content is compared
        QCOMPARE(folderState(current->path()), expected);
        QVERIFY(test::databaseContent(current->file("med.mdb")).contains("Atual"));
        QCOMPARE(window->Pages->currentIndex(), 1);
    }

    // The files written take the data folder's group and its read and write permissions.
    void writtenFilesKeepTheFoldersSharing() {
        if (test::onServer())
            QSKIP("med.mdb's own file");
        const group* staff = getgrnam("staff");
        if (!staff)
            staff = getgrnam("users");
        if (geteuid() != 0 || !staff)
            QSKIP("needs the superuser and a second group to hand files to");
        const QByteArray folder = QFile::encodeName(current->path());
        QCOMPARE(chown(folder.constData(), uid_t(-1), staff->gr_gid), 0);
        QCOMPARE(chmod(folder.constData(), 02770), 0);
        QCOMPARE(
            chown(QFile::encodeName(current->file("ex")).constData(), uid_t(-1), staff->gr_gid), 0);
        QCOMPARE(chmod(QFile::encodeName(current->file("ex")).constData(), 02770), 0);
        // Files it replaces allowed less: the folder's permissions are given all the same.
        for (const char* name : {"med.mdb", "cont.cfg"})
            QCOMPARE(chmod(QFile::encodeName(current->file(name)).constData(), 0600), 0);
        const QString archive = makeBackup("medbackup_01032027_0905.zip", true);
        openWindow();
        check(archive);
        window->ButtonRestore->click();
        QCOMPARE(recorder->texts(), QStringList());
        for (const char* name : {"med.mdb", "ex/3.jpg", "ex/2.pdf", "cont.cfg"}) {
            struct stat info {};
            QCOMPARE(stat(QFile::encodeName(current->file(name)).constData(), &info), 0);
            QCOMPARE(info.st_gid, staff->gr_gid);
            QCOMPARE(info.st_mode & 0777, mode_t(0660));
        }
    }

    // The chooser starts in the folder of the newest backup among the folders used before.
    void chooserStartsAtTheNewestBackup() {
        QDir(backups->path()).mkpath("antigos");
        QDir(backups->path()).mkpath("recentes");
        test::writeBytes(backups->filePath("antigos/medbackup_05012027_1800.zip"), "");
        test::writeBytes(backups->filePath("recentes/medbackup_28022027_1200.zip"), "");
        test::writeBytes(backups->filePath("recentes/medbackup_01022026_0900.zip"), "");
        {
            QSettings settings(backups->filePath("restaura.ini"), QSettings::IniFormat);
            settings.setValue("pastasUsadas",
                              QStringList{backups->filePath("antigos"), backups->filePath("sumiu"),
                                          backups->filePath("recentes")});
        }
        openWindow();
        window->ButtonBrowse->click();
        QCOMPARE(pickerRequests.size(), size_t(1));
        QCOMPARE(pickerRequests[0].kind, platform::PickerKind::File);
        QCOMPARE(pickerRequests[0].initialPath, backups->filePath("recentes"));
        QCOMPARE(window->EditArchive->text(), QString());
    }
};

QTEST_MAIN(TstRestore)
#include "tst_restore.moc"
