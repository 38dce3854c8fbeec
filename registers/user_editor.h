#pragma once
// The user editor: one user of Usuarios on the shared ADOEditUsuarios (DataSource3), created
// by the user list for each use with the user's code, or 0 for a new user, and shown modally.
// An existing user is reloaded alone, and ADOEditUsuarios keeps that one-row SQL after the
// editor closes. The editor requires a level before saving and checks nothing else; the
// database refuses to lose its last administrator.

#include "db/widgets/form.h"

class QLabel;
class QPushButton;

namespace corvalen {

class DBEdit;
class DBNavigator;
class DBRadioGroup;

class TForm5 : public Form {
    Q_OBJECT
public:
    // The start-up instance: the window's controls only; it touches no row and is never shown.
    explicit TForm5(QWidget* owner = nullptr);
    // An editor for the user with this code (0: a new user).
    TForm5(QWidget* owner, int code);

    int code() const { return code_; }

    // "SALVAR ALTERAÇÕES": refuses without a level, otherwise posts; the window stays open.
    void BitBtn1Click();
    // "Remover": deletes after "Delete record?", then reports and closes.
    void BtndelClick();
    // "Fechar".
    void Button1Click();
    void DBNavigator1Click(int button);

    QLabel* Label1;
    DBEdit* DBEdit1;
    QLabel* Label2;
    DBEdit* DBEdit2;
    QLabel* Label3;
    DBEdit* DBEdit3;
    DBRadioGroup* DBRadioGroup1;
    QLabel* Label4;
    DBEdit* DBEdit4;
    QLabel* Label5;
    DBEdit* DBEdit5;
    QLabel* Label6;
    DBEdit* DBEdit6;
    QLabel* Label7;
    DBEdit* DBEdit7;
    QLabel* Label8;
    DBEdit* DBEdit8;
    QLabel* Label9;
    DBEdit* DBEdit9;
    QLabel* Label10;
    DBEdit* DBEdit10;
    QLabel* Label11;
    DBEdit* DBEdit11;
    QLabel* Label12;
    DBEdit* DBEdit12;
    QLabel* Label14;
    DBEdit* DBEdit14;
    DBNavigator* DBNavigator1;
    QPushButton* BitBtn1;
    QPushButton* Btndel;
    QPushButton* Button1;

private:
    void buildLayout();
    void connectCommands();

    int code_ = 0;
};

// The start-up instance.
extern TForm5* Form5;

} // namespace corvalen
