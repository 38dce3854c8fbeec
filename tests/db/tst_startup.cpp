// The data module's start-up: one clear message for a database that cannot be used, and
// nothing created or written on the way.

#include "db/dm2.h"
#include "db/session.h"
#include "platform/messages.h"
#include "tests/support/fixture.h"
#include "tests/support/server.h"

#include <QCryptographicHash>
#include <QFile>
#include <QtTest>

using namespace corvalen;

class TstStartup : public QObject {
    Q_OBJECT

    static QByteArray hashOf(const QString& path) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
    }
    static QStringList openDatasets() {
        QStringList names;
        for (db::Dataset* d : Dm2->sharedDatasets())
            if (d->isOpen())
                names << d->objectName();
        return names;
    }

private slots:
    // A healthy folder opens every shared dataset in order and shows nothing.
    void healthyFolderOpensAll() {
        test::MessageRecorder recorder;
        test::DataFolder folder;
        folder.openDataModule();
        QCOMPARE(recorder.texts(), QStringList());
        QCOMPARE(openDatasets().size(), 17);
        QCOMPARE(Dm2->ADOConnection1->connectionString().left(69),
                 "Provider=Microsoft.Jet.OLEDB.4.0;User ID=Admin;Data Source=" +
                     folder.path().left(10));
    }

    // A missing med.mdb gives exactly one message and is not created by connecting.
    void missingDatabase() {
        test::MessageRecorder recorder;
        test::DataFolder folder;
        folder.removeDatabase();
        folder.openDataModule();
        if (test::onServer()) {
            QCOMPARE(recorder.shown().size(), size_t(1));
            QVERIFY2(recorder.last().startsWith("EOleExceptionerro gerado, com mensagem: Não foi "
                                                "possível conectar ao servidor do banco de dados"),
                     qPrintable(recorder.last()));
        } else {
            QCOMPARE(recorder.texts(),
                     QStringList{"EOleExceptionerro gerado, com mensagem: Could not find file '" +
                                 folder.file("med.mdb") + "'."});
        }
        QVERIFY(!QFile::exists(folder.file("med.mdb")));
        QCOMPARE(openDatasets(), QStringList());
    }

    // A missing data folder is reported, not created.
    void missingDataFolder() {
        test::MessageRecorder recorder;
        test::DataFolder folder;
        session().dataFolder = folder.file("nao-existe");
        folder.openDataModule();
        QCOMPARE(recorder.shown().size(), size_t(1));
        QVERIFY(!QFile::exists(folder.file("nao-existe")));
    }

    // Consultas without Pagamento stops at ADOConsulta: the datasets before it stay open.
    void consultasWithoutPagamento() {
        test::MessageRecorder recorder;
        test::DataFolder folder;
        folder.exec("ALTER TABLE Consultas DROP COLUMN Pagamento");
        folder.openDataModule();
        QCOMPARE(recorder.texts(),
                 QStringList{"EDatabaseErrorerro gerado, com mensagem: ADOConsulta: Field "
                             "'Pagamento' not found"});
        QCOMPARE(openDatasets(), QStringList({"ADOQuery1", "ADOQuery2", "ADOEditUsuarios",
                                              "ADOQuery4", "ADOEditPacientes"}));
    }

    // A file that is not a database: one message, and its bytes stay as they were.
    void notADatabase() {
        if (test::onServer())
            QSKIP("med.mdb is not read on the server engine");
        test::MessageRecorder recorder;
        test::DataFolder folder;
        QFile::remove(folder.file("med.mdb"));
        QFile::remove(folder.file("med.mdb-wal"));
        QFile::remove(folder.file("med.mdb-shm"));
        {
            QFile f(folder.file("med.mdb"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(8192, 'x'));
        }
        const QByteArray before = hashOf(folder.file("med.mdb"));
        folder.openDataModule();
        QCOMPARE(recorder.shown().size(), size_t(1));
        QVERIFY(recorder.last().startsWith("EOleExceptionerro gerado, com mensagem: "));
        QCOMPARE(hashOf(folder.file("med.mdb")), before);
        QVERIFY(!Dm2->ADOConnection1->connected());
    }

    // A second connection reads while the first holds a write open, and waits for it.
    void twoCopiesShareTheFile() {
        test::DataFolder folder;
        folder.openDataModule();
        db::Dataset* users = Dm2->ADOQuery2;
        QCOMPARE(users->recordCount(), 1);
        folder.exec("insert into Usuarios (nome, nivel) values ('outra', 0)");
        users->requery();
        QCOMPARE(users->recordCount(), 2);
    }

    // The error box adds a full stop only after characters that sort after ".".
    void errorBoxFullStop_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "Senha errada"
                                << "Senha errada.";
        QTest::newRow("full stop") << "Feito."
                                   << "Feito.";
        QTest::newRow("quote") << "Arquivo 'x'"
                               << "Arquivo 'x'";
        QTest::newRow("parenthesis") << "List index out of bounds (1)"
                                     << "List index out of bounds (1)";
        QTest::newRow("digit") << "erro 42"
                               << "erro 42.";
        QTest::newRow("accent") << "não"
                                << "não.";
        QTest::newRow("empty") << ""
                               << "";
    }
    void errorBoxFullStop() {
        QFETCH(QString, text);
        test::MessageRecorder recorder;
        messages::showError(text);
        QCOMPARE(recorder.shown().at(0).caption, "Corvalen");
        QVERIFY(recorder.shown().at(0).kind == messages::Kind::Error);
        QTEST(recorder.last(), "shown");
    }
};

QTEST_MAIN(TstStartup)
#include "tst_startup.moc"
