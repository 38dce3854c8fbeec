#include "registers/patient_list.h"

namespace corvalen {

TForm8* Form8 = nullptr;

TForm8::TForm8(QWidget* owner) : Form(owner) {
    setObjectName("Form8");
    setupForm(QStringLiteral("Pacientes"), 600, 400);
}

} // namespace corvalen
