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
#include "db/widgets/dbedit.h"
#include "db/widgets/dblookupcombobox.h"
#include "db/widgets/dbmemo.h"
#include "db/widgets/dbradiogroup.h"
#include "exams/exam.h"
#include "exams/magnifier.h"
#include "platform/pickers.h"
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
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolButton>

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

// The lowest user code, for the user editor's picture (the prepared administrator at least).
int firstUser() {
    db::Dataset query(QStringLiteral("ScreenshotUser"));
    query.setSql({QStringLiteral("SELECT min(cod) FROM Usuarios")});
    query.open();
    return query.isEmpty() ? 0 : query.field(0).asInteger();
}

// A chest radiograph of sorts: ribs and lungs in greys on black, with its caption.
void writeExamPicture(const QString& path) {
    QImage image(900, 700, QImage::Format_RGB32);
    image.fill(QColor(12, 12, 14));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient body(450, 380, 380);
    body.setColorAt(0, QColor(95, 95, 100));
    body.setColorAt(1, QColor(20, 20, 24));
    p.setBrush(body);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(450, 390), 330, 300);
    p.setBrush(QColor(30, 30, 34));
    p.drawEllipse(QPointF(330, 370), 110, 190);
    p.drawEllipse(QPointF(570, 370), 110, 190);
    p.setBrush(QColor(170, 170, 175));
    p.drawRect(438, 120, 24, 520);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(185, 185, 190), 9, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 8; ++i) {
        const double y = 200 + i * 48;
        QPainterPath rib;
        rib.moveTo(440, y);
        rib.cubicTo(330, y - 40, 190, y + 10, 200, y + 90);
        p.drawPath(rib);
        rib = QPainterPath();
        rib.moveTo(460, y);
        rib.cubicTo(570, y - 40, 710, y + 10, 700, y + 90);
        p.drawPath(rib);
    }
    p.setPen(Qt::white);
    p.setFont(QFont(QStringLiteral("DejaVu Sans"), 20, QFont::Bold));
    p.drawText(30, 50, QStringLiteral("RX TÓRAX PA"));
    p.drawText(830, 50, QStringLiteral("E"));
    p.end();
    image.save(path, "JPG", 90);
}

// A laboratory report on two A4 pages.
void writeExamReport(const QString& path) {
    QPdfWriter pdf(path);
    pdf.setResolution(150);
    pdf.setTitle(QStringLiteral("Laudo de exame"));
    QPainter p(&pdf);
    const int width = p.viewport().width();
    const auto page = [&](int number, const QStringList& lines) {
        p.setFont(QFont(QStringLiteral("DejaVu Sans"), 16, QFont::Bold));
        p.drawText(0, 60, QStringLiteral("Laboratório São Lucas"));
        p.setFont(QFont(QStringLiteral("DejaVu Sans"), 11));
        p.drawText(0, 110, QStringLiteral("Laudo de exame — Hemograma completo"));
        p.drawLine(0, 130, width, 130);
        int y = 190;
        for (const QString& line : lines) {
            p.drawText(0, y, line);
            y += 45;
        }
        p.drawText(0, p.viewport().height() - 40, QStringLiteral("Página %1 de 2").arg(number));
    };
    page(1, {QStringLiteral("Paciente: Maria Aparecida Souza"),
             QStringLiteral("Material: sangue total (EDTA)"), QString(),
             QStringLiteral("Hemácias ............ 4,6 milhões/mm³   (4,2 a 5,4)"),
             QStringLiteral("Hemoglobina ......... 13,8 g/dL         (12,0 a 16,0)"),
             QStringLiteral("Hematócrito ......... 41 %              (37 a 47)"),
             QStringLiteral("Leucócitos .......... 7.200 /mm³        (4.000 a 10.000)"),
             QStringLiteral("Plaquetas ........... 245.000 /mm³      (150.000 a 450.000)")});
    pdf.newPage();
    page(2, {QStringLiteral("Observações: valores dentro da normalidade."), QString(),
             QStringLiteral("Responsável técnico: Dr. Paulo Nogueira — CRM 12345")});
    p.end();
}

// The two exam files, made once in a folder of the tool's own.
QString examFile(const QString& name) {
    static QTemporaryDir folder;
    static const bool made = [] {
        writeExamPicture(folder.filePath(QStringLiteral("torax.jpg")));
        writeExamReport(folder.filePath(QStringLiteral("laudo.pdf")));
        return true;
    }();
    Q_UNUSED(made);
    return folder.filePath(name);
}

// A new exam window with a file chosen through `button`, as the user would, and a title. The
// row stays pending and is dropped when the window goes: nothing reaches the database.
QWidget* examWindow() {
    patientWithConsultations();
    return new TForm14(Form1, 1, 0);
}

void chooseExam(QWidget* w, const QString& file, const QString& title, bool pdf) {
    auto* exam = static_cast<TForm14*>(w);
    platform::setPickerHook([file](const platform::PickerRequest&) { return file; });
    (pdf ? exam->SpeedButton2 : exam->SpeedButton1)->click();
    platform::setPickerHook({});
    exam->DBEdit5->setText(title);
    // The PDF view renders its pages in the background.
    QElapsedTimer waited;
    waited.start();
    while (pdf && waited.elapsed() < 1500)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
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
        {"TForm5", [] { return new TForm5(Form4, firstUser()); }, {}, true},
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
        {"TForm14", examWindow,
         [](QWidget* w) {
             chooseExam(w, examFile(QStringLiteral("torax.jpg")), QStringLiteral("Raio X de tórax"),
                        false);
         },
         true},
        {"TForm14-pdf", examWindow,
         [](QWidget* w) {
             chooseExam(w, examFile(QStringLiteral("laudo.pdf")), QStringLiteral("Hemograma"),
                        true);
         },
         true},
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
