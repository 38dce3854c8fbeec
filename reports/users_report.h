#pragma once
// The user list report, from the shared dataset ADORelatUsers as it was read at start-up.

#include "reports/report_form.h"

namespace corvalen {

class TForm20 : public reports::ReportForm {
    Q_OBJECT
public:
    explicit TForm20(QObject* owner = nullptr);
};

// The start-up instance, never printed.
extern TForm20* Form20;

} // namespace corvalen
