// Starting, saving and browsing consultations, on a copy of the clinic's data folder (the
// save writes):
// - consultation_open: from the double-click on the first patient of the patient selection to
//   the consultation window painted, ready for typing, with the process's peak memory then and
//   just before the double-click;
// - consultation_save: "Salvar prontuário atual" on the new consultation with a prescription
//   of 1,500 characters (its first save: the new row is added);
// - records_browser_open: from the records button of a consultation of the patient with the
//   most consultations to the records browser painted on the first of them.

#include "consult/consultation.h"
#include "app/application.h"
#include "app/startup.h"
#include "bench/bench.h"
#include "consult/patient_selection.h"
#include "consult/records_browser.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "db/dm2.h"
#include "db/engine.h"
#include "db/session.h"
#include "db/widgets/dbedit.h"
#include "db/widgets/dbgrid.h"
#include "db/widgets/dbmemo.h"
#include "platform/messages.h"
#include "tests/support/server.h"

#include <QDir>
#include <QMouseEvent>
#include <QProcess>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <cmath>
#include <functional>

namespace corvalen::bench {

namespace {

void fail(const QString& error) {
    print({{"error", error}});
    std::_Exit(3);
}

double rounded(double value) {
    return std::round(value * 10) / 10;
}

// Runs `then` once, after the first paint of a window of type T is over.
template <typename T> class PaintWatch : public QObject {
public:
    explicit PaintWatch(std::function<void(T*)> then) : then_(std::move(then)) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!done_ && event->type() == QEvent::Paint) {
            if (auto* window = qobject_cast<T*>(watched)) {
                done_ = true;
                QTimer::singleShot(0, [this, window] { then_(window); });
            }
        }
        return false;
    }
    bool done() const { return done_; }

private:
    std::function<void(T*)> then_;
    bool done_ = false;
};

QVariantList queryRow(const QString& sql) {
    QSqlQuery q(Dm2->ADOConnection1->database());
    if (!q.exec(sql) || !q.next())
        fail("query failed: " + sql);
    QVariantList row;
    for (int i = 0; i < q.record().count(); ++i)
        row << q.value(i);
    return row;
}

void doubleClick(QWidget* viewport, const QPoint& at) {
    const QPointF global = viewport->mapToGlobal(QPointF(at));
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                    QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, QPointF(at), global, Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &event);
    }
}

void untilDone(const std::function<bool()>& done) {
    const qint64 deadline = monotonicNs() + 60'000'000'000;
    while (!done()) {
        if (monotonicNs() > deadline)
            fail("timed out");
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

} // namespace

int consultationChild(int argc, char** argv) {
    Application app(argc, argv);
    messages::setHook([](const messages::Shown& shown) {
        if (shown.kind == messages::Kind::Confirmation)
            return messages::Answer::Yes; // leaving a consultation of the records measurement
        fail("message: " + shown.text);
        return messages::Answer::Ok;
    });
    createWindows();
    const QVariantList user =
        queryRow("select cod, nome from Usuarios where nivel = 1 order by cod limit 1");
    session().user = CurrentUser{user[0].toInt(), user[1].toString(), true};

    Form10->show();
    bool listed = false;
    PaintWatch<TForm10> selection([&](TForm10*) { listed = true; });
    untilDone([&] { return listed; });

    // The double-click: the consultation window runs modally inside it.
    double openMs = 0;
    double openRss = 0;
    double saveMs = 0;
    bool saved = false;
    const double startRss = peakRssMb();
    qint64 started = 0;
    qint64 startedCpu = 0;
    double openCpuMs = 0;
    PaintWatch<TForm11> consultation([&](TForm11* window) {
        openMs = msSince(started);
        openCpuMs = cpuMsSince(startedCpu);
        openRss = peakRssMb();
        window->DBMemo1->setText(
            QStringLiteral("Amoxicilina 500 mg, 1 cápsula de 8/8 h. ").repeated(40).left(1500));
        const qint64 saving = monotonicNs();
        window->ToolButton1->click();
        saveMs = msSince(saving);
        saved = !window->DBEdit1->text().isEmpty();
        window->ToolButton5->click();
    });
    DBGrid* grid = Form10->DBGrid1;
    const QPoint firstRow = grid->visualRect(grid->model()->index(0, 1)).center();
    started = monotonicNs();
    startedCpu = threadCpuNs();
    doubleClick(grid->viewport(), firstRow);
    if (!consultation.done() || !saved)
        fail("the consultation was not opened and saved");

    // The records of the patient with the most consultations.
    const int patient =
        queryRow("select Cod_pac from Consultas group by Cod_pac order by count(*) desc limit 1")
            .front()
            .toInt();
    TForm11 window(nullptr, patient);
    window.show();
    bool shown = false;
    PaintWatch<TForm11> ready([&](TForm11*) { shown = true; });
    untilDone([&] { return shown; });
    double recordsMs = 0;
    double recordsCpuMs = 0;
    bool browsed = false;
    PaintWatch<TForm13> browser([&](TForm13*) {
        recordsMs = msSince(started);
        recordsCpuMs = cpuMsSince(startedCpu);
        browsed = true;
    });
    started = monotonicNs();
    startedCpu = threadCpuNs();
    window.ToolButton2->click();
    untilDone([&] { return browsed; });

    print({{"open_ms", openMs},
           {"open_cpu_ms", openCpuMs},
           {"start_rss_mb", startRss},
           {"open_rss_mb", openRss},
           {"save_ms", saveMs},
           {"records_ms", recordsMs},
           {"records_cpu_ms", recordsCpuMs},
           {"consultations", Dm2->ADOVerConsultas->recordCount()}});
    std::_Exit(0);
}

bool consultationBenchmark(const Scale& scale, const Options& options) {
    // The save writes: the runs work on a copy of the data folder.
    QTemporaryDir copy(QDir::tempPath() + "/corvalen-bench-XXXXXX");
    const int copied = QProcess::execute("cp", {"-a", scale.appData + "/Talvane", copy.path()});
    if (!copy.isValid() || copied != 0) {
        print({{"bench", "consultation_open"}, {"scale", scale.name}, {"error", "copy failed"}});
        return false;
    }
    // A clinic on the server is copied there too, into a database dropped afterwards.
    const QString dataFolder = copy.path() + QStringLiteral("/Talvane/Corvalen");
    QString serverCopy;
    if (auto server = db::engine::serverSettings(dataFolder)) {
        serverCopy = test::copyServerDatabase(server->connection);
        db::engine::writeServerSettings(dataFolder, {serverCopy, server->sharedFolder});
    }
    const auto dropCopy = qScopeGuard([&] {
        if (!serverCopy.isEmpty())
            test::dropServerDatabase(serverCopy);
    });
    const Scale onCopy{scale.name, copy.path()};
    std::map<QString, std::vector<double>> samples;
    int consultations = 0;
    // Run 0 warms the fresh copy (its file pages, the server's buffers) and is not counted: a
    // clinic's computer and server work with both warm.
    for (int run = 0; run <= options.runs; ++run) {
        qint64 started = 0;
        const QJsonObject result =
            runChild(QStringLiteral("consultation"), onCopy, options, &started);
        if (result.contains("error")) {
            print({{"bench", "consultation_open"},
                   {"scale", scale.name},
                   {"error", result["error"]}});
            return false;
        }
        if (run == 0)
            continue;
        for (const char* name : {"open_ms", "open_cpu_ms", "start_rss_mb", "open_rss_mb", "save_ms",
                                 "records_ms", "records_cpu_ms"})
            samples[name].push_back(result[name].toDouble());
        consultations = result["consultations"].toInt();
    }
    const auto of = [&](const char* name) { return rounded(median(samples[name])); };
    print({{"bench", "consultation_open"},
           {"scale", scale.name},
           {"ms", of("open_ms")},
           {"cpu_ms", of("open_cpu_ms")},
           {"peak_rss_mb", of("open_rss_mb")},
           {"before_rss_mb", of("start_rss_mb")},
           {"runs", options.runs}});
    print({{"bench", "consultation_save"},
           {"scale", scale.name},
           {"ms", of("save_ms")},
           {"runs", options.runs}});
    print({{"bench", "records_browser_open"},
           {"scale", scale.name},
           {"consultations", consultations},
           {"ms", of("records_ms")},
           {"cpu_ms", of("records_cpu_ms")},
           {"runs", options.runs}});
    return true;
}

} // namespace corvalen::bench
