#pragma once
// The login window: asks for a login name and a password, checks them against Usuarios, sets
// the current user and enables the main window's commands that the user's level allows. It
// ends only through a successful login: it has no close box, no cancel, and refuses to be
// closed from its frame, the window manager or Esc.
//
// Creating one (FormCreate) logs the program off: the governed commands of Form1 are disabled,
// the status text asks for a login, and the Alt+F4 block is installed.

#include "db/widgets/form.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace corvalen {

class TForm3 : public Form {
    Q_OBJECT
public:
    explicit TForm3(QWidget* owner = nullptr);

    void FormCreate();
    // Checks the typed name and password; on success sets the current user, enables the
    // commands of the user's level and closes the window. Errors escape to the caller.
    void Fazlogin();
    void BitBtn1Click();

    QLabel* Image1;
    QLabel* Label1;
    QLineEdit* Edit1;
    QLabel* Label2;
    QLineEdit* MaskEdit1;
    QPushButton* BitBtn1;

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    bool loggedIn_ = false;
};

extern TForm3* Form3;

} // namespace corvalen
