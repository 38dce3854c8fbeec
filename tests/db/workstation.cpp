// A workstation for the tests that run several processes on one data folder: a process that
// saves through the program's own data module, datasets and exam window, as a copy of the
// program on another computer would.
//
//   workstation race DATA_FOLDER NAME PHASE ROUNDS
//       Waits for the file DATA_FOLDER/go, then saves patients 1 to 5 in turn, ROUNDS times,
//       as the patient editor does (the single-row reload, Edit, Post). PHASE "columns": the
//       workstation named "a" writes tel and any other plano; "same": both write nome. Every
//       twenty-fifth round it also holds a write on a second connection for 100 ms, as a
//       workstation in the middle of a long save. Prints one line per save, tab-separated: "ok" or
//       "told" (refused as changed since read), the patient, the value read, the value written; or
//       "error" and the message for anything else.
//
//   workstation crash DATA_FOLDER EXAM_FILE SEED
//       Saves new and changed patients, consultations and exams (EXAM_FILE attached through the
//       exam window) without end, printing "ready" once the data module is open. The test
//       kills it.

#include "db/connection.h"
#include "db/dm2.h"
#include "db/engine.h"
#include "db/session.h"
#include "db/widgets/dbedit.h"
#include "exams/exam.h"
#include "platform/error.h"
#include "platform/messages.h"
#include "tests/support/fixture.h"

#include <QApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QThread>
#include <cstdio>

using namespace corvalen;

namespace {

void say(const QStringList& fields) {
    std::fputs(qPrintable(fields.join('\t') + '\n'), stdout);
    std::fflush(stdout);
}

// The patient editor's dataset holding one patient.
db::Dataset* loadPatient(int code) {
    db::Dataset* d = Dm2->ADOEditPacientes;
    d->setSql({QStringLiteral("SELECT * from Pacientes"),
               QStringLiteral("where inscricao =%1;").arg(code)});
    d->open();
    return d;
}

// Holds a write on a connection of its own for a while.
void holdWrite(const QString& file, int ms) {
    test::Workstation holder(file);
    holder.holdWrite();
    QThread::msleep(ulong(ms));
    holder.release();
}

int race(const QString& folder, const QString& name, const QString& phase, int rounds) {
    const QString column = phase == "same" ? "nome" : name == "a" ? "tel" : "plano";
    const QString refused = QStringLiteral("Row cannot be located for updating. Some values may "
                                           "have been changed since it was last read");
    while (!QFile::exists(folder + "/go"))
        QThread::msleep(1);
    QRandomGenerator random(name == "a" ? 1 : 2);
    for (int round = 0; round < rounds; ++round) {
        const int patient = 1 + round % 5;
        const QString value = QStringLiteral("%1-%2").arg(name).arg(round);
        QString original;
        try {
            db::Dataset* d = loadPatient(patient);
            original = d->fieldByName(column).asString();
            // Reading, then typing: the other workstation may save in between.
            QThread::usleep(random.bounded(3000));
            d->edit();
            d->fieldByName(column).setAsString(value);
            d->post();
            say({"ok", QString::number(patient), original, value});
        } catch (const Error& e) {
            Dm2->ADOEditPacientes->cancel();
            say({e.message() == refused ? "told" : "error", QString::number(patient), original,
                 e.message() == refused ? value : e.message()});
        }
        if (round % 25 == 5)
            holdWrite(session().dataFile("med.mdb"), 100);
    }
    return 0;
}

// Text of a known shape, so that a torn row would show.
QString prescription(int n) {
    return QStringLiteral("Receita %1: ").arg(n, 8, 10, QChar('0')).repeated(100).left(1500);
}

int crash(const QString& examFile, quint32 seed) {
    QRandomGenerator random(seed);
    say({"ready"});
    for (int n = int(seed) * 100000;; ++n) {
        switch (random.bounded(4)) {
        case 0: { // a new patient
            db::Dataset* d = loadPatient(0);
            d->insert();
            const QString token = QString::number(n);
            d->fieldByName("nome").setAsString("Novo " + token);
            d->fieldByName("plano").setAsString(token);
            d->fieldByName("cidade").setAsString(token);
            d->post();
            break;
        }
        case 1: { // a changed patient
            db::Dataset* d = loadPatient(1 + int(random.bounded(5)));
            d->edit();
            d->fieldByName("tel").setAsString(QString::number(n));
            d->fieldByName("cep").setAsString(QString::number(n));
            d->post();
            break;
        }
        case 2: { // a consultation, saved, then changed and saved again
            db::Dataset* c = Dm2->ADOConsulta;
            c->insert();
            c->fieldByName("Cod_pac").setAsString(QString::number(1 + random.bounded(5)));
            c->fieldByName("Data").setAsString("02/03/2026");
            c->fieldByName("Hora").setAsString("14:35");
            c->fieldByName("Prontuario").setAsString(prescription(n));
            c->post();
            c->edit();
            c->fieldByName("Anamnese").setAsString(prescription(n));
            c->post();
            break;
        }
        default: { // an exam attached to the last consultation
            const QVariant last = [] {
                QSqlQuery q(Dm2->ADOConnection1->database());
                q.exec("select max(Numero) from Consultas");
                return q.next() ? q.value(0) : QVariant();
            }();
            if (last.isNull())
                break;
            session().patient.code = 1;
            TForm14 exam(nullptr, last.toInt(), 0);
            exam.Edit1->setText(examFile);
            exam.DBEdit5->setText("Exame " + QString::number(n));
            exam.BitBtn2Click();
            break;
        }
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4)
        return 2;
    session().dataFolder = args.at(2);
    session().programFolder = args.at(2);
    messages::setHook([](const messages::Shown& shown) {
        say({"error", "box", shown.text});
        return messages::Answer::Ok;
    });
    TDm2 dm;
    dm.DataModuleCreate();
    try {
        if (args.at(1) == "race" && args.size() == 6)
            return race(args.at(2), args.at(3), args.at(4), args.at(5).toInt());
        if (args.at(1) == "crash" && args.size() == 5)
            return crash(args.at(3), args.at(4).toUInt());
    } catch (const std::exception& e) {
        say({"error", "exception", errorMessage(e)});
        return 1;
    }
    return 2;
}
