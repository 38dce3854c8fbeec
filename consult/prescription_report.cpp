#include "consult/prescription_report.h"

#include "db/dm2.h"
#include "db/session.h"
#include "platform/picture.h"
#include "platform/textfile.h"

namespace corvalen {

using namespace reports;

TForm18* Form18 = nullptr;

TForm18::TForm18(QObject* owner, db::Dataset* consultation) : ReportForm(owner) {
    setObjectName("Form18");
    db::Dataset* clinic = Dm2 ? Dm2->ADOClinica : nullptr;
    db::Dataset* printed = consultation ? consultation : Dm2 ? Dm2->ADORelatConsulta : nullptr;

    ReportDefinition& r = QuickRep1;
    r.name = QStringLiteral("Receituário");
    const double width = 189.97;
    // The clinic's name wraps before it reaches the logo.
    const double nameWidth = 154.52 - 6.35;
    // clang-format off
    r.bands = {
        band(BandKind::PageHeader, 38.89, {
            named(picture(154.52, 4.23, 34.13, 32.01), QStringLiteral("QRImage1")),
            named(wrappedAt(dataText(6.35, 8.47, clinic, QStringLiteral("nome"), bookman(26, bold)),
                            nameWidth), QStringLiteral("QRDBText3")),
        }, width),
        band(BandKind::Title, 12.70, {
            named(label(76.20, 2.91, QStringLiteral("Receituário"), arial(18, bold)),
                  QStringLiteral("QRLabel3")),
        }, width),
        band(BandKind::ColumnHeader, 10.58, {}, width),
        band(BandKind::Detail, 30.43, {
            named(label(6.35, 6.61, QStringLiteral("Paciente:"), bookman(12)),
                  QStringLiteral("QRLabel2")),
            named(dataText(27.25, 6.61, printed, QStringLiteral("nome"), bookman(12, bold)),
                  QStringLiteral("QRDBText1")),
            // Grows the band down to the whole prescription.
            named(stretching(dataText(6.35, 17.99, printed, QStringLiteral("prontuario"),
                                      bookman(12))), QStringLiteral("QRDBText2")),
        }, width),
        band(BandKind::SubDetail, 10.58, {}, width),
        band(BandKind::PageFooter, 18.26, {
            named(label(9.79, 0.26, QString(91, QLatin1Char('_'))), QStringLiteral("QRLabel4")),
            named(dataText( 24.61,  6.35, clinic, QStringLiteral("nome")),        QStringLiteral("QRDBText9")),
            named(dataText( 78.85,  6.35, clinic, QStringLiteral("endereco")),    QStringLiteral("QRDBText10")),
            named(dataText(135.47,  6.35, clinic, QStringLiteral("complemento")), QStringLiteral("QRDBText4")),
            named(dataText( 56.09, 10.32, clinic, QStringLiteral("telefone")),    QStringLiteral("QRDBText11")),
            named(dataText(102.92, 10.32, clinic, QStringLiteral("cidade")),      QStringLiteral("QRDBText12")),
            named(label(   48.68, 10.58, QStringLiteral("Tel:")),                 QStringLiteral("QRLabel1")),
        }, width),
    };
    // clang-format on
}

void TForm18::setLogo(const QImage& logo) {
    QuickRep1.printable(QStringLiteral("QRImage1"))->picture = logo;
}

void printPrescription(QObject* owner, const QString& number) {
    db::Dataset* consultation = Dm2->ADORelatConsulta;
    consultation->close();
    consultation->setSql({QStringLiteral("SELECT numero, prontuario, cod_pac, inscricao, nome"),
                          QStringLiteral("FROM Consultas, Pacientes"),
                          QStringLiteral("WHERE numero = :aconsulta and cod_pac=inscricao;")});
    consultation->setParameter(QStringLiteral("aconsulta"), number);
    consultation->open();

    const QPointer<TForm18> report = new TForm18(owner);
    const auto dispose = qScopeGuard([&report] { delete report.data(); });
    // Read afresh for every printout, so a logo changed in the clinic window shows at once.
    const QString logoPath =
        platform::readFirstLine(session().sharedFile(QStringLiteral("logo.cfg")));
    report->setLogo(platform::loadPicture(logoPath));
    report->preview();
}

} // namespace corvalen
