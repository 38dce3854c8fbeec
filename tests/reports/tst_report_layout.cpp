// The report layout: every report of the program laid out on a small clinic and compared with
// its reference pages, and the engine's rules where a reference would not show the fault:
// masks, missing fields, bands too tall for a page, texts too long for their line.

#include "consult/prescription_report.h"
#include "db/dataset.h"
#include "db/dm2.h"
#include "db/widgets/dblookupcombobox.h"
#include "db/widgets/dbradiogroup.h"
#include "reports/consultations_choice.h"
#include "reports/labels_report.h"
#include "reports/patients_report.h"
#include "reports/users_report.h"
#include "tests/reports/report_fixture.h"
#include "tests/reports/report_text.h"
#include "tests/support/server.h"

#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace corvalen;
using namespace corvalen::reports;

namespace {

QString numberedLines(int count, const QString& prefix = QStringLiteral("Linha")) {
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << QStringLiteral("%1 %2 da receita").arg(prefix).arg(i);
    return lines.join(QStringLiteral("\r\n"));
}

// Compares `actual` with golden/<name>.txt. With CORVALEN_UPDATE_GOLDEN=1 in the environment
// the reference is rewritten instead (review the difference before committing it).
bool matchesGolden(const QString& name, const QString& actual) {
    const QString path = QStringLiteral(CORVALEN_GOLDEN_DIR "/") + name + QStringLiteral(".txt");
    if (qEnvironmentVariableIntValue("CORVALEN_UPDATE_GOLDEN") == 1) {
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        out.write(actual.toUtf8());
        qWarning("golden file rewritten: %s", qPrintable(path));
        return true;
    }
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        qWarning("missing golden file %s", qPrintable(path));
        return false;
    }
    const QStringList expected = QString::fromUtf8(in.readAll()).split(QLatin1Char('\n'));
    const QStringList got = actual.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < std::max(expected.size(), got.size()); ++i) {
        if (expected.value(i) != got.value(i)) {
            QFile actualFile(QDir::current().filePath(name + QStringLiteral(".actual.txt")));
            if (actualFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
                actualFile.write(actual.toUtf8());
            qWarning(
                "%s line %lld differs:\n  expected: %s\n  actual:   %s\n  (whole output in %s)",
                qPrintable(name), qlonglong(i + 1), qPrintable(expected.value(i)),
                qPrintable(got.value(i)), qPrintable(actualFile.fileName()));
            return false;
        }
    }
    return true;
}

LayoutOptions fixedDay() {
    LayoutOptions options;
    options.today = QDate(2024, 3, 5);
    return options;
}

} // namespace

class TstReportLayout : public QObject {
    Q_OBJECT

    std::unique_ptr<test::ReportClinic> clinicData;

    // Made on first use: the tests of the masks need no clinic.
    test::ReportClinic* clinic() {
        if (!clinicData)
            clinicData = std::make_unique<test::ReportClinic>();
        return clinicData.get();
    }

    // The pages of the one preview that `run` opens.
    LaidReport previewed(const std::function<void()>& run) {
        test::PreviewWatch watch;
        run();
        if (watch.reports.size() != 1)
            qFatal("expected one preview, got %d", int(watch.reports.size()));
        return watch.reports.front();
    }

    LaidReport consultationReport(int item, QDate from, QDate to, const QString& professional) {
        TForm21 window;
        window.show();
        window.RadioGroup1->findChildren<QRadioButton*>().at(item)->click();
        window.Data1->setDate(from);
        window.Data2->setDate(to);
        window.BuscaProf->setKeyValue(professional);
        return previewed([&] { window.Button2->click(); });
    }

    LaidReport laidOut(const QString& name) {
        clinic();
        if (name == "patients")
            return previewed([] { printOnce<TForm17>(nullptr); });
        if (name == "patients_empty") {
            clinic()->folder.exec("delete from Pacientes");
            return previewed([] { printOnce<TForm17>(nullptr); });
        }
        if (name == "labels")
            return previewed([] { printOnce<TForm19>(nullptr); });
        if (name == "users")
            return previewed([] { printOnce<TForm20>(nullptr); });
        if (name == "by_date")
            return consultationReport(0, QDate(2024, 3, 1), QDate(2024, 3, 5), {});
        if (name == "by_date_empty")
            return consultationReport(0, QDate(2023, 1, 1), QDate(2023, 1, 31), {});
        if (name == "by_professional")
            return consultationReport(1, {}, {}, QStringLiteral("2"));
        if (name == "prescription") {
            clinic()->setPrescription(1, "\r\nUso INT:\r\n\r\n Dipirona 500 mg\r\n1 comprimido de "
                                         "6 em 6 horas\r\nUso EXT:\r\n\r\n Pomada");
            return previewed([] { printPrescription(nullptr, QStringLiteral("1")); });
        }
        if (name == "prescription_next_page") {
            clinic()->setPrescription(1, numberedLines(34));
            return previewed([] { printPrescription(nullptr, QStringLiteral("1")); });
        }
        if (name == "prescription_split") {
            clinic()->setPrescription(1, numberedLines(90));
            return previewed([] { printPrescription(nullptr, QStringLiteral("1")); });
        }
        if (name == "prescription_removed_patient")
            return previewed([] { printPrescription(nullptr, QStringLiteral("5")); });
        qFatal("unknown case %s", qPrintable(name));
    }

private slots:
    void cleanup() {
        if (clinicData)
            QVERIFY2(clinicData->recorder.shown().empty(), qPrintable(clinicData->recorder.last()));
        clinicData.reset();
    }

    // Catches any change in where a band or printable lands: the page header on every page
    // and the patient list's title with it; the user list's title on page 1 only; a detail that
    // would reach the footer area moving to the next page; the footer at the same place on
    // every page; no column header on page 1 of an empty report, its detail band printing
    // once with empty texts and a total of 0; the eighth label starting column 2 and the
    // fifteenth page 2; patients in name order ("Álvaro" among the A's); the detail count
    // equal to the record count; the prescription moving whole to page 2 when it fits there
    // (its empty sub-detail starting no blank page), continuing over the pages when taller
    // than one, and printing with an empty name when its patient is gone.
    void pagesMatchTheReferences_data() {
        QTest::addColumn<QString>("name");
        for (const char* name :
             {"patients", "patients_empty", "labels", "users", "by_date", "by_date_empty",
              "by_professional", "prescription", "prescription_next_page", "prescription_split",
              "prescription_removed_patient"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void pagesMatchTheReferences() {
        QFETCH(QString, name);
        QVERIFY(matchesGolden(name, test::reportText(laidOut(name))));
    }

    // Catches a tall prescription cut short, a line printed twice or out of order, a page
    // without its letterhead or footer, and text running into the footer or off the paper.
    void prescriptionOfTwoHundredLinesContinuesOverThePages() {
        const QString text = numberedLines(200);
        clinic()->setPrescription(1, text);
        const LaidReport report =
            previewed([] { printPrescription(nullptr, QStringLiteral("1")); });
        QVERIFY(report.pages.size() >= 5);
        QStringList printed;
        for (const Page& page : report.pages) {
            QCOMPARE(page.bands.front().kind, BandKind::PageHeader);
            QCOMPARE(page.bands.back().kind, BandKind::PageFooter);
            const double footerTop = page.bands.back().rect.top();
            QCOMPARE(footerTop, 297 - 10 - 18.26);
            for (const LaidBand& band : page.bands) {
                if (band.kind != BandKind::Detail)
                    continue;
                const LaidItem& prescription = band.items.back();
                QVERIFY(prescription.rect.bottom() <= footerTop + 1e-6);
                printed << prescription.text.split('\n');
            }
        }
        QCOMPARE(printed, text.split("\r\n"));
    }

    // Catches a line without spaces cut off or drawn past the band's right edge, and a
    // narrow text broken where it did not need to be.
    void longWordsWrapInsideTheBand() {
        const QString word(5000, QLatin1Char('x'));
        clinic()->setPrescription(1, QStringLiteral("curta\r\n") + word);
        const LaidReport report =
            previewed([] { printPrescription(nullptr, QStringLiteral("1")); });
        QStringList lines;
        for (const Page& page : report.pages)
            for (const LaidBand& band : page.bands)
                if (band.kind == BandKind::Detail) {
                    QVERIFY(band.items.back().rect.right() <= band.rect.right() + 1e-6);
                    lines << band.items.back().text.split('\n');
                }
        QVERIFY(lines.size() > 20);
        QCOMPARE(lines.first(), QStringLiteral("curta"));
        QCOMPARE(lines.mid(1).join(QString()), word);
    }

    // Catches a band taller than the page looping for ever or being dropped: it prints anyway,
    // each record at the top of a page of its own.
    void bandTallerThanThePagePrintsAnyway() {
        clinic();
        db::Dataset patients(QStringLiteral("Patients"));
        patients.setSql({QStringLiteral("select nome from Pacientes order by inscricao")});
        patients.open();
        ReportDefinition definition;
        definition.dataset = &patients;
        definition.bands = {band(BandKind::Detail, 300, {dataText(0, 0, &patients, "nome")}),
                            band(BandKind::PageFooter, 10)};
        const std::optional<LaidReport> report = layoutReport(definition, fixedDay());
        QVERIFY(report);
        QCOMPARE(report->pages.size(), size_t(23));
        QCOMPARE(report->pages[1].bands.front().rect.top(), 10.0);
        QCOMPARE(report->pages[1].bands.front().items.front().text,
                 QStringLiteral("Álvaro Mendes"));
        QVERIFY(patients.eof());
    }

    // Catches the progress callback being ignored: cancelling stops the layout.
    void cancelledLayoutGivesNoPages() {
        clinic();
        db::Dataset many(QStringLiteral("Many"));
        many.setSql({QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 "
                                    "from n where i < 2000) select i from n")});
        many.open();
        ReportDefinition definition;
        definition.dataset = &many;
        definition.bands = {band(BandKind::Detail, 5, {dataText(0, 0, &many, "i")})};
        LayoutOptions options = fixedDay();
        int calls = 0;
        options.progress = [&calls](int done, int total) {
            ++calls;
            return done < 1000 && total == 2000;
        };
        QVERIFY(!layoutReport(definition, options));
        QCOMPARE(calls, 2);
    }

    // Catches masks that print the wrong figures or separators, and a failed format printing
    // something other than nothing.
    void masksFormatNumbersAndMoments_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("expected");
        QTest::newRow("time hh:nn") << "time"
                                    << "14:05"
                                    << "hh:nn"
                                    << "14:05";
        QTest::newRow("time hh:mm is minutes") << "time"
                                               << "07:09"
                                               << "hh:mm"
                                               << "07:09";
        QTest::newRow("time h:n") << "time"
                                  << "07:09"
                                  << "h:n"
                                  << "7:9";
        QTest::newRow("date") << "date"
                              << "2024-03-05"
                              << "dd/mm/yyyy"
                              << "05/03/2024";
        QTest::newRow("date short year") << "date"
                                         << "2024-03-05"
                                         << "d/m/yy"
                                         << "5/3/24";
        QTest::newRow("date quoted") << "date"
                                     << "2024-03-05"
                                     << "'dia' dd"
                                     << "dia 05";
        QTest::newRow("thousands") << "number"
                                   << "1234567"
                                   << "#,##0"
                                   << "1.234.567";
        QTest::newRow("decimals") << "number"
                                  << "1234.5"
                                  << "#,##0.00"
                                  << "1.234,50";
        QTest::newRow("optional decimals") << "number"
                                           << "2.5"
                                           << "0.##"
                                           << "2,5";
        QTest::newRow("leading zeros") << "number"
                                       << "42"
                                       << "00000"
                                       << "00042";
        QTest::newRow("literal text") << "number"
                                      << "-3"
                                      << "R$ 0"
                                      << "R$ -3";
        QTest::newRow("zero with #") << "number"
                                     << "0"
                                     << "#"
                                     << "";
        QTest::newRow("no placeholder") << "number"
                                        << "5"
                                        << "abc"
                                        << "";
    }
    void masksFormatNumbersAndMoments() {
        QFETCH(QString, kind);
        QFETCH(QString, value);
        QFETCH(QString, mask);
        QFETCH(QString, expected);
        std::optional<QString> text;
        if (kind == "number")
            text = formatNumber(value.toDouble(), mask);
        else if (kind == "date")
            text = formatMoment(QDate::fromString(value, Qt::ISODate), QTime(0, 0), mask);
        else
            text = formatMoment(QDate(1899, 12, 30), QTime::fromString(value, "HH:mm"), mask);
        QCOMPARE(text.value_or(QString()), expected);
    }

    // Catches a missing field, a null value or a value the mask cannot read raising or
    // printing something; and a field read without its mask losing its display text.
    void fieldTextsOfTheCurrentRecord() {
        if (test::onServer())
            QSKIP("a date column of the server holds only dates");
        clinic()->folder.exec("create table Valores (d DATE, t TIME, n INTEGER, m MEMO)");
        clinic()->folder.exec("insert into Valores values ('não é data', '08:05', 1234, "
                              "'a' || char(13, 10) || 'b'), (null, null, null, null)");
        db::Dataset values(QStringLiteral("Valores"));
        values.setSql({QStringLiteral("select d, t, n, m from Valores")});
        values.open();
        QCOMPARE(fieldText(&values, values.fieldIndex("d"), "dd/mm/yyyy"), QString());
        QCOMPARE(fieldText(&values, values.fieldIndex("d"), {}), QStringLiteral("não é data"));
        QCOMPARE(fieldText(&values, values.fieldIndex("t"), "hh:nn"), QStringLiteral("08:05"));
        QCOMPARE(fieldText(&values, values.fieldIndex("n"), "#,##0"), QStringLiteral("1.234"));
        QCOMPARE(fieldText(&values, values.fieldIndex("n"), {}), QStringLiteral("1234"));
        QCOMPARE(fieldText(&values, values.fieldIndex("m"), "hh:nn"), QStringLiteral("a\r\nb"));
        QCOMPARE(fieldText(&values, values.fieldIndex("nada"), {}), QString());
        values.next();
        QCOMPARE(fieldText(&values, values.fieldIndex("t"), "hh:nn"), QString());
        values.close();
        QCOMPARE(fieldText(&values, 0, {}), QString());
    }
};

QTEST_MAIN(TstReportLayout)
#include "tst_report_layout.moc"
