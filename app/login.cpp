#include "app/login.h"

namespace corvalen {

TForm3* Form3 = nullptr;

TForm3::TForm3(QWidget* owner) : Form(owner) {
    setObjectName("Form3");
    setupForm(QStringLiteral("Corvalen - ACESSO AO SISTEMA"), 437, 289);
}

} // namespace corvalen
