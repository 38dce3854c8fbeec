#pragma once
// The consultation window: one new row of Consultas for one patient, stamped with the date,
// the time and the current user, holding the anamnesis and the prescription.

#include "db/widgets/form.h"

namespace corvalen {

class TForm11 : public Form {
    Q_OBJECT
public:
    // The start-up instance: the layout only, never shown.
    explicit TForm11(QWidget* owner = nullptr);
    // A consultation for the patient: inserts the new row and fills the window, without showing
    // it. The caller shows it modally and destroys it afterwards.
    TForm11(QWidget* owner, int patientCode);
};

// The start-up instance.
extern TForm11* Form11;

} // namespace corvalen
