#include "reports/users_report.h"

namespace corvalen {

TForm20* Form20 = nullptr;

TForm20::TForm20(QWidget* owner) : Form(owner) {
    setObjectName("Form20");
    setupForm(QStringLiteral("Relatório de Usuários"), 600, 400);
}

} // namespace corvalen
