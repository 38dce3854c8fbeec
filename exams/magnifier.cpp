#include "exams/magnifier.h"

namespace corvalen {

TForm15* Form15 = nullptr;

TForm15::TForm15(QWidget* owner) : Form(owner) {
    setObjectName("Form15");
    setupForm(QStringLiteral("Zoom"), 600, 400);
}

} // namespace corvalen
