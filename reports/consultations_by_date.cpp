#include "reports/consultations_by_date.h"

#include "db/dm2.h"

namespace corvalen {

using namespace reports;

TForm23* Form23 = nullptr;

TForm23::TForm23(QObject* owner) : ReportForm(owner) {
    setObjectName("Form23");
    ReportDefinition& r = QuickRep1;
    r.name = QStringLiteral("Consultas por Data");
    db::Dataset* data = Dm2 ? Dm2->ADORelatData : nullptr;
    r.dataset = data;
    // clang-format off
    r.bands = {
        band(BandKind::PageHeader, 10.58),
        band(BandKind::Title, 10.58, {
            label(40.22, 2.91, QStringLiteral("Relatório de Consultas Realizadas - Por data"),
                  arial(14, bold)),
        }),
        band(BandKind::ColumnHeader, 10.58),
        band(BandKind::Detail, 31.75, {
            label(        10.58,  6.35, QStringLiteral("Data:"), arial(10, bold)),
            dataText(     20.64,  6.35, data, QStringLiteral("Data"), arial(10, bold)),
            label(        93.13,  6.35, QStringLiteral("Profissional:")),
            dataText(    113.77,  6.35, data, QStringLiteral("medico")),
            label(        10.58, 19.05, QStringLiteral("Hora:")),
            masked(dataText(20.64, 19.05, data, QStringLiteral("Hora")), QStringLiteral("hh:nn")),
            label(        93.13, 21.17, QStringLiteral("Paciente:")),
            dataText(    109.54, 21.17, data, QStringLiteral("nome")),
        }),
        band(BandKind::Summary, 10.58, {
            label(10.58, 4.50, QStringLiteral("Total de atendimentos:"), arial(10, bold)),
            systemData(52.92, 4.50, SystemDataKind::DetailCount, arial(10, bold)),
        }),
        band(BandKind::PageFooter, 10.58, {
            systemData(175.68, 4.23, SystemDataKind::PageNumber),
            systemData(  2.12, 4.23, SystemDataKind::Date),
        }),
    };
    // clang-format on
}

} // namespace corvalen
