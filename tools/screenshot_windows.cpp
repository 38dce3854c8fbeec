#include "tools/screenshot_windows.h"

#include "app/about.h"
#include "app/login.h"
#include "app/main_window.h"
#include "backup/backup.h"
#include "consult/consultation.h"
#include "consult/patient_selection.h"
#include "consult/records_browser.h"
#include "exams/exam.h"
#include "exams/magnifier.h"
#include "registers/clinic.h"
#include "registers/patient_editor.h"
#include "registers/patient_list.h"
#include "registers/user_editor.h"
#include "registers/users_list.h"
#include "reports/consultations_choice.h"

namespace corvalen {

std::vector<ScreenshotWindow> screenshotWindows() {
    return {
        {"TForm1",
         [] {
             Form1->resize(1024, 700);
             return Form1;
         }},
        {"TForm3", [] { return new TForm3(Form1); }, {}, true},
        {"TForm4", [] { return Form4; }},
        {"TForm8", [] { return Form8; }},
        {"TForm10", [] { return Form10; }},
        {"TForm13", [] { return Form13; }},
        {"TForm15", [] { return Form15; }},
        {"TForm16", [] { return Form16; }},
        {"TForm21", [] { return Form21; }},
        {"TForm24", [] { return Form24; }},
        {"TForm25", [] { return Form25; }},
    };
}

} // namespace corvalen
