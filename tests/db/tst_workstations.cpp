// Two copies of the program saving the same patients at the same time, each in a process of
// its own on one med.mdb (tests/db/workstation.cpp).

#include "tests/support/fixture.h"

#include <QFile>
#include <QMap>
#include <QProcess>
#include <QtTest>

using namespace corvalen;

namespace {

struct Save {
    QString outcome; // "ok", "told" or "error"
    int patient = 0;
    QString read;
    QString written; // the message for an error
};

} // namespace

class TstWorkstations : public QObject {
    Q_OBJECT

    // Runs the workstations "a" and "b" together and returns their saves.
    static QMap<QString, QList<Save>> runBoth(const QString& folder, const QString& phase,
                                              int rounds) {
        QMap<QString, QList<Save>> saves;
        std::map<QString, std::unique_ptr<QProcess>> processes;
        for (const QString name : {"a", "b"}) {
            auto& p = processes[name] = std::make_unique<QProcess>();
            p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            p->start(WORKSTATION_PROGRAM, {"race", folder, name, phase, QString::number(rounds)});
        }
        QFile go(folder + "/go");
        go.open(QIODevice::WriteOnly);
        go.close();
        for (auto& [name, p] : processes) {
            if (!p->waitForFinished(120000))
                p->kill();
            for (const QByteArray& line : p->readAllStandardOutput().split('\n')) {
                const QStringList f = QString::fromUtf8(line).split('\t');
                if (f.size() == 4)
                    saves[name] << Save{f[0], f[1].toInt(), f[2], f[3]};
            }
        }
        QFile::remove(folder + "/go");
        return saves;
    }

private slots:
    // 2 x 500 interleaved saves of five patients, each workstation holding a write now and
    // then. Catches "database is locked" (or any other failure) reaching a user while the
    // other workstation holds a write for less than the wait allows; with different columns, a
    // save refused or a change lost; with the same column, a committed change overwritten by a
    // save that had not read it, without that workstation being told.
    void concurrentSaves_data() {
        QTest::addColumn<QString>("phase");
        QTest::newRow("different columns") << "columns";
        QTest::newRow("same column") << "same";
    }
    void concurrentSaves() {
        QFETCH(QString, phase);
        test::DataFolder folder;
        folder.exec("insert into Pacientes (inscricao, nome, tel, plano) values "
                    "(1, 'P1', '-', '-'), (2, 'P2', '-', '-'), (3, 'P3', '-', '-'), "
                    "(4, 'P4', '-', '-'), (5, 'P5', '-', '-')");
        const int rounds = 500;
        const QMap<QString, QList<Save>> saves = runBoth(folder.path(), phase, rounds);

        int told = 0;
        for (const QString& name : saves.keys()) {
            QCOMPARE(saves[name].size(), rounds);
            for (const Save& s : saves[name]) {
                QVERIFY2(s.outcome != "error", qPrintable(name + ": " + s.written));
                told += s.outcome == "told";
            }
        }
        const auto stored = [&](const QString& column, int patient) {
            return folder
                .scalar(QStringLiteral("select %1 from Pacientes where inscricao = %2")
                            .arg(column)
                            .arg(patient))
                .toString();
        };
        if (phase == "columns") {
            QCOMPARE(told, 0);
            // Each column holds its workstation's last value for each patient.
            for (int patient = 1; patient <= 5; ++patient) {
                const int last = rounds - 5 + patient - 1;
                QCOMPARE(stored("tel", patient), QStringLiteral("a-%1").arg(last));
                QCOMPARE(stored("plano", patient), QStringLiteral("b-%1").arg(last));
            }
            return;
        }
        // The saves that went through form one chain per patient, each replacing the value
        // the previous one wrote: a save over a value it had not read would break it.
        QVERIFY(told > 0);
        for (int patient = 1; patient <= 5; ++patient) {
            QMap<QString, QString> next; // value read -> value written
            for (const QString& name : saves.keys()) {
                for (const Save& s : saves[name]) {
                    if (s.outcome != "ok" || s.patient != patient)
                        continue;
                    QVERIFY2(!next.contains(s.read),
                             qPrintable(QStringLiteral("two saves replaced %1").arg(s.read)));
                    next.insert(s.read, s.written);
                }
            }
            QString value = QStringLiteral("P%1").arg(patient);
            int chained = 0;
            while (next.contains(value)) {
                value = next.value(value);
                ++chained;
            }
            QCOMPARE(chained, int(next.size()));
            QCOMPARE(stored("nome", patient), value);
        }
    }
};

QTEST_MAIN(TstWorkstations)
#include "tst_workstations.moc"
