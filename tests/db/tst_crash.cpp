// A workstation killed (SIGKILL) at 200 random moments while it saves patients, consultations
// and exams (tests/db/workstation.cpp). Long: left out of the default run (see README).

#include "tests/support/fixture.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>
#include <csignal>

using namespace corvalen;

class TstCrash : public QObject {
    Q_OBJECT

private slots:
    // Catches a database left damaged, a row written in part (a patient's fields or a
    // prescription cut short), cont.cfg left empty or torn, and an Exames row naming a copy
    // that does not exist.
    void killedWhileSaving() {
        test::DataFolder folder;
        folder.exec("insert into Pacientes (inscricao, nome) values (1, 'P1'), (2, 'P2'), "
                    "(3, 'P3'), (4, 'P4'), (5, 'P5')");
        const QString exam = folder.file("exame.jpg");
        {
            QFile f(exam);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(300 * 1024, 'x'));
        }
        QRandomGenerator random(13);
        for (int kill = 0; kill < 200; ++kill) {
            QProcess p;
            p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            p.start(WORKSTATION_PROGRAM, {"crash", folder.path(), exam, QString::number(kill)});
            QVERIFY(p.waitForReadyRead(20000));
            QTest::qWait(int(random.bounded(20, 400)));
            ::kill(pid_t(p.processId()), SIGKILL);
            QVERIFY(p.waitForFinished(20000));
            const QByteArray said = p.readAllStandardOutput();
            QVERIFY2(!said.contains("error"), said.constData());
            check(folder, kill);
        }
        // The kills fell among many saves of each kind.
        for (const char* table : {"Pacientes", "Consultas", "Exames"})
            QVERIFY(folder.scalar(QStringLiteral("select count(*) from %1").arg(table)).toInt() >
                    100);
    }

private:
    static void check(test::DataFolder& folder, int kill) {
        const QString at = QStringLiteral("after kill %1").arg(kill);
        QCOMPARE(folder.scalar("PRAGMA integrity_check").toString(), "ok");
        // Each new patient's three fields, and a changed patient's two, come from one save.
        QVERIFY2(folder.scalar("select count(*) from Pacientes where inscricao > 5 and "
                               "(plano is not substr(nome, 6) or cidade is not plano)")
                         .toInt() == 0,
                 qPrintable(at));
        QVERIFY2(folder.scalar("select count(*) from Pacientes where tel is not cep").toInt() == 0,
                 qPrintable(at));
        // Prescriptions and anamneses whole (1,500 characters) or absent.
        QVERIFY2(folder.scalar("select count(*) from Consultas where length(Prontuario) <> "
                               "1500 or (Anamnese is not null and Anamnese <> Prontuario)")
                         .toInt() == 0,
                 qPrintable(at));
        QFile counter(folder.file("cont.cfg"));
        QVERIFY(counter.open(QIODevice::ReadOnly));
        const QByteArray text = counter.readAll();
        QVERIFY2(QRegularExpression("^[0-9]+\r\n$").match(QString::fromLatin1(text)).hasMatch(),
                 qPrintable(at + ": cont.cfg holds '" + text + "'"));
        const QString files =
            folder.scalar("select group_concat(arquivo, char(10)) from Exames").toString();
        for (const QString& file : files.split('\n', Qt::SkipEmptyParts))
            QVERIFY2(QFile::exists(file), qPrintable(at + ": missing " + file));
    }
};

QTEST_MAIN(TstCrash)
#include "tst_crash.moc"
