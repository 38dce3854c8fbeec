#pragma once
// The consultations of one professional (ADORelatCProf, queried by the consultation report window),
// with their total.

#include "reports/report_form.h"

namespace corvalen {

class TForm22 : public reports::ReportForm {
    Q_OBJECT
public:
    explicit TForm22(QObject* owner = nullptr);
};

// The start-up instance, never printed.
extern TForm22* Form22;

} // namespace corvalen
