#include "reports/patients_report.h"

namespace corvalen {

TForm17* Form17 = nullptr;

TForm17::TForm17(QWidget* owner) : Form(owner) {
    setObjectName("Form17");
    setupForm(QStringLiteral("Relatório de Pacientes"), 600, 400);
}

} // namespace corvalen
