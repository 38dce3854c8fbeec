#include "consult/prescription_report.h"

namespace corvalen {

TForm18* Form18 = nullptr;

TForm18::TForm18(QWidget* owner) : Form(owner) {
    setObjectName("Form18");
    setupForm(QStringLiteral("Receituário"), 600, 400);
}

} // namespace corvalen
