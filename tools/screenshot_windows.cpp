#include "tools/screenshot_windows.h"

#include "app/about.h"
#include "app/login.h"
#include "app/main_window.h"
#include "backup/backup.h"
#include "consult/consultation.h"
#include "consult/patient_selection.h"
#include "consult/records_browser.h"
#include "db/dataset.h"
#include "db/session.h"
#include "db/widgets/dbmemo.h"
#include "exams/exam.h"
#include "exams/magnifier.h"
#include "registers/clinic.h"
#include "registers/patient_editor.h"
#include "registers/patient_list.h"
#include "registers/user_editor.h"
#include "registers/users_list.h"
#include "reports/consultations_choice.h"

#include <QLineEdit>
#include <QPushButton>

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
        {"TForm21", [] { return Form21; }},
        {"TForm24", [] { return Form24; }},
        {"TForm25", [] { return Form25; }},
    };
}

} // namespace corvalen
