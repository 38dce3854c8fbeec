#pragma once
// The patient list report: every patient by name, code and telephone, the title on every page.

#include "reports/report_form.h"

namespace corvalen {

namespace db {
class Dataset;
}

class TForm17 : public reports::ReportForm {
    Q_OBJECT
public:
    explicit TForm17(QObject* owner = nullptr);

    db::Dataset* ADODataSet1; // its own query: every patient, by name

    void openData() override;
};

// The start-up instance, never printed.
extern TForm17* Form17;

} // namespace corvalen
