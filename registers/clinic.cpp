#include "registers/clinic.h"

namespace corvalen {

TForm16* Form16 = nullptr;

TForm16::TForm16(QWidget* owner) : Form(owner) {
    setObjectName("Form16");
    setupForm(QStringLiteral("Clínica"), 600, 400);
}

} // namespace corvalen
