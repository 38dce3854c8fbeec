#include "exams/exam.h"

namespace corvalen {

TForm14* Form14 = nullptr;

TForm14::TForm14(QWidget* owner) : Form(owner) {
    setObjectName("Form14");
    setupForm(QStringLiteral("Exames"), 600, 400);
}

} // namespace corvalen
