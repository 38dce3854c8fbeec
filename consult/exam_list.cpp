#include "consult/exam_list.h"

#include "db/dataset.h"
#include "db/widgets/dbgrid.h"
#include "exams/exam.h"
#include "platform/error.h"
#include "platform/messages.h"

#include <memory>

namespace corvalen {

void loadExamList(db::Dataset* exams, const QString& consultation, const QString& patient) {
    exams->close();
    exams->setSql({QStringLiteral("Select nome, cod, cod_pront, cod_paciente from Exames"),
                   QStringLiteral("where cod_pront = :pront and cod_paciente = :pac ")});
    exams->setParameter(QStringLiteral("pront"), consultation);
    exams->setParameter(QStringLiteral("pac"), patient);
    exams->open();
}

void openListedExam(QWidget* owner, DBGrid* grid, const QString& consultationNumber) {
    try {
        const int examCode = toInteger(grid->columnField(1).asString());
        const int number = toInteger(consultationNumber);
        std::unique_ptr<TForm14> exam(new TForm14(owner, number, examCode));
        exam->exec();
    } catch (const Error& e) {
        messages::showMessage(QStringLiteral("Nenhum para selecionar. Erro: ") + e.message());
    } catch (const std::exception& e) {
        messages::showMessage(QStringLiteral("Nenhum para selecionar. Erro: ") +
                              QString::fromUtf8(e.what()));
    }
}

} // namespace corvalen
