#include "reports/patients_report.h"

#include "db/dataset.h"

namespace corvalen {

using namespace reports;

TForm17* Form17 = nullptr;

TForm17::TForm17(QObject* owner) : ReportForm(owner) {
    setObjectName("Form17");
    ADODataSet1 = new db::Dataset(QStringLiteral("ADODataSet1"), this);
    ADODataSet1->setSql(
        {QStringLiteral("select * from Pacientes"), QStringLiteral("order by nome")});

    ReportDefinition& r = QuickRep1;
    r.name = QStringLiteral("Relatório de Pacientes");
    r.dataset = ADODataSet1;
    db::Dataset* data = ADODataSet1;
    // clang-format off
    r.bands = {
        band(BandKind::PageHeader, 10.58, {
            label(52.92, 2.91, QStringLiteral("Relatório de Pacientes Cadastrados"), arial(14, bold)),
        }),
        band(BandKind::ColumnHeader, 10.58, {
            label(  4.23, 4.50, QStringLiteral("Código"),           arial(10, bold)),
            label( 29.63, 4.50, QStringLiteral("Nome do Paciente"), arial(10, bold)),
            label(116.42, 4.50, QStringLiteral("Telefone"),         arial(10, bold)),
        }),
        band(BandKind::Detail, 11.38, {
            dataText(  4.23, 4.50, data, QStringLiteral("inscricao")),
            dataText( 29.63, 4.50, data, QStringLiteral("nome")),
            dataText(116.42, 5.29, data, QStringLiteral("tel")),
        }),
        band(BandKind::PageFooter, 10.58, {
            alignedToBand(systemData(0.00, 3.70, SystemDataKind::Date)),
            systemData(173.57, 4.23, SystemDataKind::PageNumber),
        }),
    };
    // clang-format on
}

void TForm17::openData() {
    ADODataSet1->open();
}

} // namespace corvalen
