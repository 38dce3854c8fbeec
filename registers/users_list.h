#pragma once
// The user list: every user with code, login and level, from the shared ADOQuery2 as it was
// last opened. Adding or editing a user opens the user editor modally; the list is reloaded
// only by "Atualizar", so changes made in an editor show after it.

#include "db/widgets/form.h"

class QLabel;
class QPushButton;

namespace corvalen {

class DBGrid;

class TForm4 : public Form {
    Q_OBJECT
public:
    explicit TForm4(QWidget* owner = nullptr);

    // Opens the editor on a new user.
    void Button1Click();
    // Open the editor on the current row's user; an empty list raises the Null-to-Integer
    // conversion error and opens nothing.
    void Button2Click();
    void DBGrid1DblClick();
    // Re-queries ADOQuery2.
    void Button3Click();
    // Closes (hides) the window.
    void BitBtn1Click();

    QLabel* Label1;
    DBGrid* DBGrid1;
    QPushButton* Button1;
    QPushButton* Button3;
    QPushButton* Button2;
    QLabel* Label2;
    QPushButton* BitBtn1;

private:
    void buildLayout();
    void connectCommands();
    void openEditor(int code);
};

// The start-up instance.
extern TForm4* Form4;

} // namespace corvalen
