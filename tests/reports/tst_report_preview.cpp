// The preview window as a user drives it (zoom, pages, Esc, "Salvar PDF", printing) and the
// printed output: every report written to PDF and read back with pdftotext.

#include "consult/prescription_report.h"
#include "db/widgets/dblookupcombobox.h"
#include "db/widgets/dbradiogroup.h"
#include "platform/pickers.h"
#include "platform/printing.h"
#include "reports/consultations_choice.h"
#include "reports/labels_report.h"
#include "reports/patients_report.h"
#include "reports/report_progress.h"
#include "reports/report_render.h"
#include "reports/users_report.h"
#include "tests/reports/report_fixture.h"
#include "tests/reports/report_text.h"

#include <QDateEdit>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

using namespace corvalen;
using namespace corvalen::reports;

namespace {

// The text of a PDF file as pdftotext reads it, and its page count.
QString pdfText(const QString& path, int* pages = nullptr) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, "-"});
    process.waitForFinished(60000);
    const QString text = QString::fromUtf8(process.readAllStandardOutput());
    if (pages)
        *pages = int(text.count(QLatin1Char('\f')));
    return text;
}

void clickTool(PreviewWindow* preview, QAction* action) {
    QTest::mouseClick(preview->ToolBar1->widgetForAction(action), Qt::LeftButton);
}

} // namespace

class TstReportPreview : public QObject {
    Q_OBJECT

    std::unique_ptr<test::ReportClinic> clinic;
    QTemporaryDir out;

private slots:
    void init() { clinic = std::make_unique<test::ReportClinic>(); }
    void cleanup() {
        platform::setPickerHook({});
        platform::setPrintHook(std::nullopt);
        clinic.reset();
    }

    // Catches a preview that opens maximised or unfitted, miscounts or mislabels its pages,
    // lets the page buttons run past either end, ignores a zoom, does not close on Esc, or
    // returns to its caller while still open.
    void previewIsDrivenFromItsToolBarAndKeys() {
        bool returned = false;
        QStringList statuses;
        test::PreviewWatch watch([&](PreviewWindow* preview) {
            QVERIFY(QTest::qWaitForWindowActive(preview));
            QVERIFY(!returned);
            QCOMPARE(preview->windowTitle(), QStringLiteral("Print Preview"));
            QVERIFY(!preview->isMaximized());
            QCOMPARE(preview->View->zoom(), PageView::Zoom::WholePage);
            const double whole = preview->View->pixelsPerMm();
            QVERIFY(297 * whole <= preview->View->viewport()->height());
            statuses << preview->statusText();
            QVERIFY(!preview->PriorPage->isEnabled());
            clickTool(preview, preview->NextPage);
            statuses << preview->statusText();
            QVERIFY(!preview->NextPage->isEnabled());
            QTest::keyClick(preview->View, Qt::Key_Home);
            statuses << preview->statusText();
            QTest::keyClick(preview->View, Qt::Key_End);
            statuses << preview->statusText();
            clickTool(preview, preview->FirstPage);
            statuses << preview->statusText();
            clickTool(preview, preview->PageWidth);
            QVERIFY(preview->View->pixelsPerMm() > whole);
            QVERIFY(preview->View->verticalScrollBar()->maximum() > 0);
            clickTool(preview, preview->ActualSize);
            QCOMPARE(preview->View->pixelsPerMm(), preview->View->logicalDpiX() / 25.4);
            clickTool(preview, preview->WholePage);
            QCOMPARE(preview->View->pixelsPerMm(), whole);
            QTest::keyClick(preview->View, Qt::Key_Escape);
            QVERIFY(!preview->isVisible());
        });
        printOnce<TForm17>(nullptr);
        returned = true;
        QCOMPARE(watch.reports.size(), size_t(1));
        QCOMPARE(statuses, QStringList({"Página 1 de 2", "Página 2 de 2", "Página 1 de 2",
                                        "Página 2 de 2", "Página 1 de 2"}));
    }

    // Catches "Salvar PDF" bypassing the platform's chooser, suggesting a name without the
    // report or the date, writing a file without the ".pdf" ending, or losing pages.
    void savePdfWritesTheChosenFile() {
        QList<platform::PickerRequest> requests;
        const QString chosen = out.filePath("pacientes");
        platform::setPickerHook([&](const platform::PickerRequest& request) {
            requests << request;
            return std::optional<QString>(chosen);
        });
        test::PreviewWatch watch([](PreviewWindow* preview) {
            QVERIFY(QTest::qWaitForWindowActive(preview));
            QTest::keyClick(preview->View, Qt::Key_S, Qt::ControlModifier);
        });
        printOnce<TForm17>(nullptr);
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.front().kind, platform::PickerKind::SaveFile);
        QCOMPARE(QFileInfo(requests.front().initialPath).fileName(),
                 QStringLiteral("Relatório de Pacientes 05-03-2024.pdf"));
        int pages = 0;
        const QString text = pdfText(chosen + ".pdf", &pages);
        QCOMPARE(pages, 2);
        QVERIFY(text.contains("Relatório de Pacientes Cadastrados"));
        QVERIFY(text.contains("Álvaro Mendes"));
        QVERIFY2(clinic->recorder.shown().empty(), qPrintable(clinic->recorder.last()));
    }

    // Catches printing that fails silently without a printer, ignores the pages chosen in the
    // print dialog, or prints without the dialog's answer.
    void printingGoesThroughThePrintDialog() {
        test::PreviewWatch watch(
            [](PreviewWindow* preview) { clickTool(preview, preview->Print); });
        platform::setPrintHook(platform::PrintHook{false, {}});
        printOnce<TForm17>(nullptr);
        QCOMPARE(clinic->recorder.texts(),
                 QStringList({"Nenhuma impressora está instalada neste computador. Use "
                              "\"Salvar PDF\" para gravar o relatório em um arquivo."}));

        const QString printed = out.filePath("impresso.pdf");
        bool asked = false;
        platform::setPrintHook(platform::PrintHook{true, [&](QPrinter& printer) {
                                                       asked = true;
                                                       printer.setOutputFormat(QPrinter::PdfFormat);
                                                       printer.setOutputFileName(printed);
                                                       printer.setPrintRange(QPrinter::PageRange);
                                                       printer.setFromTo(2, 2);
                                                       return true;
                                                   }});
        printOnce<TForm17>(nullptr);
        QVERIFY(asked);
        int pages = 0;
        const QString text = pdfText(printed, &pages);
        QCOMPARE(pages, 1);
        QVERIFY(text.contains("Relatório de Pacientes Cadastrados"));
        QVERIFY(!text.contains("Álvaro Mendes")); // page 1's first patient
        QCOMPARE(clinic->recorder.shown().size(), size_t(1));

        platform::setPrintHook(platform::PrintHook{true, [](QPrinter&) { return false; }});
        QFile::remove(printed);
        printOnce<TForm17>(nullptr);
        QVERIFY(!QFile::exists(printed));
    }

    // Catches "Cancelar" of the progress dialog not stopping the work it watches, and the
    // busy cursor missing before the dialog shows or staying over its Cancel button.
    void progressCancelStopsTheWork() {
        std::optional<Progress> progress;
        progress.emplace(QStringLiteral("Preparando o relatório..."), nullptr);
        QVERIFY(QApplication::overrideCursor());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        QVERIFY(progress->step(1, 10));
        QProgressDialog* dialog = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "ReportProgress")
                dialog = qobject_cast<QProgressDialog*>(w);
        QVERIFY(dialog);
        QCOMPARE(dialog->windowModality(), Qt::ApplicationModal);
        dialog->show();
        QVERIFY(progress->step(2, 10));
        QVERIFY(!QApplication::overrideCursor());
        QTest::mouseClick(dialog->findChild<QPushButton*>(), Qt::LeftButton);
        QVERIFY(!progress->step(3, 10));
        progress.reset();
        QVERIFY(!QApplication::overrideCursor());
    }

    // Catches a report whose printed texts differ from what the preview shows, or that loses
    // accented letters or names outside Latin-1 on the way to paper.
    void everyReportPrintsItsTexts_data() {
        QTest::addColumn<QString>("report");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("patients") << "patients"
                                  << QStringList{"Relatório de Pacientes Cadastrados",
                                                 "Código",
                                                 "Nome do Paciente",
                                                 "Álvaro Mendes",
                                                 "Nguyễn Thị Hương",
                                                 "Дмитрий Соколов",
                                                 "(19) 3232-0001",
                                                 "05/03/2024"};
        QTest::newRow("labels") << "labels" << QStringList{"Ana Souza",     "Rua das Flores, 10",
                                                           "Centro",        "13010-000",
                                                           "Campinas - SP", "Дмитрий Соколов"};
        QTest::newRow("users") << "users" << QStringList{"Relação de Usuários",
                                                         "Cód.",
                                                         "Email",
                                                         "admin",
                                                         "Dra. Profissional 02",
                                                         "prof26@clinica.com.br"};
        QTest::newRow("by date") << "by date"
                                 << QStringList{"Relatório de Consultas Realizadas - Por data",
                                                "01/03/2024",
                                                "08:15",
                                                "Dra. Profissional 02",
                                                "Ana Souza",
                                                "Total de atendimentos:"};
        QTest::newRow("by professional")
            << "by professional"
            << QStringList{"Relatório de Consultas Realizadas - Por profissional",
                           "06/03/2024",
                           "11:45",
                           "Carla Dias",
                           "Total de atendimentos:",
                           "05/03/2024"};
        QTest::newRow("prescription") << "prescription"
                                      << QStringList{"Clínica Médica São Lucas",
                                                     "Receituário",
                                                     "Paciente:",
                                                     "Ana Souza",
                                                     "Dipirona 500 mg",
                                                     "1 comprimido de 6 em 6 horas",
                                                     "Rua Barão de Jaguara, 1481",
                                                     "Tel:",
                                                     "(19) 3232-4455"};
    }
    void everyReportPrintsItsTexts() {
        QFETCH(QString, report);
        QFETCH(QStringList, texts);
        test::PreviewWatch watch;
        TForm21 choice;
        if (report == "patients") {
            printOnce<TForm17>(nullptr);
        } else if (report == "labels") {
            printOnce<TForm19>(nullptr);
        } else if (report == "users") {
            printOnce<TForm20>(nullptr);
        } else if (report == "prescription") {
            printPrescription(nullptr, QStringLiteral("1"));
        } else {
            choice.show();
            const int item = report == "by date" ? 0 : 1;
            choice.RadioGroup1->findChildren<QRadioButton*>().at(item)->click();
            choice.Data1->setDate(QDate(2024, 3, 1));
            choice.Data2->setDate(QDate(2024, 3, 6));
            choice.BuscaProf->setKeyValue(QStringLiteral("2"));
            QTest::mouseClick(choice.Button2, Qt::LeftButton);
        }
        QCOMPARE(watch.reports.size(), size_t(1));
        const QString file = out.filePath(report + ".pdf");
        QVERIFY(writePdf(watch.reports.front(), file));
        int pages = 0;
        const QString text = pdfText(file, &pages);
        QCOMPARE(pages, int(watch.reports.front().pages.size()));
        for (const QString& expected : texts)
            QVERIFY2(text.contains(expected), qPrintable(expected + " not in:\n" + text));
    }
};

QTEST_MAIN(TstReportPreview)
#include "tst_report_preview.moc"
