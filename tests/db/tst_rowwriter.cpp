// The row writer: new rows, optimistically locked updates and removals against the changes
// another workstation makes between the read and the write.

#include "db/engine.h"
#include "db/rowwriter.h"
#include "tests/support/fixture.h"

#include <QSqlQuery>
#include <QtTest>

using namespace corvalen;
using db::RowWriter;

class TstRowWriter : public QObject {
    Q_OBJECT

    std::unique_ptr<test::DataFolder> folder;
    std::unique_ptr<test::Workstation> mine;

    struct Read {
        std::vector<db::ColumnInfo> columns;
        QString table;
        std::vector<QVariant> values;
    };

    // One row as a dataset reads it, on this workstation's connection.
    Read read(const QString& select) {
        QSqlDatabase db = mine->database();
        Read r{db::engine::describe(db, select), {}, {}};
        r.table = r.columns.front().table;
        QSqlQuery q(db);
        q.exec(select);
        if (q.next())
            for (size_t i = 0; i < r.columns.size(); ++i)
                r.values.push_back(db::engine::fromStorage(r.columns[i].type, q.value(int(i))));
        return r;
    }
    static int indexOf(const Read& r, const QString& name) {
        for (size_t i = 0; i < r.columns.size(); ++i)
            if (r.columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
                return int(i);
        return -1;
    }

private slots:
    void init() {
        folder = std::make_unique<test::DataFolder>();
        folder->exec("insert into Pacientes (inscricao, nome, tel, plano) values "
                     "(1, 'ana souza', '1111', null), (2, 'Bruno', '2222', 'Amil')");
        folder->exec("insert into Consultas (Numero, Cod_pac, Data, Hora, Prontuario) values "
                     "(1, 1, '2026-03-02', '14:35:00', 'Dipirona')");
        mine = std::make_unique<test::Workstation>(folder->file("med.mdb"));
    }
    void cleanup() {
        mine.reset();
        folder.reset();
    }

    // This workstation read a row, another then ran `other`, and this one writes `value` into
    // `column`. Catches an update that overwrites a value changed since it was read (the
    // other's change lost without a word), one refused although the other changed another
    // column, a null not matching a null, a change of letter case passing unnoticed, and a time
    // written with seconds by another tool taken for a change.
    void update_data() {
        QTest::addColumn<QString>("select");
        QTest::addColumn<QString>("other");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("check");
        QTest::addColumn<QString>("stored");
        const QString ana = "select * from Pacientes where inscricao = 1";
        const QString consulta = "select * from Consultas where Numero = 1";
        QTest::newRow("nobody else")
            << ana << ""
            << "tel" << QVariant("3333") << false << "select tel from Pacientes where inscricao = 1"
            << "3333";
        QTest::newRow("same column")
            << ana << "update Pacientes set tel = '9999' where inscricao = 1"
            << "tel" << QVariant("3333") << true << "select tel from Pacientes where inscricao = 1"
            << "9999";
        QTest::newRow("another column")
            << ana << "update Pacientes set tel = '9999' where inscricao = 1"
            << "nome" << QVariant("Ana Souza Lima") << false
            << "select nome || '/' || tel from Pacientes where inscricao = 1"
            << "Ana Souza Lima/9999";
        QTest::newRow("removed") << ana << "delete from Pacientes where inscricao = 1"
                                 << "tel" << QVariant("3333") << true
                                 << "select count(*) from Pacientes"
                                 << "1";
        QTest::newRow("null still null")
            << ana << "update Pacientes set tel = '9999' where inscricao = 1"
            << "plano" << QVariant("Unimed") << false
            << "select plano from Pacientes where inscricao = 1"
            << "Unimed";
        QTest::newRow("null filled by the other")
            << ana << "update Pacientes set plano = 'Cassi' where inscricao = 1"
            << "plano" << QVariant("Unimed") << true
            << "select plano from Pacientes where inscricao = 1"
            << "Cassi";
        QTest::newRow("letter case changed by the other")
            << ana << "update Pacientes set nome = 'Ana Souza' where inscricao = 1"
            << "nome" << QVariant("ana s.") << true
            << "select nome from Pacientes where inscricao = 1"
            << "Ana Souza";
        QTest::newRow("time written with seconds") << consulta << ""
                                                   << "Hora" << QVariant(QTime(15, 0)) << false
                                                   << "select Hora from Consultas where Numero = 1"
                                                   << "15:00";
        QTest::newRow("time changed by the other")
            << consulta << "update Consultas set Hora = '14:40' where Numero = 1"
            << "Hora" << QVariant(QTime(15, 0)) << true
            << "select Hora from Consultas where Numero = 1"
            << "14:40";
        QTest::newRow("no key: another column")
            << "select * from Clinica"
            << "update Clinica set cidade = 'Recife'"
            << "nome" << QVariant("Clínica Sul") << true << "select cidade from Clinica"
            << "Recife";
        QTest::newRow("no key: unchanged")
            << "select * from Clinica"
            << ""
            << "nome" << QVariant("Clínica Sul") << false << "select nome from Clinica"
            << "Clínica Sul";
    }
    void update() {
        QFETCH(QString, select);
        QFETCH(QString, other);
        QFETCH(QString, column);
        QFETCH(QVariant, value);
        QFETCH(bool, refused);
        const Read r = read(select);
        if (!other.isEmpty())
            folder->exec(other);
        std::vector<QVariant> changed = r.values;
        changed[size_t(indexOf(r, column))] = value;
        const QString error = test::errorOf(
            [&] { RowWriter(mine->database(), r.table, r.columns).update(r.values, changed); });
        QCOMPARE(error, refused ? RowWriter::rowNotFound().message() : QString());
        QFETCH(QString, check);
        QTEST(folder->scalar(check).toString(), "stored");
    }

    // Catches a new row written without its values or with the auto-number given, its key not
    // returned, and a removal of a row already removed by another passing silently.
    void insertAndRemove() {
        const Read r = read("select * from Pacientes where inscricao = 2");
        std::vector<QVariant> values(r.columns.size());
        values[size_t(indexOf(r, "inscricao"))] = qlonglong(99);
        values[size_t(indexOf(r, "nome"))] = QStringLiteral("Célia");
        RowWriter writer(mine->database(), r.table, r.columns);
        const QVariant key = writer.insert(values);
        QVERIFY(key.toInt() > 2 && key.toInt() != 99);
        QCOMPARE(folder
                     ->scalar(QStringLiteral("select nome from Pacientes where inscricao = %1")
                                  .arg(key.toInt()))
                     .toString(),
                 "Célia");

        writer.remove(r.values);
        QCOMPARE(folder->scalar("select count(*) from Pacientes where inscricao = 2").toInt(), 0);
        QCOMPARE(test::errorOf([&] { writer.remove(r.values); }),
                 RowWriter::rowNotFound().message());
    }
};

QTEST_MAIN(TstRowWriter)
#include "tst_rowwriter.moc"
