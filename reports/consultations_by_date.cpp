#include "reports/consultations_by_date.h"

namespace corvalen {

TForm23* Form23 = nullptr;

TForm23::TForm23(QWidget* owner) : Form(owner) {
    setObjectName("Form23");
    setupForm(QStringLiteral("Consultas por Data"), 600, 400);
}

} // namespace corvalen
