// Reports on a ten-year clinic:
// - report_layout: the consultations by date re-queried for one year (2024) and for all ten,
//   and laid out on pages, with the peak memory;
// - report_first_page: from "Gerar" (one year by date) to the preview's first page painted;
// - prescription: from printing the consultation with the longest prescription (what the
//   print button runs once the consultation is saved) to the preview's first page painted.
// Nothing is written to the clinic's database. Only the clinic10y scale is measured: the
// stress clinic's 2.5 million consultations make no report anyone prints.

#include "app/application.h"
#include "app/startup.h"
#include "bench/bench.h"
#include "consult/prescription_report.h"
#include "db/dataset.h"
#include "db/dm2.h"
#include "db/widgets/dbradiogroup.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "reports/consultations_by_date.h"
#include "reports/consultations_choice.h"
#include "reports/report_preview.h"

#include <QDateEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <cmath>

namespace corvalen::bench {

namespace {

double rounded(double value) {
    return std::round(value * 10) / 10;
}

void fail(const QString& error) {
    print({{"error", error}});
    std::_Exit(3);
}

// The program as start-up builds it, with message boxes turned into failures.
void startProgram() {
    messages::setHook([](const messages::Shown& shown) -> messages::Answer {
        fail(QStringLiteral("message: ") + shown.text);
        return messages::Answer::Ok;
    });
    createWindows();
}

// Chooses the report by date over [from, to] in the consultation report window.
void chooseDates(const QDate& from, const QDate& to) {
    Form21->show();
    Form21->RadioGroup1->findChildren<QRadioButton*>().at(0)->click();
    Form21->Data1->setDate(from);
    Form21->Data2->setDate(to);
}

// Runs `start` (which opens a preview and waits in it) and returns the milliseconds from its
// call to the end of the preview's first page painting; the preview is then closed.
double untilFirstPage(const std::function<void()>& start) {
    qint64 started = 0;
    double ms = -1;
    QTimer watch;
    watch.setInterval(1);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* preview = qobject_cast<reports::PreviewWindow*>(w);
            if (!preview || preview->property("watched").toBool())
                continue;
            preview->setProperty("watched", true);
            QObject::connect(preview->View, &reports::PageView::pagePainted, preview, [&, preview] {
                if (ms < 0)
                    ms = msSince(started);
                QTimer::singleShot(0, preview, &QWidget::close);
            });
        }
    });
    watch.start();
    started = monotonicNs();
    start();
    if (ms < 0)
        fail(QStringLiteral("no preview page was painted"));
    return ms;
}

const QDate yearStart(2024, 1, 1);
const QDate yearEnd(2024, 12, 31);
const QDate firstDay(2015, 1, 1);

int layoutChild(int argc, char** argv, const QDate& from, const QDate& to) {
    Application app(argc, argv);
    startProgram();
    chooseDates(from, to);
    const qint64 started = monotonicNs();
    const qint64 startedCpu = threadCpuNs();
    if (!Form21->queryByDate())
        fail(QStringLiteral("the dates were refused"));
    Dm2->ADORelatData->recordCount(); // the rows are read when first needed
    const double queryMs = msSince(started);
    TForm23 report;
    reports::LayoutOptions options;
    options.today = platform::now().date();
    const qint64 layoutStarted = monotonicNs();
    const std::optional<reports::LaidReport> pages =
        reports::layoutReport(report.QuickRep1, options);
    const double layoutMs = msSince(layoutStarted);
    const double totalMs = msSince(started);
    const double cpuMs = cpuMsSince(startedCpu);
    if (!pages)
        fail(QStringLiteral("the layout was cancelled"));
    print({{"records", pages->detailCount},
           {"pages", int(pages->pages.size())},
           {"ms", totalMs},
           {"cpu_ms", cpuMs},
           {"query_ms", queryMs},
           {"layout_ms", layoutMs},
           {"peak_rss_mb", peakRssMb()}});
    std::_Exit(0);
}

} // namespace

int reportLayoutYearChild(int argc, char** argv) {
    return layoutChild(argc, argv, yearStart, yearEnd);
}

int reportLayoutAllChild(int argc, char** argv) {
    return layoutChild(argc, argv, firstDay, yearEnd);
}

int reportFirstPageChild(int argc, char** argv) {
    Application app(argc, argv);
    startProgram();
    chooseDates(yearStart, yearEnd);
    const double ms = untilFirstPage([] { Form21->Button2->click(); });
    print({{"ms", ms}, {"peak_rss_mb", peakRssMb()}});
    std::_Exit(0);
}

int prescriptionChild(int argc, char** argv) {
    Application app(argc, argv);
    startProgram();
    db::Dataset longest(QStringLiteral("BenchLongest"));
    longest.setSql(
        {QStringLiteral("SELECT Numero FROM Consultas, Pacientes WHERE "
                        "Cod_pac = inscricao ORDER BY length(Prontuario) DESC LIMIT 1")});
    longest.open();
    if (longest.isEmpty())
        fail(QStringLiteral("no consultation to print"));
    const QString number = longest.field(0).asString();
    QWidget owner;
    const double ms = untilFirstPage([&] { printPrescription(&owner, number); });
    print({{"ms", ms}, {"consultation", number.toInt()}});
    std::_Exit(0);
}

bool reportsBenchmark(const Scale& scale, const Options& options) {
    if (scale.name != QLatin1String("clinic10y"))
        return true;
    struct Run {
        const char* bench;
        const char* child;
        const char* period;
    };
    const Run runs[] = {{"report_layout", "report_layout_one_year", "one_year"},
                        {"report_layout", "report_layout_all", "all"},
                        {"report_first_page", "report_first_page", "one_year"},
                        {"prescription", "prescription", nullptr}};
    bool ok = true;
    for (const Run& run : runs) {
        std::vector<double> ms;
        std::vector<double> queryMs;
        std::vector<double> cpuMs;
        std::vector<double> layoutMs;
        std::vector<double> rss;
        QJsonObject last;
        for (int i = 0; i < options.runs; ++i) {
            qint64 started = 0;
            last = runChild(QLatin1String(run.child), scale, options, &started);
            if (last.contains("error"))
                break;
            ms.push_back(last.value("ms").toDouble());
            queryMs.push_back(last.value("query_ms").toDouble());
            cpuMs.push_back(last.value("cpu_ms").toDouble());
            layoutMs.push_back(last.value("layout_ms").toDouble());
            rss.push_back(last.value("peak_rss_mb").toDouble());
        }
        Line line = {{"bench", run.bench}, {"scale", scale.name}};
        if (run.period) {
            line.emplace_back("report", "by_date");
            line.emplace_back("period", run.period);
        }
        if (last.contains("error")) {
            line.emplace_back("error", last.value("error"));
            print(line);
            ok = false;
            continue;
        }
        if (last.contains("records")) {
            line.emplace_back("records", last.value("records"));
            line.emplace_back("pages", last.value("pages"));
        }
        line.emplace_back("ms", rounded(median(ms)));
        if (last.contains("layout_ms")) {
            line.emplace_back("query_ms", rounded(median(queryMs)));
            line.emplace_back("layout_ms", rounded(median(layoutMs)));
            line.emplace_back("cpu_ms", rounded(median(cpuMs)));
        }
        if (last.contains("peak_rss_mb"))
            line.emplace_back("peak_rss_mb", rounded(median(rss)));
        line.emplace_back("runs", int(ms.size()));
        line.emplace_back("min_ms", rounded(*std::min_element(ms.begin(), ms.end())));
        line.emplace_back("max_ms", rounded(*std::max_element(ms.begin(), ms.end())));
        print(line);
    }
    return ok;
}

} // namespace corvalen::bench
