// The consultation report window: its choices and their persistence, the date check, the
// inclusive date range and the professional's query, each "Gerar" with a preview of its own.

#include "db/dataset.h"
#include "db/dm2.h"
#include "db/widgets/dblookupcombobox.h"
#include "db/widgets/dbradiogroup.h"
#include "reports/consultations_choice.h"
#include "reports/report_form.h"
#include "tests/reports/report_fixture.h"
#include "tests/reports/report_text.h"

#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace corvalen;
using namespace corvalen::reports;

class TstConsultationReports : public QObject {
    Q_OBJECT

    std::unique_ptr<test::ReportClinic> clinic;
    std::unique_ptr<TForm21> window;

    // Clicks the radio item on its circle.
    void choose(int item) {
        QRadioButton* button = window->RadioGroup1->findChildren<QRadioButton*>().at(item);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }

    // The consultation numbers the report's dataset held, in its order.
    static QList<int> numbers(db::Dataset* data) {
        QList<int> result;
        for (data->first(); !data->eof(); data->next())
            result << data->fieldByName("Numero").asInteger();
        return result;
    }

    // The text printed after "Total de atendimentos:".
    static QString total(const LaidReport& report) {
        for (const LaidBand& band : report.pages.back().bands)
            if (band.kind == BandKind::Summary)
                return band.items.back().text;
        return QStringLiteral("(no summary)");
    }

private slots:
    void init() {
        clinic = std::make_unique<test::ReportClinic>();
        window = std::make_unique<TForm21>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup() {
        window.reset();
        clinic.reset();
    }

    // Catches a window that opens with a report already chosen or its inputs shown, dates
    // other than the stored 31/08/2015, and "Gerar" doing something with nothing chosen.
    void opensWithNothingChosen() {
        QCOMPARE(window->windowTitle(), QStringLiteral("Relatório de Consultas"));
        QCOMPARE(window->RadioGroup1->itemIndex(), -1);
        for (QWidget* hidden :
             {static_cast<QWidget*>(window->BuscaProf), static_cast<QWidget*>(window->Data1),
              static_cast<QWidget*>(window->Data2)})
            QVERIFY(!hidden->isVisible());
        QCOMPARE(window->Data1->date(), QDate(2015, 8, 31));
        QCOMPARE(window->Data2->date(), QDate(2015, 8, 31));
        QCOMPARE(window->Label2->buddy(), window->Data1);
        test::PreviewWatch watch;
        QTest::mouseClick(window->Button2, Qt::LeftButton);
        QVERIFY(watch.reports.empty());
        QVERIFY(clinic->recorder.shown().empty());
    }

    // Catches switching reports losing the hidden inputs' values, or showing the wrong ones;
    // and "Fechar" destroying what the user chose.
    void switchingKeepsTheHiddenValues() {
        choose(0);
        QVERIFY(window->Data1->isVisible() && window->Data2->isVisible());
        QVERIFY(!window->BuscaProf->isVisible());
        window->Data1->setDate(QDate(2024, 3, 1));
        choose(1);
        QVERIFY(window->BuscaProf->isVisible() && !window->Data1->isVisible());
        window->BuscaProf->setKeyValue(QStringLiteral("3"));
        choose(0);
        QTest::mouseClick(window->Button1, Qt::LeftButton);
        QVERIFY(!window->isVisible());
        window->show();
        QCOMPARE(window->Data1->date(), QDate(2024, 3, 1));
        choose(1);
        QCOMPARE(window->BuscaProf->keyValue(), QStringLiteral("3"));
        QCOMPARE(window->BuscaProf->currentText(), QStringLiteral("Dra. Profissional 03"));
    }

    // Catches a later initial date reaching the database, and the warning's text or kind.
    void laterInitialDateIsRefused() {
        const QStringList before = Dm2->ADORelatData->sql();
        choose(0);
        window->Data1->setDate(QDate(2024, 3, 6));
        window->Data2->setDate(QDate(2024, 3, 5));
        test::PreviewWatch watch;
        QTest::mouseClick(window->Button2, Qt::LeftButton);
        QCOMPARE(clinic->recorder.shown().size(), size_t(1));
        QCOMPARE(clinic->recorder.shown().front().kind, messages::Kind::Warning);
        QCOMPARE(clinic->recorder.last(),
                 QStringLiteral("A data inicial não pode ser superior a data final"));
        QVERIFY(watch.reports.empty());
        QCOMPARE(Dm2->ADORelatData->sql(), before);
    }

    // Catches a range that leaves out its first or last day or takes the day after, joins a
    // consultation whose patient is gone, or prints a total other than the rows listed.
    void dateRangeIncludesBothDays_data() {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("first to final day")
            << QDate(2024, 3, 1) << QDate(2024, 3, 5) << QList<int>{1, 2, 3};
        QTest::newRow("one day") << QDate(2024, 3, 5) << QDate(2024, 3, 5) << QList<int>{3};
        QTest::newRow("day after") << QDate(2024, 3, 6) << QDate(2024, 3, 6) << QList<int>{4};
        QTest::newRow("none") << QDate(2023, 1, 1) << QDate(2023, 12, 31) << QList<int>{};
    }
    void dateRangeIncludesBothDays() {
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QList<int>, expected);
        choose(0);
        window->Data1->setDate(from);
        window->Data2->setDate(to);
        test::PreviewWatch watch;
        QTest::mouseClick(window->Button2, Qt::LeftButton);
        QCOMPARE(watch.reports.size(), size_t(1));
        QCOMPARE(watch.reports.front().name, QStringLiteral("Consultas por Data"));
        QVERIFY(Dm2->ADORelatData->eof());
        QCOMPARE(numbers(Dm2->ADORelatData), expected);
        QCOMPARE(total(watch.reports.front()), QString::number(expected.size()));
        QVERIFY2(clinic->recorder.shown().empty(), qPrintable(clinic->recorder.last()));
    }

    // Catches the professional's key not reaching the query, a lookup that offers users the
    // shared dataset no longer holds, and an unchosen professional failing instead of
    // listing nothing.
    void byProfessionalListsThatProfessional() {
        choose(1);
        QCOMPARE(window->BuscaProf->count(), 26);
        window->BuscaProf->setKeyValue(QStringLiteral("2"));
        test::PreviewWatch watch;
        QTest::mouseClick(window->Button2, Qt::LeftButton);
        QCOMPARE(numbers(Dm2->ADORelatCProf), (QList<int>{1, 3, 4}));
        QCOMPARE(Dm2->ADORelatCProf->sql().at(2), QStringLiteral("WHERE Consultas.Cod_med= :prof"));

        // The user editor leaves the shared list narrowed to the user it opened.
        Dm2->ADOEditUsuarios->setSql(
            {QStringLiteral("SELECT * from Usuarios"), QStringLiteral("where cod =3;")});
        Dm2->ADOEditUsuarios->open();
        QCOMPARE(window->BuscaProf->count(), 1);
        QCOMPARE(window->BuscaProf->keyValue(), QString());
        QTest::mouseClick(window->Button2, Qt::LeftButton);
        QCOMPARE(watch.reports.size(), size_t(2));
        QCOMPARE(total(watch.reports[0]), QStringLiteral("3"));
        QCOMPARE(total(watch.reports[1]), QStringLiteral("0"));
        QVERIFY2(clinic->recorder.shown().empty(), qPrintable(clinic->recorder.last()));
    }

    // Catches a second "Gerar" reusing or disturbing the preview still open: each press
    // queries afresh and opens its own preview, and the first keeps its pages.
    void gerarWhileAPreviewIsOpenOpensAnother() {
        choose(0);
        window->Data1->setDate(QDate(2024, 3, 1));
        window->Data2->setDate(QDate(2024, 3, 1));
        QStringList firstBefore;
        QStringList firstAfter;
        std::vector<LaidReport> second;
        test::PreviewWatch watch([&](PreviewWindow* preview) {
            firstBefore = test::reportTexts(preview->report());
            window->Data2->setDate(QDate(2024, 3, 6));
            test::PreviewWatch inner; // the first watch waits while this preview is open
            QTest::mouseClick(window->Button2, Qt::LeftButton);
            second = inner.reports;
            firstAfter = test::reportTexts(preview->report());
        });
        QTest::mouseClick(window->Button2, Qt::LeftButton);
        QCOMPARE(watch.reports.size(), size_t(1));
        QCOMPARE(second.size(), size_t(1));
        QCOMPARE(total(watch.reports[0]), QStringLiteral("1"));
        QCOMPARE(total(second[0]), QStringLiteral("4"));
        QCOMPARE(firstAfter, firstBefore);
        QVERIFY(window->findChildren<ReportForm*>().isEmpty());
    }
};

QTEST_MAIN(TstConsultationReports)
#include "tst_consultation_reports.moc"
