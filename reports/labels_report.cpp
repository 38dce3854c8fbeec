#include "reports/labels_report.h"

#include "db/dataset.h"

namespace corvalen {

using namespace reports;

TForm19* Form19 = nullptr;

TForm19::TForm19(QObject* owner) : ReportForm(owner) {
    setObjectName("Form19");
    ADODataSet1 = new db::Dataset(QStringLiteral("ADODataSet1"), this);
    ADODataSet1->setSql({QStringLiteral("select * from Pacientes order by nome")});

    ReportDefinition& r = QuickRep1;
    r.name = QStringLiteral("Mala Direta");
    r.dataset = ADODataSet1;
    r.columns = 2;
    r.columnSpacing = 10;
    db::Dataset* data = ADODataSet1;
    // One label of 89.96 x 38.10 mm per patient: seven in each column, fourteen a page.
    // clang-format off
    r.bands = {
        band(BandKind::Title, 5.03),
        band(BandKind::ColumnHeader, 0, {}, 89.96),
        band(BandKind::Detail, 38.10, {
            dataText(6.88,  3.70, data, QStringLiteral("nome"),   arial(10, bold)),
            dataText(6.88,  9.79, data, QStringLiteral("rua"),    arial(10, bold)),
            dataText(6.88, 15.88, data, QStringLiteral("bairro"), arial(10, bold)),
            dataText(6.88, 21.96, data, QStringLiteral("cep"),    arial(10, bold)),
            dataText(6.88, 28.05, data, QStringLiteral("cidade"), arial(10, bold)),
        }, 89.96),
        band(BandKind::PageFooter, 5.03),
    };
    // clang-format on
}

void TForm19::openData() {
    ADODataSet1->open();
}

} // namespace corvalen
