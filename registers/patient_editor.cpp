#include "registers/patient_editor.h"

namespace corvalen {

TForm9* Form9 = nullptr;

TForm9::TForm9(QWidget* owner) : Form(owner) {
    setObjectName("Form9");
    setupForm(QStringLiteral("Pacientes"), 600, 400);
}

} // namespace corvalen
