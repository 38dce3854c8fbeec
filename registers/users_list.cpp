#include "registers/users_list.h"

namespace corvalen {

TForm4* Form4 = nullptr;

TForm4::TForm4(QWidget* owner) : Form(owner) {
    setObjectName("Form4");
    setupForm(QStringLiteral("Usuários"), 600, 400);
}

} // namespace corvalen
