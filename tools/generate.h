#pragma once
// Synthetic clinics: fills a prepared data folder with made-up but plausible Brazilian data
// (users and professionals, patients, ten years of consultations with their anamnesis and
// prescription texts, exam rows), always the same for the same scale. Used by the
// corvalen-generate tool, the demo data folder and the benchmarks.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace corvalen::generator {

enum class Scale { Demo, Clinic10y, Stress };

struct Size {
    int professionals = 0; // users who hold consultations
    int patients = 0;
    int consultations = 0;
    int exams = 0;
    bool examFiles = false; // whether the exam copies are written into ex/
};

// "demo", "clinic10y", "stress".
std::optional<Scale> parseScale(const QString& name);
QString scaleName(Scale scale);
Size sizeOf(Scale scale);

struct Summary {
    Size size;
    QStringList logins; // the users added, in order
    QString password;   // the password every added user has
    int lastExam = 0;   // the number now in cont.cfg
};

// Called now and then with a short Portuguese progress text.
using Progress = std::function<void(const QString&)>;

// Fills dataFolder (prepared: med.mdb, cont.cfg and ex/ present) in one transaction: adds the
// professionals and a receptionist to Usuarios, fills the Clinica row, adds the patients,
// consultations and exams, writes the exam copies when the scale has them, and rewrites
// cont.cfg with the last exam number. Raises an Error, changing nothing, when the folder is
// not prepared, is not a database, or already holds patients, consultations or exams.
Summary fillDataFolder(Scale scale, const QString& dataFolder, const Progress& progress = {});

} // namespace corvalen::generator
