#include "consult/consultation.h"

namespace corvalen {

TForm11* Form11 = nullptr;

TForm11::TForm11(QWidget* owner) : Form(owner) {
    setObjectName("Form11");
    setupForm(QStringLiteral("Consultas"), 809, 553, Border::Sizeable);
}

TForm11::TForm11(QWidget* owner, int patientCode) : TForm11(owner) {
    Q_UNUSED(patientCode);
}

} // namespace corvalen
