#pragma once
// The patient selection for a new consultation: every patient, in the order the database
// returns them, narrowed as the user types into the search box; a double-click starts a new
// consultation for that patient in a modal consultation window. A start-up instance, shown
// modeless and hidden on close; the list and the search text stay as they are behind the
// consultation window and from one showing to the next.

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

class TForm10 : public Form {
    Q_OBJECT
public:
    explicit TForm10(QWidget* owner = nullptr);

    // "select inscricao, nome, tel, plano from Pacientes", filtered by the search box.
    db::Dataset* ADODataSet1;
    db::DataSource* DataSource1;

    QLabel* Label1;
    DBGrid* DBGrid1;
    QLabel* Label2;
    QLineEdit* Edit1;
    QPushButton* BitBtn1;
    QPushButton* Button1;

    // Edit1Change, ADODataSet1FilterRecord and DBGrid1DrawColumnCell.
    IncrementalSearch* search;

    // Closes and reopens the list; the filter stays as the search box says.
    void FormShow() override;
    // "Atualizar listagem": closes and reopens the list.
    void BitBtn1Click();
    // "Cancelar": hides the window.
    void Button1Click();
    // Creates the consultation window for the current row's patient, shows it modally and
    // destroys it when it closes.
    void DBGrid1DblClick();

private:
    void buildLayout();
    void bindData();
    void connectCommands();
    void reopen();
};

// The start-up instance.
extern TForm10* Form10;

} // namespace corvalen
