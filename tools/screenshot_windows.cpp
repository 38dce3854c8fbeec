#include "tools/screenshot_windows.h"

#include "app/about.h"
#include "app/login.h"
#include "app/main_window.h"
#include "backup/archive.h"
#include "backup/backup.h"
#include "consult/consultation.h"
#include "consult/patient_selection.h"
#include "consult/prescription_report.h"
#include "consult/records_browser.h"
#include "db/database_file.h"
#include "db/dataset.h"
#include "db/session.h"
#include "db/widgets/dblookupcombobox.h"
#include "db/widgets/dbmemo.h"
#include "db/widgets/dbradiogroup.h"
#include "exams/exam.h"
#include "exams/magnifier.h"
#include "platform/picture.h"
#include "platform/textfile.h"
#include "registers/clinic.h"
#include "registers/patient_editor.h"
#include "registers/patient_list.h"
#include "registers/user_editor.h"
#include "registers/users_list.h"
#include "reports/consultations_by_date.h"
#include "reports/consultations_by_professional.h"
#include "reports/consultations_choice.h"
#include "reports/labels_report.h"
#include "reports/patients_report.h"
#include "reports/report_preview.h"
#include "reports/users_report.h"
#include "restore/restore_window.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

namespace corvalen {

namespace {

// The patient of the first consultation, made current, so the records browser has something to
// show. 0 when the folder holds no consultation.
int patientWithConsultations() {
    db::Dataset query(QStringLiteral("ScreenshotPatient"));
    query.setSql({QStringLiteral("SELECT c.Cod_pac, p.nome FROM Consultas c, Pacientes p"),
                  QStringLiteral("WHERE c.Cod_pac = p.inscricao ORDER BY c.Numero")});
    query.open();
    if (query.isEmpty())
        return 0;
    session().patient = {query.field(0).asInteger(), query.field(1).asString()};
    return session().patient.code;
}

// The first page of a report as its preview shows it, in a window large enough to read it.
QWidget* reportPreview(reports::ReportForm* report) {
    const std::unique_ptr<reports::ReportForm> owned(report);
    owned->openData();
    QWidget* preview = owned->openPreview();
    if (preview)
        preview->resize(1000, 1350);
    return preview;
}

// The consultation report window with report `item` chosen ("Por Data", "Por Profissional"),
// over the month of the latest consultation, or for the professional of the first one.
void chooseReport(int item) {
    db::Dataset latest(QStringLiteral("ScreenshotLatest"));
    latest.setSql(
        {QStringLiteral("SELECT max(Data) AS ultima, min(Cod_med) AS prof FROM Consultas")});
    latest.open();
    const QDate last = QDate::fromString(latest.field(0).asString().left(10), Qt::ISODate);
    Form21->show();
    Form21->RadioGroup1->findChildren<QRadioButton*>().at(item)->click();
    if (last.isValid()) {
        Form21->Data1->setDate(QDate(last.year(), last.month(), 1));
        Form21->Data2->setDate(last);
    }
    // The lookup reads its list once it shows.
    QCoreApplication::processEvents();
    Form21->BuscaProf->setKeyValue(latest.field(1).asString());
}

// A prescription long enough for two pages, for the first consultation, with the logo that
// logo.cfg names.
QWidget* longPrescription() {
    QStringList lines;
    for (int week = 1; week <= 8; ++week) {
        lines << QStringLiteral("Uso INT:") << QString()
              << QStringLiteral(" Semana %1: Amoxicilina 500 mg, 1 cápsula de 8 em 8 horas, "
                                "depois das refeições, por sete dias.")
                     .arg(week)
              << QStringLiteral("Dipirona 500 mg, 1 comprimido se houver dor ou febre.")
              << QString();
    }
    db::Dataset consultation(QStringLiteral("ScreenshotConsultation"));
    consultation.setSql(
        {QStringLiteral("SELECT numero, :texto AS prontuario, cod_pac, inscricao, nome"),
         QStringLiteral("FROM Consultas, Pacientes WHERE cod_pac=inscricao"),
         QStringLiteral("ORDER BY numero")});
    consultation.setParameter(QStringLiteral("texto"), lines.join(QStringLiteral("\r\n")));
    consultation.open();
    auto* report = new TForm18(nullptr, &consultation);
    report->setLogo(platform::loadPicture(
        platform::readFirstLine(session().dataFile(QStringLiteral("logo.cfg")))));
    return reportPreview(report);
}

// The restore program's window on the data folder in use, for the pictures of its steps.
RestoreWindow* restoreWindow() {
    static QTemporaryDir settings;
    return new RestoreWindow(
        {session().dataFolder, session().programFolder, settings.filePath("restaura.ini")});
}

// A real backup of the data folder in use, checked as the restore program checks it.
restore::CheckedArchive checkedBackup() {
    static QTemporaryDir work;
    const QString snapshot = work.filePath("med.mdb");
    const QString archive = work.filePath("medbackup_01032027_0905.zip");
    if (!QFile::exists(archive)) {
        db::copyDatabaseFile(session().dataFile("med.mdb"), snapshot);
        archive::ZipArchiveWriter writer;
        writer.setFileName(archive);
        writer.addFile(snapshot, "med.mdb");
        writer.add();
    }
    QDir().mkpath(work.filePath("verificacao"));
    return restore::checkArchive(archive, work.filePath("verificacao"));
}

} // namespace

std::vector<ScreenshotWindow> screenshotWindows() {
    return {
        {"TForm1",
         [] {
             Form1->resize(1024, 700);
             return Form1;
         }},
        {"TForm3", [] { return new TForm3(Form1); }, {}, true},
        {"TForm4", [] { return Form4; }},
        {"TForm8", [] { return Form8; },
         [](QWidget*) { Form8->Edit1->setText(QStringLiteral("mar")); }},
        {"TForm9", [] { return new TForm9(Form8, patientWithConsultations()); }, {}, true},
        {"TForm10", [] { return Form10; },
         [](QWidget*) { Form10->Edit1->setText(QStringLiteral("an")); }},
        {"TForm11", [] { return new TForm11(Form1, patientWithConsultations()); },
         [](QWidget* w) {
             auto* consultation = static_cast<TForm11*>(w);
             consultation->DBMemo1->setText(QStringLiteral("Amoxicilina 500 mg"));
             consultation->Button1->click();
             consultation->DBMemo1->setText(consultation->DBMemo1->text() +
                                            QStringLiteral("1 comprimido de 8 em 8 horas"));
             consultation->DBMemo2->setText(QStringLiteral("Dor de garganta há três dias."));
         },
         true},
        {"TForm13",
         [] {
             patientWithConsultations();
             return Form13;
         }},
        {"TForm15", [] { return Form15; }},
        {"TForm16", [] { return Form16; }},
        {"TForm17", [] { return reportPreview(new TForm17); }, {}, true},
        {"TForm18", [] { return longPrescription(); }, {}, true},
        {"TForm19", [] { return reportPreview(new TForm19); }, {}, true},
        {"TForm20", [] { return reportPreview(new TForm20); }, {}, true},
        {"TForm21",
         [] {
             chooseReport(0);
             return Form21;
         }},
        {"TForm22",
         [] {
             chooseReport(1);
             Form21->queryByProfessional();
             Form21->hide();
             return reportPreview(new TForm22);
         },
         {},
         true},
        {"TForm23",
         [] {
             chooseReport(0);
             Form21->queryByDate();
             Form21->hide();
             return reportPreview(new TForm23);
         },
         {},
         true},
        {"TForm24", [] { return Form24; }},
        {"TForm25", [] { return Form25; },
         [](QWidget*) { Form25->Edit1->setText(QStringLiteral("/media/pendrive/backups")); }},
        {"TForm25-em-andamento", [] { return Form25; },
         [](QWidget*) {
             Form25->CheckBox1->setChecked(true);
             for (QWidget* w : QList<QWidget*>{Form25->BitBtn1, Form25->BitBtn2, Form25->CheckBox1,
                                               Form25->Button2, Form25->Button1})
                 w->setEnabled(false);
             Form25->ProgressBar1->setValue(420);
             Form25->ProgressBar1->show();
         }},
        {"restaura-1-escolher", [] { return restoreWindow(); },
         [](QWidget* w) {
             static_cast<RestoreWindow*>(w)->EditArchive->setText(
                 QStringLiteral("/media/pendrive/backups/medbackup_01032027_0905.zip"));
         },
         true},
        {"restaura-2-confirmar", [] { return restoreWindow(); },
         [](QWidget* w) { static_cast<RestoreWindow*>(w)->showConfirmation(checkedBackup()); },
         true},
        {"restaura-3-concluido", [] { return restoreWindow(); },
         [](QWidget* w) {
             auto* window = static_cast<RestoreWindow*>(w);
             restore::CheckedArchive archive = checkedBackup();
             archive.withExams = true;
             window->showConfirmation(archive);
             restore::Outcome outcome;
             outcome.keptDatabase =
                 session().dataFile("med_antes_da_restauracao_02032027_0830.mdb");
             outcome.examsRestored = 12;
             outcome.examsAlreadyThere = 340;
             outcome.examsKeptBoth << QStringLiteral(
                 "ex/118.jpg: mantido o arquivo atual; o do backup foi gravado como "
                 "ex/118_restaurado.jpg");
             window->showOutcome(outcome);
         },
         true},
    };
}

} // namespace corvalen
