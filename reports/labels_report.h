#pragma once
// The mailing labels: one label per patient, by name, two columns of seven labels a page.

#include "reports/report_form.h"

namespace corvalen {

namespace db {
class Dataset;
}

class TForm19 : public reports::ReportForm {
    Q_OBJECT
public:
    explicit TForm19(QObject* owner = nullptr);

    db::Dataset* ADODataSet1; // its own query: every patient, by name

    void openData() override;
};

// The start-up instance, never printed.
extern TForm19* Form19;

} // namespace corvalen
