// One data folder shared by the machine's accounts: two staff accounts working in turn through
// the real windows, and accounts that may not work there getting one clear message at start-up
// and writing nothing. Each account's part runs in a copy of this test program started as that
// account (throwaway accounts and groups, created here when the suite runs as root).

#include "app/login.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "consult/consultation.h"
#include "db/connection.h"
#include "db/dm2.h"
#include "db/session.h"
#include "db/widgets/dbedit.h"
#include "db/widgets/dbmemo.h"
#include "exams/exam.h"
#include "platform/pickers.h"
#include "platform/sharing.h"
#include "platform/textfile.h"
#include "registers/clinic.h"
#include "registers/patient_editor.h"
#include "tests/support/fixture.h"

#include <QApplication>
#include <QDirIterator>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace corvalen;

namespace {

const char* const roleVariable = "CORVALEN_TEST_ACCOUNT_ROLE";
const QString patientName = QStringLiteral("Ana Lúcia Prado");

// Runs a command, returning its exit code; its output goes to *output when given.
int run(const QString& program, const QStringList& args, QString* output = nullptr) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    if (!process.waitForFinished(240000))
        process.kill();
    if (output)
        *output = QString::fromLocal8Bit(process.readAll());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QString uniqueName(const char* what) {
    return QStringLiteral("cvt%1%2").arg(QCoreApplication::applicationPid()).arg(what);
}

void makeJpeg(const QString& path, QColor colour) {
    QImage image(32, 24, QImage::Format_RGB32);
    image.fill(colour);
    QVERIFY(image.save(path, "JPEG"));
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every file and folder under a folder with its size, modification time and mode: what an
// account that may not write must leave as it found.
QStringList snapshot(const QString& folder) {
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat st {};
        lstat(QFile::encodeName(path).constData(), &st);
        entries << QStringLiteral("%1 %2 %3 %4")
                       .arg(path)
                       .arg(st.st_size)
                       .arg(st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec)
                       .arg(st.st_mode, 0, 8);
    }
    entries.sort();
    return entries;
}

// ---- What each account does, run as that account ------------------------------------------

// Answers the file choosers with the queued paths.
struct Choosers {
    QStringList answers;
    Choosers() {
        platform::setPickerHook([this](const platform::PickerRequest&) {
            return answers.isEmpty() ? std::optional<QString>() : answers.takeFirst();
        });
    }
    ~Choosers() { platform::setPickerHook({}); }
};

int queryInt(const QString& sql, const QVariant& value = {}) {
    QSqlQuery q(Dm2->ADOConnection1->database());
    q.prepare(sql);
    if (value.isValid())
        q.addBindValue(value);
    return q.exec() && q.next() ? q.value(0).toInt() : -1;
}

void click(QAbstractButton* button) {
    QVERIFY(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
}

void typeInto(QWidget* widget, const QString& text) {
    widget->setFocus();
    for (const QChar ch : text) {
        if (ch.unicode() < 128)
            QTest::keyClick(widget, ch.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

// The patient editor on an existing patient (code) or a new one (0): types into the name or
// telephone box and saves.
void savePatient(int code, DBEdit* TForm9::*box, const QString& text) {
    TForm9 editor(nullptr, code);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    typeInto(editor.*box, text);
    click(editor.BitBtn1);
}

// A new consultation for the patient, saved; returns its number.
int saveConsultation(int patient, const QString& prescription) {
    TForm11 window(nullptr, patient);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return -1;
    QTest::keyClicks(window.DBMemo1, prescription);
    QTest::mouseClick(window.ToolButton1, Qt::LeftButton);
    return window.DBEdit1->text().toInt();
}

void attachExam(int consultation, const QString& picture) {
    Choosers choosers;
    choosers.answers << picture;
    TForm14 window(nullptr, consultation, 0);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    click(window.SpeedButton1);
    QCOMPARE(window.Edit1->text(), picture);
    click(window.BitBtn2);
}

class AccountSteps : public QObject {
    Q_OBJECT

    test::MessageRecorder recorder;
    QString sources = qEnvironmentVariable("CORVALEN_TEST_SOURCES");

    void start() {
        createWindows();
        session().user = {1, QStringLiteral("admin"), true};
    }
    void expectNoMessage() { QVERIFY2(recorder.shown().empty(), qPrintable(recorder.last())); }

private slots:
    void cleanup() {
        expectNoMessage();
        destroyWindows();
    }

    // Account A: a new patient with a consultation and an exam.
    void firstAccount() {
        start();
        expectNoMessage();
        savePatient(0, &TForm9::DBEdit3, patientName);
        const int patient = queryInt("select inscricao from Pacientes where nome = ?", patientName);
        QVERIFY(patient > 0);
        const int consultation = saveConsultation(patient, "Receita da conta A");
        QVERIFY(consultation > 0);
        attachExam(consultation, sources + "/a.jpg");
    }

    // Account B: edits A's patient, a consultation and an exam of its own, and a new clinic
    // logo (logo.cfg and cont.cfg rewritten by another account than the one that made them).
    void secondAccount() {
        start();
        const int patient = queryInt("select inscricao from Pacientes where nome = ?", patientName);
        QVERIFY(patient > 0);
        savePatient(patient, &TForm9::DBEdit8, "3333-0000");
        const int consultation = saveConsultation(patient, "Receita da conta B");
        QVERIFY(consultation > 0);
        attachExam(consultation, sources + "/b.jpg");

        Choosers choosers;
        choosers.answers << sources + "/logo.jpg";
        Form16->show();
        click(Form16->BitBtn3);
        click(Form16->BitBtn1);
        Form16->hide();
    }

    // Account A again: edits the patient once more and adds an exam to its first consultation.
    void firstAccountAgain() {
        start();
        const int patient = queryInt("select inscricao from Pacientes where nome = ?", patientName);
        QVERIFY(patient > 0);
        savePatient(patient, &TForm9::DBEdit3, " Souza");
        attachExam(queryInt("select min(Numero) from Consultas"), sources + "/c.jpg");
    }

    // An account that may not write: one message naming the group, the program still up, and
    // a save refused by the database rather than half done.
    void refusedAccount() {
        start();
        const QString expected = qEnvironmentVariable("CORVALEN_TEST_EXPECT");
        QCOMPARE(recorder.shown().size(), size_t(1));
        const messages::Shown shown = recorder.shown().front();
        QCOMPARE(shown.kind, messages::Kind::Warning);
        QVERIFY2(shown.text.contains(expected), qPrintable(shown.text));
        QVERIFY2(shown.text.contains("peça ao administrador do computador para incluir sua conta "
                                     "no grupo corvalen"),
                 qPrintable(shown.text));
        QVERIFY(Form1 && Form3 && Dm2);
        recorder.clear();
        if (Dm2->ADOConnection1->connected()) {
            // Read-only: the register can be read, a change is refused in the error box.
            const int patient =
                queryInt("select inscricao from Pacientes where nome = ?", patientName);
            QVERIFY(patient > 0);
            savePatient(patient, &TForm9::DBEdit8, "9");
            QCOMPARE(recorder.shown().size(), size_t(1));
            QCOMPARE(recorder.shown().front().kind, messages::Kind::Error);
            recorder.clear();
        }
    }
};

// ---- The accounts, made and driven as root ------------------------------------------------

class TstSharedDataFolder : public QObject {
    Q_OBJECT

    QTemporaryDir work; // the copy of this program, the accounts' own files, the data folder
    QString group = uniqueName("g");
    QStringList accounts;
    bool groupMade = false;

    QString dataFolder() const { return work.filePath("common/Talvane/Corvalen"); }

    // A throwaway account with no home and no login, in the test's group or in none.
    QString makeAccount(const char* suffix, bool inGroup) {
        const QString name = uniqueName(suffix);
        QStringList args{"--system", "--no-create-home", "--shell", "/usr/sbin/nologin"};
        if (inGroup)
            args << "--groups" << group;
        QString output;
        if (run("useradd", args << name, &output) != 0)
            qWarning("useradd %s: %s", qPrintable(name), qPrintable(output));
        else
            accounts << name;
        return name;
    }

    // Runs one of AccountSteps' functions as the account; fails the test with its output.
    void runAs(const QString& account, const QString& step, const QStringList& env = {}) {
        const QString cache = work.filePath("cache-" + account);
        QDir().mkpath(cache);
        QFile::setPermissions(cache, QFile::Permissions(0x7777));
        QString output;
        const int code =
            run("runuser",
                QStringList{"-u", account, "--", "env"}
                    << "HOME=" + cache << "XDG_CACHE_HOME=" + cache << "QT_QPA_PLATFORM=offscreen"
                    << "CORVALEN_COMMON_APPDATA=" + work.filePath("common")
                    << "CORVALEN_TEST_SOURCES=" + work.path() << QString(roleVariable) + "=1" << env
                    << work.filePath("tst_shared_data_folder") << step,
                &output);
        QVERIFY2(code == 0, qPrintable(account + " " + step + ":\n" + output));
    }

    // A prepared folder handed to the group, as the package's postinst leaves it.
    void prepare() {
        QString output;
        QCOMPARE(run(CORVALEN_PREPARE, {"--grupo", group, dataFolder()}, &output), 0);
        groupMade = true;
    }

private slots:
    void initTestCase() {
        if (geteuid() != 0)
            QSKIP("Needs root: makes throwaway accounts and a group (the README's commands run "
                  "the suite as root).");
        platform::shareNewFilesWithGroup();
        QVERIFY(work.isValid());
        QFile::setPermissions(work.path(), QFile::Permissions(0x7755));
        QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(),
                            work.filePath("tst_shared_data_folder")));
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "logo.jpg"}) {
            makeJpeg(work.filePath(name),
                     QColor::fromHsv(int(qHash(QByteArray(name)) % 360), 200, 200));
            QFile::setPermissions(work.filePath(name), QFile::Permissions(0x6644));
        }
    }

    void cleanupTestCase() {
        for (const QString& account : accounts)
            run("userdel", {account});
        if (groupMade)
            run("groupdel", {group});
    }

    // Catches files that one staff account creates and the next cannot write (the database's
    // log, exam copies, the rewritten cont.cfg and logo.cfg), changes lost between accounts,
    // and anything in the folder left readable by accounts outside the group.
    void twoAccountsTakeTurns() {
        prepare();
        // logo.cfg names a picture every account can read.
        platform::writeLine(dataFolder() + "/logo.cfg", work.filePath("logo.jpg"));
        const QString a = makeAccount("a", true);
        const QString b = makeAccount("b", true);
        QCOMPARE(accounts.size(), 2);

        runAs(a, "firstAccount");
        runAs(b, "secondAccount");
        runAs(a, "firstAccountAgain");

        test::MessageRecorder recorder;
        session().dataFolder = dataFolder();
        TDm2 dm;
        dm.DataModuleCreate();
        QVERIFY(recorder.shown().empty());
        QCOMPARE(queryInt("select count(*) from Pacientes"), 1);
        QCOMPARE(queryInt("select count(*) from Pacientes where nome = ? and tel = '3333-0000'",
                          patientName + " Souza"),
                 1);
        QCOMPARE(queryInt("select count(*) from Consultas"), 2);
        QSqlQuery exams(Dm2->ADOConnection1->database());
        QVERIFY(exams.exec("select arquivo from Exames order by cod"));
        QStringList copies;
        while (exams.next())
            copies << exams.value(0).toString();
        const QString ex = dataFolder() + "/ex/";
        QCOMPARE(copies, (QStringList{ex + "1.jpg", ex + "2.jpg", ex + "3.jpg"}));
        QCOMPARE(readAll(ex + "2.jpg"), readAll(work.filePath("b.jpg")));
        QCOMPARE(readAll(ex + "3.jpg"), readAll(work.filePath("c.jpg")));
        QCOMPARE(platform::readFirstLine(dataFolder() + "/cont.cfg"), QStringLiteral("3"));
        QCOMPARE(platform::readFirstLine(dataFolder() + "/logo.cfg"), work.filePath("logo.jpg"));

        const gid_t gid = getgrnam(qPrintable(group))->gr_gid;
        QDirIterator it(dataFolder(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        QStringList wrong;
        while (it.hasNext()) {
            const QString path = it.next();
            struct stat st {};
            stat(QFile::encodeName(path).constData(), &st);
            const mode_t expected = S_ISDIR(st.st_mode) ? 02770 : 0660;
            if (st.st_gid != gid || (st.st_mode & 07777) != expected)
                wrong << QStringLiteral("%1 %2").arg(path).arg(st.st_mode & 07777, 0, 8);
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join('\n')));
    }

    // Catches an account that may not work in the folder crashing, getting no message or a
    // second, unclear one, or writing anything at all: outside the group; and in a folder
    // prepared as root before it was shared (owned by root, readable by all), both while
    // another copy of the program has it open (its log and index exist, so it can be read)
    // and when no one has (nothing can be read without creating the index).
    void refusedAccount_data() {
        QTest::addColumn<bool>("rootOwned");
        QTest::addColumn<bool>("inUse");
        QTest::addColumn<QString>("expected");
        QTest::newRow("outside the group") << false << false << "não tem permissão para ler";
        QTest::newRow("root's folder in use")
            << true << true << "não tem permissão para gravar na pasta de dados";
        QTest::newRow("root's folder idle") << true << false << "não tem permissão para ler";
    }
    void refusedAccount() {
        QFETCH(bool, rootOwned);
        QFETCH(bool, inUse);
        QFETCH(QString, expected);
        QDir(dataFolder()).removeRecursively();
        prepare();
        test::MessageRecorder recorder;
        session().dataFolder = dataFolder();
        auto dm = std::make_unique<TDm2>();
        dm->DataModuleCreate();
        QSqlQuery insert(Dm2->ADOConnection1->database());
        insert.prepare("insert into Pacientes (nome, tel) values (?, '1111')");
        insert.addBindValue(patientName);
        QVERIFY(insert.exec());
        if (rootOwned) {
            QVERIFY(run("chgrp", {"-R", "root", dataFolder()}) == 0);
            QVERIFY(run("chmod", {"-R", "u=rwX,go=rX", dataFolder()}) == 0);
        }
        if (!inUse)
            dm.reset();
        const QString outsider =
            accounts.contains(uniqueName("c")) ? uniqueName("c") : makeAccount("c", false);
        const QStringList before = snapshot(dataFolder());
        runAs(outsider, "refusedAccount", {"CORVALEN_TEST_EXPECT=" + expected});
        QCOMPARE(snapshot(dataFolder()), before);
        if (dm)
            QCOMPARE(queryInt("select count(*) from Pacientes where tel = '1111'"), 1);
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(roleVariable)) {
        // As an account's desktop session starts programs: its files readable by all, and
        // writable by itself alone, unless the program sets otherwise.
        umask(022);
        AccountSteps steps;
        return QTest::qExec(&steps, argc, argv);
    }
    TstSharedDataFolder test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_shared_data_folder.moc"
