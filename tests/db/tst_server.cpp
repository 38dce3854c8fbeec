// The database server as the clinic's engine: its text comparison against the SQLite engine's,
// and a connection that drops in the middle of the work.

#include "db/datafolder.h"
#include "db/dataset.h"
#include "db/dm2.h"
#include "db/engine.h"
#include "db/session.h"
#include "tests/support/fixture.h"
#include "tests/support/server.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using namespace corvalen;

class TstServer : public QObject {
    Q_OBJECT

private slots:
    // The server's collation compares and orders a table of names as the SQLite engine does:
    // case ignored, accents counting for "=", accented letters among their base letter. Catches
    // a deterministic or case-sensitive collation, and one that sorts "Álvaro" after "Zélia".
    void collationEqualsSQLite() {
        const QStringList names = {"Álvaro",    "alvaro",     "Alvaro",     "ALVARO", "Ana",
                                   "ana",       "Ana Maria",  "Anabela",    "Ângela", "Angela",
                                   "Ávila",     "Azevedo",    "Édson",      "Edson",  "edson",
                                   "Conceição", "Conceicao",  "CONCEIÇÃO",  "João",   "Joao",
                                   "José",      "Jose",       "Zélia",      "Zelia",  "D'Ávila",
                                   "Da Silva",  "Maria José", "Maria-José", "Mello",  "Melo",
                                   "Müller",    "Muller",     "Íris",       "Iris",   "Úrsula",
                                   "Ursula",    "Bärbel",     "Barbara",    "ção",    "cao"};
        const QString connection = test::newServerDatabase();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(db::engine::serverDriverName(), "nomes");
            db::engine::openServer(db, connection);
            db::engine::createServerDatabase(db, {});
            QSqlQuery q(db);
            QVERIFY(q.prepare("SELECT ? = ? COLLATE ptbr, ? < ? COLLATE ptbr"));
            for (const QString& a : names) {
                for (const QString& b : names) {
                    for (int i = 0; i < 4; ++i)
                        q.bindValue(i, i % 2 == 0 ? a : b);
                    QVERIFY2(q.exec() && q.next(), qPrintable(q.lastError().text()));
                    const int sqlite = db::engine::compareText(a, b);
                    QVERIFY2(q.value(0).toBool() == (sqlite == 0) &&
                                 q.value(1).toBool() == (sqlite < 0),
                             qPrintable(a + " / " + b));
                }
            }
            // And an ORDER BY over a text column gives the order the SQLite engine sorts.
            for (const QString& name : names) {
                QVERIFY(q.prepare("INSERT INTO Pacientes (nome) VALUES (?)"));
                q.bindValue(0, name);
                QVERIFY(q.exec());
            }
            QVERIFY(q.exec("SELECT nome FROM Pacientes ORDER BY nome, inscricao"));
            QStringList ordered;
            while (q.next())
                ordered << q.value(0).toString();
            QStringList expected = names;
            std::stable_sort(expected.begin(), expected.end(),
                             [](const QString& a, const QString& b) {
                                 return db::engine::compareText(a, b) < 0;
                             });
            QCOMPARE(ordered, expected);
            db.close();
        }
        QSqlDatabase::removeDatabase("nomes");
        test::dropServerDatabase(connection);
    }

    // The server's backup writes each value as the server holds it: text with tabs, line
    // breaks, backslashes and the letters COPY uses for a null, empty text apart from null, and
    // times with and without seconds. Catches an escape undone twice or not at all, a value cut
    // at a tab, "\\N" read as null, and seconds dropped from a time that has them.
    void backupKeepsEveryValue() {
        const QStringList texts = {"a\tb",  "linha 1\r\nlinha 2", "C:\\exames\\", "\\N",
                                   "\\\\n", "fim com \\",         "\b\f\v",       "Conceição",
                                   "",      "p < 0,05 & 45°"};
        const QList<QVariant> times = {QTime(14, 35), QTime(14, 35, 20), QVariant()};
        const QString connection = test::newServerDatabase();
        QTemporaryDir dir;
        const QString copy = dir.filePath("copia.mdb");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(db::engine::serverDriverName(), "valores");
            db::engine::openServer(db, connection);
            db::engine::createServerDatabase(db, {});
            QSqlQuery q(db);
            QVERIFY(
                q.prepare("INSERT INTO Consultas (Prontuario, Anamnese, Hora) VALUES (?, ?, ?)"));
            for (int i = 0; i < int(texts.size()); ++i) {
                q.bindValue(0, texts.at(i));
                q.bindValue(1, i % 2 ? QVariant(QMetaType::fromType<QString>()) : texts.at(i));
                q.bindValue(2, times.at(i % times.size()));
                QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
            }
            db::engine::backup(db, copy);
            db.close();
        }
        QSqlDatabase::removeDatabase("valores");
        test::dropServerDatabase(connection);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(db::engine::driverName(), "copia");
            db::engine::open(db, copy);
            QSqlQuery q(db);
            QVERIFY(q.exec("SELECT Prontuario, Anamnese, Hora FROM Consultas ORDER BY Numero"));
            for (int i = 0; i < int(texts.size()); ++i) {
                QVERIFY(q.next());
                QCOMPARE(q.value(0).toString(), texts.at(i));
                QCOMPARE(q.value(1).isNull(), i % 2 == 1);
                if (i % 2 == 0)
                    QCOMPARE(q.value(1).toString(), texts.at(i));
                const QVariant time = times.at(i % times.size());
                QCOMPARE(q.value(2).toString(),
                         time.isNull() ? QString()
                                       : time.toTime().toString(time.toTime().second() ? "hh:mm:ss"
                                                                                       : "hh:mm"));
            }
            QVERIFY(!q.next());
            db.close();
        }
        QSqlDatabase::removeDatabase("copia");
    }

    // The server stops while a patient's change waits to be saved, and comes back. Catches the
    // driver's own text (or a success) reaching the user, the typed change dropped with the
    // failed save, and a connection that stays broken after the server is back; then the same
    // for a read of rows.
    void connectionLostDuringSave() {
        test::PrivateServer server;
        QTemporaryDir dir;
        db::prepareServerDataFolder(dir.path(), "/nonexistent/medicina.jpg", server.connection());
        session().dataFolder = dir.path();
        test::MessageRecorder recorder;
        TDm2 dm;
        dm.DataModuleCreate();
        QVERIFY(recorder.shown().empty());
        db::Dataset* users = dm.ADOEditUsuarios;
        users->edit();
        users->fieldByName("medico").setAsString("Dra. Ana");

        server.stop();
        server.start();
        QCOMPARE(test::errorOf([&] { users->post(); }),
                 QStringLiteral("A conexão com o servidor do banco de dados foi perdida; a "
                                "alteração não foi gravada. Tente novamente."));
        QCOMPARE(users->state(), db::Dataset::State::Edit);
        QCOMPARE(users->fieldByName("medico").asString(), QStringLiteral("Dra. Ana"));

        users->post();
        QCOMPARE(users->state(), db::Dataset::State::Browse);
        users->requery();
        QCOMPARE(users->fieldByName("medico").asString(), QStringLiteral("Dra. Ana"));

        // A read cut by the same fault is reported the same way and the next one succeeds.
        db::Dataset* patients = dm.ADOQuery1;
        patients->setSql({"SELECT nome FROM Pacientes WHERE nome <> :nome"});
        patients->setParameter("nome", "ninguém");
        patients->open();
        server.stop();
        server.start();
        QCOMPARE(test::errorOf([&] { patients->recordCount(); }),
                 QStringLiteral("A conexão com o servidor do banco de dados foi perdida; a "
                                "alteração não foi gravada. Tente novamente."));
        QCOMPARE(test::errorOf([&] { patients->recordCount(); }), QString());
    }
};

QTEST_MAIN(TstServer)
#include "tst_server.moc"
