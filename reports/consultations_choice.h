#pragma once
// The consultation report window: the user chooses the report by date range or by
// professional, gives the dates or the professional and presses "Gerar", which queries the
// shared dataset of that report and previews it. The start-up instance is shown modeless;
// closing hides it, and it keeps the user's choices for the rest of the run.

#include "db/widgets/form.h"

class QDateEdit;
class QLabel;
class QPushButton;

namespace corvalen {

class DBLookupComboBox;
class DBRadioGroup;

class TForm21 : public Form {
    Q_OBJECT
public:
    explicit TForm21(QWidget* owner = nullptr);

    DBRadioGroup* RadioGroup1; // "Por Data", "Por Profissional"; none chosen at first
    QLabel* Label1;
    DBLookupComboBox* BuscaProf; // the professionals ADOEditUsuarios holds at that moment
    QLabel* Label2;
    QDateEdit* Data1;
    QLabel* Label3;
    QDateEdit* Data2;
    QPushButton* Button1; // "Fechar"
    QPushButton* Button2; // "Gerar"

    void RadioGroup1Click();
    void Button1Click();
    void Button2Click();

    // The queries of "Gerar": the report's shared dataset re-queried with the window's dates
    // (false, after the warning, when the first is later than the second) or professional.
    bool queryByDate();
    void queryByProfessional();

private:
    void buildLayout();
};

// The start-up instance.
extern TForm21* Form21;

} // namespace corvalen
