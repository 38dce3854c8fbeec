#include "reports/consultations_choice.h"

namespace corvalen {

TForm21* Form21 = nullptr;

TForm21::TForm21(QWidget* owner) : Form(owner) {
    setObjectName("Form21");
    setupForm(QStringLiteral("Relatório de Consultas"), 600, 400);
}

} // namespace corvalen
