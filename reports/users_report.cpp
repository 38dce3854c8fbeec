#include "reports/users_report.h"

#include "db/dm2.h"

namespace corvalen {

using namespace reports;

TForm20* Form20 = nullptr;

TForm20::TForm20(QObject* owner) : ReportForm(owner) {
    setObjectName("Form20");
    ReportDefinition& r = QuickRep1;
    r.name = QStringLiteral("Relação de Usuários");
    // Read once at start-up and never again: users added since are not listed.
    db::Dataset* data = Dm2 ? Dm2->ADORelatUsers : nullptr;
    r.dataset = data;
    // clang-format off
    r.bands = {
        band(BandKind::PageHeader, 10.58),
        band(BandKind::Title, 10.58, {
            label(61.38, 1.59, QStringLiteral("Relação de Usuários"), arial(18, bold)),
        }),
        band(BandKind::ColumnHeader, 10.58, {
            label(  4.23, 4.50, QStringLiteral("Cód.")),
            label( 19.05, 4.50, QStringLiteral("Nome")),
            label( 78.32, 4.50, QStringLiteral("Login")),
            label(110.86, 4.50, QStringLiteral("Telefone")),
            label(148.17, 4.50, QStringLiteral("Email")),
        }),
        band(BandKind::Detail, 10.58, {
            dataText(  4.23, 4.23, data, QStringLiteral("cod")),
            dataText( 19.05, 4.23, data, QStringLiteral("medico")),
            dataText( 78.32, 4.23, data, QStringLiteral("nome")),
            dataText(110.86, 4.23, data, QStringLiteral("telefone")),
            dataText(148.17, 4.23, data, QStringLiteral("email")),
        }),
    };
    // clang-format on
}

} // namespace corvalen
