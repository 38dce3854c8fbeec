// The preparation tool, run as the administrator runs it: its usage, and as root a fresh data
// folder handed to the staff group (created when missing), a second preparation refused, and
// an existing folder handed over again without its content being touched.

#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Result {
    int code;
    QString output;
};

Result prepare(const QStringList& args) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(CORVALEN_PREPARE, args);
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAll())};
}

struct stat statOf(const QString& path) {
    struct stat st {};
    if (lstat(QFile::encodeName(path).constData(), &st) != 0)
        qWarning("no %s", qPrintable(path));
    return st;
}

QString modeOf(const QString& path) {
    return QString::number(statOf(path).st_mode & 07777, 8);
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TstPrepare : public QObject {
    Q_OBJECT

    QString group = QStringLiteral("cvt%1p").arg(QCoreApplication::applicationPid());
    bool groupMade = false;

private slots:
    void cleanupTestCase() {
        if (groupMade)
            QProcess::execute("groupdel", {group});
    }

    // Catches a tool that starts preparing on a malformed command line.
    void usage_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no folder") << QStringList{};
        QTest::newRow("two folders") << QStringList{"a", "b"};
        QTest::newRow("unknown option") << QStringList{"--todos", "a"};
        QTest::newRow("group without name") << QStringList{"--grupo"};
    }
    void usage() {
        QFETCH(QStringList, args);
        QTemporaryDir dir;
        QDir::setCurrent(dir.path());
        const Result r = prepare(args);
        QCOMPARE(r.code, 2);
        QVERIFY(r.output.startsWith("uso: corvalen-prepare"));
        QVERIFY(QDir(dir.path()).isEmpty());
        QDir::setCurrent(QDir::tempPath());
    }

    // Catches a folder left to root alone or readable by every account, ex/ without the
    // group's setgid (new exam copies would take the creator's group), folders above it closed
    // to the staff, a missing group not created, and output without the adduser advice.
    void freshFolderAsRoot() {
        if (geteuid() != 0)
            QSKIP("Needs root: changes file groups and creates a group (the README's commands "
                  "run the suite as root).");
        QVERIFY(!getgrnam(qPrintable(group)));
        QTemporaryDir common;
        const QString data = common.filePath("Talvane/Corvalen");

        const Result r = prepare({"--grupo", group, data});
        groupMade = getgrnam(qPrintable(group)) != nullptr;
        QVERIFY2(r.code == 0, qPrintable(r.output));
        QVERIFY(groupMade);
        QVERIFY2(r.output.contains("Grupo " + group + " criado"), qPrintable(r.output));
        QVERIFY2(r.output.contains("adduser NOME " + group), qPrintable(r.output));
        QVERIFY(r.output.contains("login \"admin\", senha \"admin\""));

        const gid_t gid = getgrnam(qPrintable(group))->gr_gid;
        QCOMPARE(modeOf(common.filePath("Talvane")), QStringLiteral("755"));
        QCOMPARE(QDir(data).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{"cont.cfg", "ex", "logo.cfg", "med.mdb"}));
        for (const QString name : {".", "ex", "cont.cfg", "logo.cfg", "med.mdb"}) {
            const QString path = data + "/" + name;
            QCOMPARE(statOf(path).st_gid, gid);
            QCOMPARE(modeOf(path),
                     QFileInfo(path).isDir() ? QStringLiteral("2770") : QStringLiteral("660"));
        }
    }

    // Catches a second preparation overwriting the clinic's data, and a hand-over that touches
    // a file's content or owner, follows a symbolic link out of the folder, or misses a file.
    void existingFolderAsRoot() {
        if (geteuid() != 0)
            QSKIP("Needs root: changes file groups.");
        QTemporaryDir common;
        const QString data = common.filePath("Corvalen");
        QCOMPARE(prepare({"--grupo", group, data}).code, 0);
        groupMade = true;
        const gid_t gid = getgrnam(qPrintable(group))->gr_gid;

        const QByteArray database = readAll(data + "/med.mdb");
        const Result again = prepare({"--grupo", group, data});
        QCOMPARE(again.code, 1);
        QVERIFY2(again.output.contains("já existe; nada foi alterado"), qPrintable(again.output));
        QCOMPARE(readAll(data + "/med.mdb"), database);

        // A folder as it was left before it was shared: root's group, readable by all, and an
        // exam copy of another account that only that account could read.
        QCOMPARE(QProcess::execute("chgrp", {"-R", "root", data}), 0);
        QCOMPARE(QProcess::execute("chmod", {"-R", "u=rwX,go=rX", data}), 0);
        const QString exam = data + "/ex/7.jpg";
        QFile file(exam);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("jpeg");
        file.close();
        QVERIFY(chown(QFile::encodeName(exam).constData(), 65534, 65534) == 0);
        QVERIFY(QFile::setPermissions(exam, QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(QFile::link("/etc/passwd", data + "/ex/link"));
        const struct stat passwdBefore = statOf("/etc/passwd");

        const Result r = prepare({"--grupo", group, "--permissoes", data});
        QVERIFY2(r.code == 0, qPrintable(r.output));
        QVERIFY(!r.output.contains("criado"));
        QVERIFY(r.output.contains("adduser NOME " + group));
        QCOMPARE(readAll(data + "/med.mdb"), database);
        QCOMPARE(readAll(exam), QByteArray("jpeg"));
        QCOMPARE(statOf(exam).st_uid, uid_t(65534));
        for (const QString& path : {data, data + "/ex", data + "/med.mdb", exam}) {
            QCOMPARE(statOf(path).st_gid, gid);
            QCOMPARE(modeOf(path),
                     QFileInfo(path).isDir() ? QStringLiteral("2770") : QStringLiteral("660"));
        }
        QCOMPARE(statOf("/etc/passwd").st_gid, passwdBefore.st_gid);
        QCOMPARE(statOf("/etc/passwd").st_mode, passwdBefore.st_mode);
    }
};

QTEST_GUILESS_MAIN(TstPrepare)
#include "tst_prepare.moc"
