#pragma once
// The prescription printout: one consultation's prescription on the clinic's letterhead (logo,
// name, address and telephone), under the title "Receituário" and the patient's name. The
// report has no dataset of its own: its detail band prints once, and its texts read the
// current rows of the clinic's dataset and of the consultation's.

#include "reports/report_form.h"

namespace corvalen {

namespace db {
class Dataset;
}

class TForm18 : public reports::ReportForm {
    Q_OBJECT
public:
    // `consultation` holds the printed row (numero, prontuario, cod_pac, inscricao, nome); by
    // default the shared ADORelatConsulta. The letterhead is ADOClinica's current row.
    explicit TForm18(QObject* owner = nullptr, db::Dataset* consultation = nullptr);

    // The logo, stretched into its rectangle at the right of the page header.
    void setLogo(const QImage& logo);
};

// The start-up instance, never printed.
extern TForm18* Form18;

// The print button of the consultation window: re-queries ADORelatConsulta for the
// consultation `number` (the number box's text), makes a report owned by `owner`, loads the
// logo that logo.cfg names and previews the report until its window closes. A missing
// logo.cfg ("File not found") or a logo that does not load stops it with the error, before
// any preview.
void printPrescription(QObject* owner, const QString& number);

} // namespace corvalen
