#include "consult/records_browser.h"

namespace corvalen {

TForm13* Form13 = nullptr;

TForm13::TForm13(QWidget* owner) : Form(owner) {
    setObjectName("Form13");
    setupForm(QStringLiteral("Prontuários"), 600, 400);
}

} // namespace corvalen
