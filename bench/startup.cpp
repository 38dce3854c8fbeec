// Start-up: the time from the start of the process to the login window painted, through the
// program's own start-up (runProgram: every window and the data module created in order, the
// main window shown, its show handler running the login), and the peak memory at that moment.

#include "app/startup.h"
#include "app/login.h"
#include "bench/bench.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMessageBox>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

namespace corvalen::bench {

namespace {

constexpr qint64 second = 1000000000;

// The child ends by itself at this time: if the login window has not been painted by then,
// with an error; once it has, after a grace period for a clean exit.
std::atomic<qint64> deadline{0};
std::atomic<bool> reported{false};

void fail(const QString& error) {
    if (reported.exchange(true))
        return;
    print({{"error", error}});
    std::_Exit(3);
}

// Watches every event of the application for the first paint of a login window, and for a
// message box shown before it (a start-up failure, which no one would answer).
class LoginWatch : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (painted_)
            return false;
        if (event->type() == QEvent::Show) {
            if (auto* box = qobject_cast<QMessageBox*>(watched))
                fail(QStringLiteral("message at start-up: ") + box->text());
        } else if (event->type() == QEvent::Paint && qobject_cast<TForm3*>(watched)) {
            painted_ = true;
            // Queued behind the rest of this paint, so the whole window is on the screen.
            QTimer::singleShot(0, [] {
                const qint64 now = monotonicNs();
                if (reported.exchange(true))
                    return;
                print({{"painted_ns", QString::number(now)}, {"peak_rss_mb", peakRssMb()}});
                deadline = now + 10 * second;
                QCoreApplication::exit(0);
            });
        }
        return false;
    }

private:
    bool painted_ = false;
};

void installWatch() {
    QCoreApplication::instance()->installEventFilter(new LoginWatch);
}

double rounded(double value) {
    return std::round(value * 10) / 10;
}

} // namespace

int startupChild(int argc, char** argv) {
    deadline = monotonicNs() + 60 * second;
    std::thread([] {
        while (monotonicNs() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (!reported)
            fail(QStringLiteral("the login window was not shown within 60 s"));
        std::_Exit(0);
    }).detach();
    // Runs inside the application object's constructor, before any window exists.
    qAddPreRoutine(installWatch);
    return runProgram(argc, argv);
}

bool startupBenchmark(const Scale& scale, const Options& options) {
    std::vector<double> ms;
    std::vector<double> rss;
    for (int run = 0; run < options.runs; ++run) {
        qint64 started = 0;
        const QJsonObject result = runChild(QStringLiteral("startup"), scale, options, &started);
        if (result.contains("error")) {
            print({{"bench", "startup"}, {"scale", scale.name}, {"error", result["error"]}});
            return false;
        }
        ms.push_back(double(result["painted_ns"].toString().toLongLong() - started) / 1e6);
        rss.push_back(result["peak_rss_mb"].toDouble());
    }
    print({{"bench", "startup"},
           {"scale", scale.name},
           {"ms", rounded(median(ms))},
           {"peak_rss_mb", rounded(median(rss))},
           {"runs", options.runs},
           {"min_ms", rounded(*std::min_element(ms.begin(), ms.end()))},
           {"max_ms", rounded(*std::max_element(ms.begin(), ms.end()))}});
    return true;
}

} // namespace corvalen::bench
