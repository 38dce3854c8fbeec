#pragma once
// The patient editor: one patient's row of the shared ADOEditPacientes (through DataSource7)
// for changing, or a new blank row, with commands to save it, remove it and open the records
// browser on the patient's consultations. Created by the patient list for each use, shown
// modally and destroyed when it closes.

#include "db/widgets/form.h"

class QLabel;
class QPushButton;

namespace corvalen {

class DBEdit;
class DBNavigator;

class TForm9 : public Form {
    Q_OBJECT
public:
    // The start-up instance: the layout only, never shown.
    explicit TForm9(QWidget* owner = nullptr);
    // An editor for the patient `code` (the single-row reload), or for a new patient when code
    // is 0 (Insert on ADOEditPacientes, "Remover" hidden, caption "Adicionar Novo Paciente").
    // The code is kept for the window's life, even after a new patient has been saved.
    TForm9(QWidget* owner, int code);

    int code() const { return code_; }

    QLabel* Label1;
    DBEdit* DBEdit1; // inscricao, disabled
    QLabel* Label2;
    DBEdit* DBEdit2; // plano
    QLabel* Label3;
    DBEdit* DBEdit3; // nome
    QLabel* Label4;
    DBEdit* DBEdit4; // rua
    QLabel* Label5;
    DBEdit* DBEdit5; // bairro
    QLabel* Label6;
    DBEdit* DBEdit6; // cidade
    QLabel* Label7;
    DBEdit* DBEdit7; // cep
    QLabel* Label8;
    DBEdit* DBEdit8; // tel
    QLabel* Label9;
    DBEdit* DBEdit9; // cpf
    QLabel* Label10;
    DBEdit* DBEdit10; // identidade
    QLabel* Label11;
    DBEdit* DBEdit11; // mae
    QLabel* Label12;
    DBEdit* DBEdit12; // pai
    QLabel* Label13;
    DBEdit* DBEdit13;          // nascimento
    DBNavigator* DBNavigator1; // hidden; dispatches the navigator actions
    QPushButton* BitBtn1;      // "&SALVAR ALTERAÇÕES"
    QPushButton* BitBtn3;      // "Prontuários"
    QPushButton* BitBtn2;      // "Remover"
    QPushButton* Button1;      // "Fechar"

    // Post; the window stays open with the saved row current.
    void BitBtn1Click();
    // Delete, after "Delete record?"; only the Pacientes row goes.
    void BitBtn2Click();
    // Counts the patient's consultations; with none shows a message, otherwise sets the current
    // patient (the code and the name box's text) and shows the records browser in front.
    void BitBtn3Click();
    // Closes the window.
    void Button1Click();

private:
    void buildLayout();
    void connectCommands();

    int code_ = 0;
};

// The start-up instance.
extern TForm9* Form9;

} // namespace corvalen
