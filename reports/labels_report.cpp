#include "reports/labels_report.h"

namespace corvalen {

TForm19* Form19 = nullptr;

TForm19::TForm19(QWidget* owner) : Form(owner) {
    setObjectName("Form19");
    setupForm(QStringLiteral("Mala Direta"), 600, 400);
}

} // namespace corvalen
