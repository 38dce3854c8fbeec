#include "consult/patient_selection.h"

namespace corvalen {

TForm10* Form10 = nullptr;

TForm10::TForm10(QWidget* owner) : Form(owner) {
    setObjectName("Form10");
    setupForm(QStringLiteral("Consulta - Seleção de paciente para nova consulta:"), 600, 400);
}

} // namespace corvalen
