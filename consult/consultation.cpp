#include "consult/consultation.h"

namespace corvalen {

TForm11* Form11 = nullptr;

TForm11::TForm11(QWidget* owner) : Form(owner) {
    setObjectName("Form11");
    setupForm(QStringLiteral("Consultas"), 600, 400);
}

} // namespace corvalen
