#include "reports/consultations_by_professional.h"

namespace corvalen {

TForm22* Form22 = nullptr;

TForm22::TForm22(QWidget* owner) : Form(owner) {
    setObjectName("Form22");
    setupForm(QStringLiteral("Consultas por Profissional"), 600, 400);
}

} // namespace corvalen
