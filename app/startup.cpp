#include "app/startup.h"

#include "app/about.h"
#include "app/application.h"
#include "app/data_access.h"
#include "app/login.h"
#include "app/main_window.h"
#include "backup/backup.h"
#include "consult/consultation.h"
#include "consult/patient_selection.h"
#include "consult/prescription_report.h"
#include "consult/records_browser.h"
#include "db/dm2.h"
#include "db/session.h"
#include "exams/exam.h"
#include "exams/magnifier.h"
#include "platform/messages.h"
#include "platform/sharing.h"
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
#include "reports/users_report.h"

#include <QGuiApplication>
#include <QScreen>

namespace corvalen {

void createWindows() {
    // Before any file is made: the database's log, exam copies and rewritten configuration
    // files must stay writable for the other staff accounts.
    platform::shareNewFilesWithGroup();
    // The order matters: the main window fixes the folders, the login window disables the
    // main window's commands, and the data module needs the data folder.
    Form1 = new TForm1;
    Form3 = new TForm3(Form1);
    // An account that may not work in the data folder is told once, here; the program then
    // opens what it can read, and a database it cannot read is not opened at all, so that no
    // second, less clear message follows.
    const DataAccess access = checkDataAccess(session().dataFolder);
    if (access.level != DataAccess::Level::Full)
        messages::warning(dataAccessMessage(access, session().dataFolder, platform::accountName()));
    new TDm2;
    if (access.level != DataAccess::Level::None)
        Dm2->DataModuleCreate();
    Form4 = new TForm4;
    Form5 = new TForm5;
    Form8 = new TForm8;
    Form9 = new TForm9;
    Form10 = new TForm10;
    Form11 = new TForm11;
    Form13 = new TForm13;
    Form14 = new TForm14;
    Form15 = new TForm15;
    Form16 = new TForm16;
    Form17 = new TForm17;
    Form18 = new TForm18;
    Form19 = new TForm19;
    Form20 = new TForm20;
    Form21 = new TForm21;
    Form22 = new TForm22;
    Form23 = new TForm23;
    Form24 = new TForm24;
    Form25 = new TForm25;
}

namespace {
template <typename T> void destroy(T*& window) {
    delete window;
    window = nullptr;
}
} // namespace

void destroyWindows() {
    destroy(Form25);
    destroy(Form24);
    destroy(Form23);
    destroy(Form22);
    destroy(Form21);
    destroy(Form20);
    destroy(Form19);
    destroy(Form18);
    destroy(Form17);
    destroy(Form16);
    destroy(Form15);
    destroy(Form14);
    destroy(Form13);
    destroy(Form11);
    destroy(Form10);
    destroy(Form9);
    destroy(Form8);
    destroy(Form5);
    destroy(Form4);
    delete Dm2;
    destroy(Form3);
    destroy(Form1);
}

void showMainWindow() {
    Form1->setLoginOnFirstShow(true);
    // The window manager maximises; without one the window still covers the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        Form1->setGeometry(screen->availableGeometry());
    Form1->showMaximized();
}

int runProgram(int argc, char** argv) {
    Application app(argc, argv);
    createWindows();
    showMainWindow();
    const int result = app.exec();
    destroyWindows();
    return result;
}

} // namespace corvalen
