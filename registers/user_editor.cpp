#include "registers/user_editor.h"

namespace corvalen {

TForm5* Form5 = nullptr;

TForm5::TForm5(QWidget* owner) : Form(owner) {
    setObjectName("Form5");
    setupForm(QStringLiteral("Edição de Usuários"), 600, 400);
}

} // namespace corvalen
