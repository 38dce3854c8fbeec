#pragma once
// The consultations between two dates (ADORelatData, queried by the consultation report window),
// with their total.

#include "reports/report_form.h"

namespace corvalen {

class TForm23 : public reports::ReportForm {
    Q_OBJECT
public:
    explicit TForm23(QObject* owner = nullptr);
};

// The start-up instance, never printed.
extern TForm23* Form23;

} // namespace corvalen
