#pragma once
// The list of exams attached to one consultation, shared by the consultation window and the
// records browser: loading it, and opening the listed exam in the exam window.

#include <QString>

class QWidget;

namespace corvalen {

namespace db {
class Dataset;
}
class DBGrid;

// Closes `exams`, gives it the statement of the exams whose cod_pront is `consultation` and
// whose cod_paciente is `patient` (both as bound values) and opens it.
void loadExamList(db::Dataset* exams, const QString& consultation, const QString& patient);

// Opens the exam in the current row of `grid` (its second column, `cod`) in the exam window for
// the consultation numbered `consultationNumber`, owned by `owner`, modally. Any failure (no
// second column before the list is loaded, an empty list, a number that does not convert, the
// exam window failing to open) is shown as "Nenhum para selecionar. Erro: " + its text.
void openListedExam(QWidget* owner, DBGrid* grid, const QString& consultationNumber);

} // namespace corvalen
