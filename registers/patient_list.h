#pragma once
// The patient list: every patient by name, narrowed as the user types into the search box,
// from which the patient editor opens for a new patient or for the double-clicked row. A
// start-up instance, shown modeless and hidden on close, so its search text and its filtered
// list last from one showing to the next.

#include "db/widgets/form.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace corvalen {

namespace db {
class DataSource;
class Dataset;
} // namespace db
class DBGrid;
class IncrementalSearch;

class TForm8 : public Form {
    Q_OBJECT
public:
    explicit TForm8(QWidget* owner = nullptr);

    // "select inscricao, nome, tel, plano from Pacientes" / " order by nome", filtered by the
    // search box.
    db::Dataset* ADODataSet1;
    db::DataSource* DataSource1;

    QLabel* Label2;
    DBGrid* DBGrid1;
    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* BitBtn1;
    QPushButton* Button2;
    QPushButton* Button1;

    // Edit1Change, ADODataSet1FilterRecord and DBGrid1DrawColumnCell.
    IncrementalSearch* search;

    // Re-queries ADOQuery4 (opening it first when closed) and the list; the search box keeps
    // its text, so the list comes back filtered.
    void FormShow() override;
    // Opens the patient editor for the current row's code, modally.
    void DBGrid1DblClick();
    // Opens the patient editor for a new patient, modally.
    void BitBtn1Click();
    // "Atualizar": the same re-query as FormShow.
    void Button2Click();
    // "&Fechar": hides the window.
    void Button1Click();

private:
    void buildLayout();
    void bindData();
    void connectCommands();
    void requery();
    void openEditor(int code);
};

// The start-up instance.
extern TForm8* Form8;

} // namespace corvalen
