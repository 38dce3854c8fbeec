#pragma once
// The records browser: the saved consultations of the current patient, read-only, one at a
// time, with the professional who attended and the exams attached to each. The start-up
// instance is shown modeless and hidden on close; it loads its content each time it becomes
// visible, and a request to show it while visible only brings it to the front.
//
// Its caller sets the current patient and makes sure the patient has consultations.

#include "db/widgets/form.h"

#include <QVariantMap>
#include <memory>

class QLineEdit;
class QPushButton;

namespace corvalen {

namespace db {
class Dataset;
}
class DBEdit;
class DBGrid;
class DBMemo;
class DBNavigator;

class TForm13 : public Form {
    Q_OBJECT
public:
    explicit TForm13(QWidget* owner = nullptr);

    // Runs `statement`, with `values` bound to its ":name" parameters, on a new query over the
    // shared connection and hands it back open; on failure shows "Erro durante a execução da
    // pesquisa: " + the failure's text and hands back none.
    std::unique_ptr<db::Dataset> PesquisaSQL(const QString& statement,
                                             const QVariantMap& values = {});
    // Clears `edit` and fills it from the first column of the statement's rows (the last row
    // wins). A failure while reading shows "Erro durante a captura das databases do SQL Server.
    // Erro: " + its text.
    void CarregaEdit(QLineEdit* edit, const QString& statement, const QVariantMap& values = {});

    DBEdit* DBEdit1; // Numero
    DBEdit* DBEdit4; // Data
    DBEdit* DBEdit5; // Hora
    QPushButton* Button1;
    DBEdit* DBEdit2; // Cod_pac
    QLineEdit* NomeMedico;
    QLineEdit* Edit1;
    DBNavigator* DBNavigator1;
    DBEdit* DBEdit3; // Cod_med, hidden
    DBMemo* DBMemo1; // Prontuario
    DBMemo* DBMemo2; // Anamnese
    DBGrid* DBGridAbrePronts;

    void setVisible(bool visible) override;

protected:
    void FormShow() override;

private:
    void buildLayout();
    void connectCommands();

    void DBNavigator1Click();
    void DBGridAbreProntsDblClick();
    // The professional's name and the exams list of the current consultation.
    void loadCurrentConsultation();
};

// The start-up instance.
extern TForm13* Form13;

} // namespace corvalen
