// The prescription printout from the consultation window's print button: the consultation's
// row and the letterhead on the pages, the logo named by logo.cfg, and the logo's failures.

#include "consult/consultation.h"
#include "consult/prescription_report.h"
#include "db/dm2.h"
#include "db/widgets/dbedit.h"
#include "db/widgets/dbmemo.h"
#include "platform/textfile.h"
#include "tests/reports/report_fixture.h"
#include "tests/reports/report_text.h"

#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

using namespace corvalen;
using namespace corvalen::reports;

class TstPrescription : public QObject {
    Q_OBJECT

    std::unique_ptr<test::ReportClinic> clinic;
    std::unique_ptr<TForm11> window;

    // A consultation for patient 1 with `text` as its prescription, saved.
    void saveConsultation(const QString& text) {
        window = std::make_unique<TForm11>(nullptr, 1);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTest::keyClicks(window->DBMemo1, text);
        QTest::mouseClick(window->ToolButton1, Qt::LeftButton);
        QVERIFY(!window->DBEdit1->text().isEmpty());
    }

    std::vector<LaidReport> print() {
        test::PreviewWatch watch;
        QTest::mouseClick(window->ToolButton4, Qt::LeftButton);
        return watch.reports;
    }

    static QSize logoSize(const LaidReport& report) {
        return report.pictures.empty() ? QSize() : report.pictures.front().size();
    }

private slots:
    void init() { clinic = std::make_unique<test::ReportClinic>(); }
    void cleanup() {
        window.reset();
        clinic.reset();
    }

    // Catches the printout reading another consultation or a stale statement, losing the
    // letterhead or the patient's name, keeping report objects after the preview, and a logo
    // changed in the clinic window not showing until the program restarts.
    void printButtonPreviewsTheSavedConsultation() {
        saveConsultation(QStringLiteral("Amoxicilina 500 mg"));
        std::vector<LaidReport> printed = print();
        QCOMPARE(printed.size(), size_t(1));
        const QStringList texts = test::reportTexts(printed.front());
        for (const char* expected : {"Clínica Médica São Lucas", "Receituário", "Paciente:",
                                     "Ana Souza", "Amoxicilina 500 mg", "(19) 3232-4455"})
            QVERIFY2(texts.contains(QString::fromUtf8(expected)), expected);
        QCOMPARE(logoSize(printed.front()), QSize(120, 100));
        QCOMPARE(Dm2->ADORelatConsulta->sql(),
                 QStringList({"SELECT numero, prontuario, cod_pac, inscricao, nome",
                              "FROM Consultas, Pacientes",
                              "WHERE numero = :aconsulta and cod_pac=inscricao;"}));
        QCOMPARE(Dm2->ADORelatConsulta->parameter("aconsulta").toString(), window->DBEdit1->text());
        QVERIFY(window->findChildren<TForm18*>().isEmpty());

        QImage other(64, 32, QImage::Format_RGB32);
        other.fill(Qt::red);
        QVERIFY(other.save(clinic->folder.file("novo.jpg")));
        platform::writeLine(clinic->folder.file("logo.cfg"), clinic->folder.file("novo.jpg"));
        printed = print();
        QCOMPARE(printed.size(), size_t(1));
        QCOMPARE(logoSize(printed.front()), QSize(64, 32));
        QVERIFY2(clinic->recorder.shown().empty(), qPrintable(clinic->recorder.last()));
    }

    // Catches a preview that the modal consultation window would block: it belongs to that
    // window, and the print button returns once it has closed.
    void previewOfAModalConsultationWindowIsUsable() {
        saveConsultation(QStringLiteral("Repouso"));
        window->hide();
        QWidget* owner = nullptr;
        QString status;
        test::PreviewWatch watch([&](PreviewWindow* preview) {
            owner = preview->parentWidget();
            QTest::mouseClick(preview->ToolBar1->widgetForAction(preview->ActualSize),
                              Qt::LeftButton);
            status = preview->statusText();
        });
        QTimer::singleShot(0, window.get(), [this] {
            QTest::mouseClick(window->ToolButton4, Qt::LeftButton);
            window->close();
        });
        window->exec();
        QCOMPARE(watch.reports.size(), size_t(1));
        QCOMPARE(owner, window.get());
        QCOMPARE(status, QStringLiteral("Página 1 de 1"));
        QVERIFY2(clinic->recorder.shown().empty(), qPrintable(clinic->recorder.last()));
    }

    // Catches a logo problem printing without the logo, crashing, or showing a preview
    // anyway: a missing logo.cfg, a logo file that is missing, empty, not a picture or of an
    // unknown kind each stop the printout with one error and no preview.
    void logoProblemsStopThePrintout_data() {
        QTest::addColumn<QString>("logoFile"); // empty: no logo.cfg at all
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::newRow("no logo.cfg") << QString() << QByteArray() << "File not found.";
        QTest::newRow("missing picture") << "nada.jpg" << QByteArray() << "Cannot open file";
        QTest::newRow("empty picture") << "vazio.jpg" << QByteArray("") << "Cannot open file";
        QTest::newRow("not a picture")
            << "texto.bmp" << QByteArray("isto não é imagem") << "Cannot open file";
        QTest::newRow("unknown kind")
            << "logo.txt" << QByteArray("x") << "Unknown picture file extension (.txt)";
    }
    void logoProblemsStopThePrintout() {
        QFETCH(QString, logoFile);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        saveConsultation(QStringLiteral("Repouso"));
        QFile::remove(clinic->folder.file("logo.cfg"));
        if (!logoFile.isEmpty()) {
            platform::writeLine(clinic->folder.file("logo.cfg"), clinic->folder.file(logoFile));
            if (!content.isNull()) {
                QFile file(clinic->folder.file(logoFile));
                QVERIFY(file.open(QIODevice::WriteOnly));
                file.write(content);
            }
        }
        const std::vector<LaidReport> printed = print();
        QVERIFY(printed.empty());
        QCOMPARE(clinic->recorder.shown().size(), size_t(1));
        QCOMPARE(clinic->recorder.shown().front().kind, messages::Kind::Error);
        QVERIFY2(clinic->recorder.last().startsWith(message), qPrintable(clinic->recorder.last()));
        QVERIFY(Dm2->ADORelatConsulta->isOpen());
        QCOMPARE(Dm2->ADORelatConsulta->fieldByName("prontuario").asString(),
                 QStringLiteral("Repouso"));
        QVERIFY(window->findChildren<TForm18*>().isEmpty());
    }

    // Catches a letterhead without a clinic row failing instead of printing empty, and a
    // patient's name outside Latin-1 lost on the way to the page.
    void missingClinicRowAndForeignNamesPrint() {
        clinic->folder.exec(
            "update Pacientes set nome = 'Nguyễn Thị Hương 王芳' where inscricao = 1");
        clinic->folder.exec("delete from Clinica");
        Dm2->ADOClinica->requery();
        saveConsultation(QStringLiteral("Repouso"));
        const std::vector<LaidReport> printed = print();
        QCOMPARE(printed.size(), size_t(1));
        const QStringList texts = test::reportTexts(printed.front());
        QVERIFY(texts.contains(QStringLiteral("Nguyễn Thị Hương 王芳")));
        QVERIFY(texts.contains(QStringLiteral("Repouso")));
        QVERIFY(!texts.contains(QStringLiteral("Clínica Médica São Lucas")));
        QVERIFY2(clinic->recorder.shown().empty(), qPrintable(clinic->recorder.last()));
    }
};

QTEST_MAIN(TstPrescription)
#include "tst_prescription.moc"
