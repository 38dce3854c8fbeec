#include "reports/consultations_by_professional.h"

#include "db/dm2.h"

namespace corvalen {

using namespace reports;

TForm22* Form22 = nullptr;

TForm22::TForm22(QObject* owner) : ReportForm(owner) {
    setObjectName("Form22");
    ReportDefinition& r = QuickRep1;
    r.name = QStringLiteral("Consultas por Profissional");
    db::Dataset* data = Dm2 ? Dm2->ADORelatCProf : nullptr;
    r.dataset = data;
    // clang-format off
    r.bands = {
        band(BandKind::PageHeader, 10.58),
        band(BandKind::Title, 10.58, {
            label(31.75, 2.91, QStringLiteral("Relatório de Consultas Realizadas - Por profissional"),
                  arial(14, bold)),
        }),
        band(BandKind::ColumnHeader, 10.58),
        band(BandKind::Detail, 24.08, {
            label(         4.23,  4.23, QStringLiteral("Data:")),
            dataText(     14.29,  4.23, data, QStringLiteral("Data")),
            label(        44.71,  4.23, QStringLiteral("Hora:")),
            masked(dataText(54.77, 4.23, data, QStringLiteral("Hora")), QStringLiteral("hh:nn")),
            label(        99.48,  4.23, QStringLiteral("Profissional:")),
            dataText(    126.47,  4.23, data, QStringLiteral("medico")),
            label(         4.23, 14.82, QStringLiteral("Paciente:")),
            dataText(     20.64, 14.82, data, QStringLiteral("nome")),
        }),
        band(BandKind::Summary, 10.58, {
            label(4.23, 4.50, QStringLiteral("Total de atendimentos:"), arial(10, bold)),
            systemData(50.80, 4.50, SystemDataKind::DetailCount, arial(10, bold)),
        }),
        band(BandKind::PageFooter, 10.58, {
            systemData(  4.23, 4.23, SystemDataKind::Date),
            systemData(173.57, 4.23, SystemDataKind::PageNumber),
        }),
    };
    // clang-format on
}

} // namespace corvalen
