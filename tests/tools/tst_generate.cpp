// The synthetic-clinic generator at the demo scale: counts, consistency between tables, the
// formats the program reads, the exam files, determinism and the refusals.

#include "db/dataset.h"
#include "db/dm2.h"
#include "db/engine.h"
#include "platform/error.h"
#include "platform/textfile.h"
#include "tests/support/fixture.h"
#include "tools/generate.h"

#include <QDir>
#include <QImage>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <QtTest>

using namespace corvalen;
using generator::Scale;

namespace {

// Every row of a query, its columns joined by "|".
QStringList rows(const QString& dataFolder, const QString& sql) {
    const QString name = QUuid::createUuid().toString();
    QStringList result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(db::engine::driverName(), name);
        db::engine::open(db, QDir(dataFolder).filePath("med.mdb"));
        QSqlQuery q(db);
        if (!q.exec(sql))
            qFatal("%s", qPrintable(sql));
        while (q.next()) {
            QStringList columns;
            for (int i = 0; i < q.record().count(); ++i)
                columns << q.value(i).toString();
            result << columns.join('|');
        }
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

} // namespace

class TstGenerate : public QObject {
    Q_OBJECT

    std::unique_ptr<test::DataFolder> folder;
    generator::Summary summary;

    qlonglong count(const QString& sql) { return folder->scalar(sql).toLongLong(); }

private slots:
    void init() {
        folder = std::make_unique<test::DataFolder>();
        summary = generator::fillDataFolder(Scale::Demo, folder->path());
    }
    void cleanup() { folder.reset(); }

    // Catches rows lost or added, and a counter file that does not follow the copies.
    void countsMatchTheScale() {
        const generator::Size size = generator::sizeOf(Scale::Demo);
        QCOMPARE(count("select count(*) from Pacientes"), size.patients);
        QCOMPARE(count("select count(*) from Consultas"), size.consultations);
        QCOMPARE(count("select count(*) from Exames"), size.exams);
        QCOMPARE(count("select count(*) from Usuarios where crm is not null"), size.professionals);
        // The prepared administrator, the professionals and a receptionist.
        QCOMPARE(count("select count(*) from Usuarios"), 1 + size.professionals + 1);
        QCOMPARE(summary.logins.size(), size.professionals + 1);
        QCOMPARE(count("select count(*) from Usuarios where nivel = 1"), 2);
        QCOMPARE(count("select count(distinct Cod_med) from Consultas"), size.professionals);
        QCOMPARE(summary.lastExam, size.exams);
        QCOMPARE(platform::readFirstLine(folder->file("cont.cfg")),
                 QString::number(summary.lastExam));
        QCOMPARE(count("select count(*) from Clinica"), 1);
        QCOMPARE(folder->scalar("select nome from Clinica").toString(),
                 QStringLiteral("Clínica Médica São Lucas"));
    }

    // Catches consultations and exams that point at rows that do not exist or disagree.
    void rowsReferToEachOther() {
        QCOMPARE(count("select count(*) from Consultas where Cod_pac not in "
                       "(select inscricao from Pacientes)"),
                 0);
        QCOMPARE(count("select count(*) from Consultas where Cod_med not in "
                       "(select cod from Usuarios where crm is not null)"),
                 0);
        QCOMPARE(count("select count(*) from Exames e left join Consultas c "
                       "on c.Numero = e.cod_pront "
                       "where c.Numero is null or c.Cod_pac <> e.cod_paciente"),
                 0);
        // Every demo patient has been seen at least once.
        QCOMPARE(count("select count(*) from Pacientes where inscricao not in "
                       "(select Cod_pac from Consultas)"),
                 0);
        QCOMPARE(count("select count(*) - count(distinct lower(nome)) from Usuarios"), 0);
    }

    // Catches texts wider than their columns, dates and times the program cannot read, and
    // clinical texts outside their length range.
    void valuesFitTheColumnsAndFormats() {
        for (const QString table : {"Usuarios", "Pacientes", "Consultas", "Exames", "Clinica"}) {
            const QRegularExpression width(QStringLiteral("^VARCHAR\\((\\d+)\\)$"),
                                           QRegularExpression::CaseInsensitiveOption);
            for (const QString& column : rows(
                     folder->path(),
                     QStringLiteral("select name, type from pragma_table_info('%1')").arg(table))) {
                const QString name = column.section('|', 0, 0);
                const auto match = width.match(column.section('|', 1));
                if (!match.hasMatch())
                    continue;
                const qlonglong longest = count(
                    QStringLiteral("select coalesce(max(length(%1)), 0) from %2").arg(name, table));
                QVERIFY2(longest <= match.captured(1).toInt(),
                         qPrintable(table + "." + name + ": " + QString::number(longest)));
            }
        }
        QCOMPARE(count("select count(*) from Consultas where date(Data) is not Data "
                       "or Data not between '2015-01-01' and '2024-12-31' "
                       "or Hora not glob '[0-2][0-9]:[0-5][0-9]' "
                       "or Hora not between '08:00' and '17:59'"),
                 0);
        // Birth dates as typed, "dd/mm/yyyy", and never after the patient's first visit.
        const char* iso = "substr(nascimento, 7, 4) || '-' || substr(nascimento, 4, 2) || '-' "
                          "|| substr(nascimento, 1, 2)";
        QCOMPARE(
            count(QStringLiteral("select count(*) from Pacientes p where "
                                 "nascimento not glob '[0-3][0-9]/[01][0-9]/[12][0-9][0-9][0-9]' "
                                 "or date(%1) is not %1 or %1 > (select min(Data) from "
                                 "Consultas where Cod_pac = p.inscricao)")
                      .arg(iso)),
            0);
        QCOMPARE(count("select count(*) from Consultas where "
                       "length(Anamnese) not between 300 and 1500 "
                       "or length(Prontuario) not between 300 and 1500"),
                 0);
        // The prescription starts as the "Uso INTERNO" button leaves it.
        QCOMPARE(count("select count(*) from Consultas where "
                       "substr(Prontuario, 1, 11) <> char(13, 10) || 'Uso INT:' || char(13)"),
                 0);
        const QStringList names = rows(folder->path(), "select nome from Pacientes");
        QVERIFY(std::any_of(names.begin(), names.end(), [](const QString& n) {
            return n.contains(QRegularExpression(QStringLiteral("[ãáâéêíóôõúç]")));
        }));
    }

    // Catches exam rows whose files are missing, misnamed or not what their extension says.
    void demoExamFilesExist() {
        int pictures = 0;
        int documents = 0;
        const QString ex = QDir(folder->path()).filePath("ex") + '/';
        for (const QString& path : rows(folder->path(), "select arquivo from Exames")) {
            QVERIFY2(path.startsWith(ex), qPrintable(path));
            const QString name = path.mid(ex.size());
            QVERIFY2(QRegularExpression(QStringLiteral("^[1-9][0-9]*\\.(jpg|pdf)$"))
                         .match(name)
                         .hasMatch(),
                     qPrintable(name));
            QVERIFY(name.section('.', 0, 0).toInt() <= summary.lastExam);
            if (name.endsWith(".jpg")) {
                QVERIFY2(!QImage(path, "JPG").isNull(), qPrintable(path));
                ++pictures;
            } else {
                QFile file(path);
                QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
                QVERIFY(file.read(5) == "%PDF-");
                ++documents;
            }
        }
        QVERIFY(pictures > 0);
        QVERIFY(documents > 0);
        QCOMPARE(QDir(ex).entryList(QDir::Files).size(), pictures + documents);
    }

    // Catches stored formats that the program's datasets do not read as dates and times, or
    // a generated database that the data module cannot open.
    void programReadsTheData() {
        test::MessageRecorder recorder;
        TDm2* dm = folder->openDataModule();
        QVERIFY2(recorder.shown().empty(), qPrintable(recorder.last()));
        db::Dataset* consultations = dm->ADOConsulta;
        QCOMPARE(consultations->recordCount(), generator::sizeOf(Scale::Demo).consultations);
        consultations->last();
        QCOMPARE(consultations->fieldByName("Data").value().typeId(), QMetaType::QDate);
        QCOMPARE(consultations->fieldByName("Hora").value().typeId(), QMetaType::QTime);
        QCOMPARE(dm->ADOQuery1->recordCount(), generator::sizeOf(Scale::Demo).patients);
    }

    // Catches anything that varies from run to run (seeds, clocks, hash order).
    void sameRowsAndFilesEveryRun() {
        test::DataFolder other;
        generator::fillDataFolder(Scale::Demo, other.path());
        const QStringList tables = {"select * from Usuarios order by cod",
                                    "select * from Pacientes order by inscricao",
                                    "select * from Consultas order by Numero",
                                    "select * from Exames order by cod", "select * from Clinica"};
        for (const QString& sql : tables) {
            const QStringList mine = rows(folder->path(), sql);
            QStringList theirs = rows(other.path(), sql);
            theirs.replaceInStrings(other.path(), folder->path());
            QVERIFY(!mine.isEmpty());
            QCOMPARE(theirs, mine);
        }
        const QDir ex(folder->file("ex"));
        for (const QString& name : ex.entryList(QDir::Files)) {
            QFile a(ex.filePath(name));
            QFile b(QDir(other.file("ex")).filePath(name));
            QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
            QVERIFY2(a.readAll() == b.readAll(), qPrintable(name));
        }
    }

    // Catches a run over a folder that is not prepared or already holds a clinic, and a
    // failed run that leaves rows, files or a moved counter behind.
    void refusesAndChangesNothing() {
        QTemporaryDir empty;
        QVERIFY(test::errorOf([&] {
                    generator::fillDataFolder(Scale::Demo, empty.path());
                }).contains("não está preparada"));
        QVERIFY(QDir(empty.path()).isEmpty());

        const QString again =
            test::errorOf([&] { generator::fillDataFolder(Scale::Demo, folder->path()); });
        QVERIFY2(again.contains("já contém"), qPrintable(again));
        QCOMPARE(count("select count(*) from Pacientes"), generator::sizeOf(Scale::Demo).patients);
        QCOMPARE(platform::readFirstLine(folder->file("cont.cfg")),
                 QString::number(summary.lastExam));

        // A copy name already taken stops the run midway: everything is undone.
        test::DataFolder taken;
        for (const char* name : {"ex/9.jpg", "ex/9.pdf"}) {
            QFile file(taken.file(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(test::errorOf([&] {
                    generator::fillDataFolder(Scale::Demo, taken.path());
                }).contains("já existe"));
        QCOMPARE(taken.scalar("select count(*) from Pacientes").toInt(), 0);
        QCOMPARE(taken.scalar("select count(*) from Usuarios").toInt(), 1);
        QCOMPARE(QDir(taken.file("ex")).entryList(QDir::Files), QStringList({"9.jpg", "9.pdf"}));
        QCOMPARE(platform::readFirstLine(taken.file("cont.cfg")), QStringLiteral("0"));
    }
};

QTEST_MAIN(TstGenerate)
#include "tst_generate.moc"
