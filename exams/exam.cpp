#include "exams/exam.h"

namespace corvalen {

TForm14* Form14 = nullptr;

TForm14::TForm14(QWidget* owner) : Form(owner) {
    setObjectName("Form14");
    setupForm(QStringLiteral("Exames"), 1018, 740, Border::FixedWithMinimize);
}

TForm14::TForm14(QWidget* owner, int consultationNumber, int examCode) : TForm14(owner) {
    consultationNumber_ = consultationNumber;
    examCode_ = examCode;
}

} // namespace corvalen
