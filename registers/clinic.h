#pragma once
// The clinic window: the clinic's own data (the current row of the shared ADOClinica, through
// DataSource13) and its logo, a picture anywhere on disk whose path logo.cfg in the data
// folder holds. Each showing reloads the logo from logo.cfg; "&Salvar" posts the clinic row and
// then rewrites logo.cfg with the path box's text, so the path alone is saved only together
// with a pending clinic row (the logo button starts one).

#include "db/widgets/form.h"
#include "platform/pickers.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace corvalen {

class DBEdit;
class DBNavigator;

class TForm16 : public Form {
    Q_OBJECT
public:
    explicit TForm16(QWidget* owner = nullptr);

    // The logo button: puts the clinic row into edit state, then lets the user pick a picture.
    void BitBtn3Click();
    // "&Salvar": posts the clinic row, then rewrites logo.cfg.
    void BitBtn1Click();
    // "&Fechar": hides the window.
    void BitBtn2Click();

    QLabel* Label10;
    QLabel* Label1;
    DBEdit* DBEdit2;
    QLabel* Label2;
    DBEdit* DBEdit9;
    QLabel* Label3;
    DBEdit* DBEdit5;
    QLabel* Label4;
    DBEdit* DBEdit7;
    QLabel* Label5;
    DBEdit* DBEdit8;
    QLabel* Label6;
    DBEdit* DBEdit4;
    QLabel* Label7;
    DBEdit* DBEdit3;
    QLabel* Label8;
    DBEdit* DBEdit6;
    QLabel* Label11;
    QLabel* Image1;
    QToolButton* BitBtn3;
    QLineEdit* Edit1;
    DBNavigator* DBNavigator1;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    platform::OpenDialog OpenPictureDialog1{platform::PickerKind::Picture};

protected:
    // Reads logo.cfg's first line, loads that picture and shows its path. A missing file or a
    // picture that cannot be loaded is reported and leaves the picture and the path as they were.
    void FormShow() override;
    // A logo chosen for the pending clinic row and not saved counts as a change too.
    bool hasUnsavedChanges() override;

private:
    void buildLayout();
    void connectCommands();
    void loadLogo(const QString& path);

    QString shownLogoPath_; // the path box as last read from or written to logo.cfg
};

// The start-up instance.
extern TForm16* Form16;

} // namespace corvalen
