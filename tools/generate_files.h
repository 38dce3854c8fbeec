#pragma once
// The exam copies of the demo clinic: small pictures (an X-ray, an electrocardiogram strip,
// an ultrasound) drawn as JPEG and a laboratory report written as PDF. Needs a
// QGuiApplication (fonts).

#include "tools/generate_clinical.h"

#include <QByteArray>
#include <QString>

namespace corvalen::generator {

struct ExamSheet {
    ExamKind kind;
    QString title;   // the exam's name
    QString patient; // the patient's name
    QString day;     // "dd/mm/yyyy"
    QString result;  // the findings, for the written report
};

// The bytes of the file: JPEG for the pictures, PDF for ExamKind::Report. The same sheet
// always gives the same bytes.
QByteArray drawExam(const ExamSheet& sheet);

} // namespace corvalen::generator
