#pragma once
// The consultation window: one new row of Consultas for one patient, stamped with the date,
// the time and the current user, holding the anamnesis and the prescription. From it the user
// saves the row, opens the patient's saved records, attaches exams, prints the prescription and
// ends the consultation.
//
// Ending (the end button and the title-bar close box alike) asks before dropping text: a
// never-saved consultation asks "A consulta ainda não foi salva. Deseja sair agora?", a saved
// one with unsaved changes asks the windows' discard question; "&No" keeps the window and the
// text. A saved, unchanged consultation ends without a question. On ending the row is
// cancelled, so no half-filled row is left in the shared ADOConsulta for another window to
// save.

#include "db/widgets/form.h"

class QLineEdit;
class QPushButton;
class QStatusBar;
class QToolButton;
class QGroupBox;

namespace corvalen {

class DBEdit;
class DBGrid;
class DBMemo;
class DBNavigator;

class TForm11 : public Form {
    Q_OBJECT
public:
    // The start-up instance: the layout only, never shown.
    explicit TForm11(QWidget* owner = nullptr);
    // A consultation for the patient: sets the current patient, inserts the new row and fills
    // the window, without showing it. The caller shows it modally and destroys it afterwards.
    TForm11(QWidget* owner, int patientCode);

    QToolButton* ToolButton1; // save
    QToolButton* ToolButton2; // saved records
    QToolButton* ToolButton3; // attach exams
    QToolButton* ToolButton4; // print the prescription
    QToolButton* ToolButton5; // end the consultation
    QGroupBox* GroupBox1;
    DBEdit* DBEdit1; // Numero
    DBEdit* DBEdit2; // Cod_pac
    QLineEdit* Edit1;
    DBEdit* DBEdit4; // Data
    DBEdit* DBEdit3; // Hora
    DBEdit* DBEdit5; // nome of ADOConsultaPac, hidden
    DBEdit* DBEdit6; // Cod_med, hidden
    QPushButton* Button1;
    QPushButton* Button2;
    DBGrid* DBGridPronts;
    QPushButton* Button3;
    DBMemo* DBMemo1; // Prontuario
    DBMemo* DBMemo2; // Anamnese
    DBNavigator* DBNavigator1;
    QStatusBar* StatusBar1;

protected:
    // Ending, whichever way the window closes (the end button, the close box): the
    // questions before dropping text, then the row is cancelled and the patient look-up and
    // the printout's dataset are closed.
    bool FormCloseQuery() override;
    void FormClose() override;

private:
    void buildLayout();
    void connectCommands();
    void startConsultation(int patientCode);

    void ToolButton1Click();
    void ToolButton2Click();
    void ToolButton3Click();
    void ToolButton4Click();
    void ToolButton5Click();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void DBGridProntsDblClick();

    bool saved() const; // the number box shows the number of the first save
    void appendHeading(const QString& heading);
};

// The start-up instance.
extern TForm11* Form11;

} // namespace corvalen
