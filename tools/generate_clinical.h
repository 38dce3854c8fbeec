#pragma once
// Made-up clinical texts for the synthetic clinics: the anamnesis and the prescription of a
// consultation (300 to 1,500 characters each, one coherent case per consultation, lines
// ending in CR LF as the program's memos write them, prescription headings as the
// consultation window's "Uso INTERNO" and "Uso EXTERNO" buttons insert them), and the exams
// attached to consultations.

#include "tools/generate_random.h"

#include <string>

namespace corvalen::generator {

constexpr int minTextLength = 300;
constexpr int maxTextLength = 1500;

// Characters (code points) of a UTF-8 text, as the database's length() counts them.
int characterCount(const std::string& utf8);

struct Visit {
    bool female = false;
    int age = 0; // whole years on the day of the consultation
};

struct ConsultationText {
    std::string anamnese;
    std::string prontuario;
};

// Writes both texts of one consultation into out (its buffers are reused).
void writeConsultation(Rng& rng, const Visit& visit, ConsultationText& out);

enum class ExamKind { XRay, Electrocardiogram, Ultrasound, Report };

struct Exam {
    const char* nome;
    const char* extension; // ".jpg" for pictures, ".pdf" for reports
    ExamKind kind;
    std::string descricao;
};

Exam makeExam(Rng& rng);

} // namespace corvalen::generator
