// The Debian package, built here with cpack: what it installs, its control fields and
// dependencies, its menu entry and metadata, the launcher, and its maintainer scripts run by
// dpkg against a scratch root folder (install, reinstall over a clinic's data, remove, purge).

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

Result run(const QString& program, const QStringList& args, const QString& folder = {}) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.start(program, args);
    if (!process.waitForFinished(480000))
        process.kill();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAll())};
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TstPackage : public QObject {
    Q_OBJECT

    QTemporaryDir work;
    QString deb;
    QString tree; // the package's files, extracted

    QString field(const QString& name) {
        return run("dpkg-deb", {"--field", deb, name}).output.trimmed();
    }

private slots:
    void initTestCase() {
        const QString arch = run("dpkg", {"--print-architecture"}).output.trimmed();
        const Result built =
            run(CPACK_COMMAND, {"--config", CPACK_CONFIG, "-G", "DEB", "-B", work.path()});
        QVERIFY2(built.code == 0, qPrintable(built.output));
        deb = work.filePath(QStringLiteral("corvalen_%1_%2.deb").arg(CORVALEN_VERSION, arch));
        QVERIFY2(QFile::exists(deb), qPrintable(built.output));
        tree = work.filePath("tree");
        QCOMPARE(run("dpkg-deb", {"--extract", deb, tree}).code, 0);
    }

    // Catches an executable of the program folder (a tool, the restore program) left out of
    // the package or a developer's tool shipped, the manual or the default logo missing, no
    // launcher or menu entry, and the clinic's data folder shipped as package files, which dpkg
    // would delete on purge.
    void fileList() {
        const QString program = tree + "/usr/lib/corvalen/";
        QDirIterator built(CORVALEN_PROGRAM_DIR, QDir::Files | QDir::Executable);
        QStringList executables;
        while (built.hasNext())
            executables << QFileInfo(built.next()).fileName();
        QVERIFY(executables.contains("corvalen") && executables.contains("corvalen-prepare"));
        // The developers' tools stay out: a synthetic clinic must never reach a real one.
        const QStringList development{"corvalen-bench", "corvalen-generate"};
        for (const QString& name : executables)
            QVERIFY2(QFileInfo(program + name).isExecutable() != development.contains(name),
                     qPrintable(name));
        for (const QString& file :
             {program + "help/index.html", program + "medicina.jpg",
              tree + "/usr/share/applications/com.talvane.corvalen.desktop",
              tree + "/usr/share/metainfo/com.talvane.corvalen.metainfo.xml",
              tree + "/usr/share/icons/hicolor/scalable/apps/com.talvane.corvalen.svg"})
            QVERIFY2(QFileInfo(file).size() > 0, qPrintable(file));
        QCOMPARE(readAll(program + "help/index.html"),
                 readAll(CORVALEN_SOURCE_DIR "/help/index.html"));
        QVERIFY(QFileInfo(tree + "/usr/bin/corvalen").isExecutable());
        QVERIFY(!QFileInfo::exists(tree + "/var"));
    }

    // Catches a package without the libraries its binaries link (shlibdeps not run), without
    // the plugins and fonts loaded at run time, or named otherwise than outside checks expect.
    void controlFields() {
        QCOMPARE(field("Package"), QStringLiteral("corvalen"));
        QCOMPARE(field("Version"), QStringLiteral(CORVALEN_VERSION));
        QVERIFY(!field("Maintainer").isEmpty());
        QVERIFY(!field("Description").isEmpty());
        const QString depends = field("Depends");
        for (const char* package : {"libc6", "libqt6widgets6", "libsqlite3-0", "libqt6sql6-sqlite",
                                    "qt6-qpa-plugins", "adduser", "fonts-wine", "fonts-urw-base35"})
            QVERIFY2(depends.contains(QLatin1String(package)),
                     qPrintable(package + (": " + depends)));
        const QString control = run("dpkg-deb", {"--info", deb}).output;
        QVERIFY(control.contains("postinst"));
        QVERIFY(control.contains("postrm"));
    }

    // Catches a menu entry or metadata file that the desktop's tools reject, or whose command
    // or icon the package does not install.
    void menuEntryAndMetadata() {
        const QString desktop = tree + "/usr/share/applications/com.talvane.corvalen.desktop";
        const Result entry = run("desktop-file-validate", {desktop});
        QVERIFY2(entry.code == 0 && !entry.output.contains("error"), qPrintable(entry.output));
        const QString text = QString::fromUtf8(readAll(desktop));
        QVERIFY(text.contains("\nExec=corvalen\n"));
        QVERIFY(text.contains("\nIcon=com.talvane.corvalen\n"));
        QVERIFY(text.contains("\nCategories=Office;MedicalSoftware;\n"));
        const Result metainfo =
            run("appstreamcli", {"validate", "--no-net",
                                 tree + "/usr/share/metainfo/com.talvane.corvalen.metainfo.xml"});
        QVERIFY2(metainfo.code == 0, qPrintable(metainfo.output));
        QVERIFY(readAll(tree + "/usr/share/metainfo/com.talvane.corvalen.metainfo.xml")
                    .contains("version=\"" CORVALEN_VERSION "\""));
    }

    // Catches a launcher that starts the program elsewhere than in its program folder, where
    // the program looks for its manual, its logo and the restore program.
    void launcherStartsInProgramFolder() {
        const QString program = tree + "/usr/lib/corvalen/corvalen";
        QVERIFY(QFile::remove(program));
        QFile fake(program);
        QVERIFY(fake.open(QIODevice::WriteOnly));
        fake.write("#!/bin/sh\npwd -P\necho \"$@\"\n");
        fake.close();
        QVERIFY(fake.setPermissions(fake.permissions() | QFile::ExeOwner));
        QVERIFY(QFile::link(tree + "/usr/bin/corvalen", work.filePath("atalho")));
        const Result r = run(work.filePath("atalho"), {"x y"}, QDir::tempPath());
        QCOMPARE(r.code, 0);
        QCOMPARE(r.output, QFileInfo(tree + "/usr/lib/corvalen").canonicalFilePath() + "\nx y\n");
    }

    // Catches a postinst that does not prepare the data folder or hand it to the group, one
    // that overwrites a clinic's database or counter on reinstall, and a remove or purge that
    // deletes the patients' records or does not say where they are.
    void maintainerScripts() {
        if (geteuid() != 0)
            QSKIP("Needs root: dpkg installs into a scratch root folder and the group "
                  "corvalen may have to be created.");
        const bool groupExisted = getgrnam("corvalen") != nullptr;
        struct RemoveGroup {
            bool remove;
            ~RemoveGroup() {
                if (remove && getgrnam("corvalen"))
                    QProcess::execute("groupdel", {"corvalen"});
            }
        } removeGroup{!groupExisted};

        const QString root = work.filePath("root");
        for (const char* folder : {"var/lib/dpkg/info", "var/lib/dpkg/updates"})
            QVERIFY(QDir().mkpath(root + "/" + folder));
        for (const char* file : {"var/lib/dpkg/status", "var/lib/dpkg/available"}) {
            QFile f(root + "/" + file);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        const QStringList dpkg{"--root=" + root, "--force-script-chrootless", "--force-depends",
                               "--log=/dev/null"};
        const QString data = root + "/var/lib/Talvane/Corvalen";

        const Result installed = run("dpkg", QStringList(dpkg) << "--install" << deb);
        QVERIFY2(installed.code == 0, qPrintable(installed.output));
        QVERIFY2(installed.output.contains("login \"admin\", senha \"admin\""),
                 qPrintable(installed.output));
        QVERIFY(installed.output.contains("adduser NOME corvalen"));
        const group* staff = getgrnam("corvalen");
        QVERIFY(staff);
        QCOMPARE(QFileInfo(data).groupId(), staff->gr_gid);
        struct stat st {};
        QCOMPARE(stat(QFile::encodeName(data).constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, mode_t(02770));
        QCOMPARE(QFileInfo(data + "/med.mdb").groupId(), staff->gr_gid);
        QCOMPARE(readAll(data + "/cont.cfg"), QByteArray("0\r\n"));

        // The clinic works for a while; then the package is installed again.
        QFile counter(data + "/cont.cfg");
        QVERIFY(counter.open(QIODevice::WriteOnly));
        counter.write("57\r\n");
        counter.close();
        const QByteArray database = readAll(data + "/med.mdb");
        const Result again = run("dpkg", QStringList(dpkg) << "--install" << deb);
        QVERIFY2(again.code == 0, qPrintable(again.output));
        QVERIFY2(again.output.contains("foi mantida como estava"), qPrintable(again.output));
        QCOMPARE(readAll(data + "/cont.cfg"), QByteArray("57\r\n"));
        QCOMPARE(readAll(data + "/med.mdb"), database);

        const Result removed = run("dpkg", QStringList(dpkg) << "--remove"
                                                             << "corvalen");
        QVERIFY2(removed.code == 0, qPrintable(removed.output));
        QVERIFY(!QFileInfo::exists(root + "/usr/lib/corvalen/corvalen"));
        const Result purged = run("dpkg", QStringList(dpkg) << "--purge"
                                                            << "corvalen");
        QVERIFY2(purged.code == 0, qPrintable(purged.output));
        QVERIFY2(purged.output.contains("mantidos em " + data), qPrintable(purged.output));
        QCOMPARE(readAll(data + "/med.mdb"), database);
        QCOMPARE(readAll(data + "/cont.cfg"), QByteArray("57\r\n"));
        QVERIFY(QFileInfo(data + "/ex").isDir());
    }
};

QTEST_GUILESS_MAIN(TstPackage)
#include "tst_package.moc"
