#include "app/about.h"

namespace corvalen {

TForm24* Form24 = nullptr;

TForm24::TForm24(QWidget* owner) : Form(owner) {
    setObjectName("Form24");
    setupForm(QStringLiteral("Sobre"), 411, 183);
}

} // namespace corvalen
