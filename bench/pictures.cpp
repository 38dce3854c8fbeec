// Pictures: what decoding a metafile in the corvalen-metafile helper process costs against
// decoding it inside the program, for a metafile with texts and shapes of each kind and for an
// almost empty one (the cost of the process itself); and the time to open a 48-megapixel phone
// photo, which is decoded at a reduced size. Runs in a child process (the drawing needs a GUI
// application), once: it depends on no clinic.

#include "tests/support/pictures.h"
#include "bench/bench.h"
#include "metafile/metafile.h"
#include "platform/error.h"
#include "platform/picture.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cmath>
#include <functional>
#include <sys/resource.h>

namespace corvalen::bench {

namespace {

// A laboratory chart as an office program writes it: a frame, 24 bars and 24 lines of text
// with accents and symbols, 6 × 4 inches; or the frame alone.
QByteArray chartWmf(bool empty) {
    QList<QByteArray> records{test::wmfRectangle(10, 10, 5990, 3990)};
    if (!empty) {
        records << test::wmfFont(120);
        for (int i = 0; i < 24; ++i) {
            records
                << test::wmfRectangle(200 + i * 240, 3900 - i * 120, 380 + i * 240, 3900)
                << test::wmfText(
                       100, 150 + i * 150,
                       QStringLiteral("Glicose %1 mg/dL (p < 0,05) 37,5 °C µ").arg(i).toLatin1());
        }
    }
    return test::wmf(6000, 4000, records);
}

// The same kind of chart as an enhanced metafile, 1200 × 800 pixels: 24 ellipses.
QByteArray chartEmf() {
    QList<QByteArray> records;
    for (int i = 0; i < 24; ++i)
        records << test::emfEllipse(20 + i * 48, 700 - i * 25, 60 + i * 48, 780);
    return test::emf(QSize(1200, 800), records);
}

// A phone photo of a paper exam: 8000 × 6000 pixels of shaded paper, text lines and noise, as
// a camera's JPEG (about 8 MB).
bool writePhoto(const QString& path) {
    QImage photo(8000, 6000, QImage::Format_RGB32);
    QRandomGenerator random(17);
    for (int y = 0; y < photo.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(photo.scanLine(y));
        for (int x = 0; x < photo.width(); ++x) {
            const int shade = 200 + (x + y) / 400 + int(random.bounded(12));
            line[x] = qRgb(shade, shade - 4, shade - 12);
        }
    }
    QPainter painter(&photo);
    QFont font = painter.font();
    font.setPixelSize(90);
    painter.setFont(font);
    for (int row = 0; row < 40; ++row)
        painter.drawText(600, 500 + row * 130,
                         QStringLiteral("Hemoglobina  13,8 g/dL  (12,0 a 15,5)"));
    painter.end();
    return photo.save(path, "JPEG", 90);
}

double rounded(double value) {
    return std::round(value * 10) / 10;
}

// Processor time of this process and of its finished children, in nanoseconds: on a busy
// machine it says what the work costs better than the clock does.
qint64 cpuNs(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return (qint64(usage.ru_utime.tv_sec) + usage.ru_stime.tv_sec) * 1000000000 +
           (qint64(usage.ru_utime.tv_usec) + usage.ru_stime.tv_usec) * 1000;
}

struct Timing {
    double wallMs = std::nan("");
    double cpuMs = std::nan(""); // this process and its children together
};

// The medians of `runs` timings of `work`; NaN when it failed.
Timing measure(int runs, const std::function<bool()>& work) {
    std::vector<double> wall, cpu;
    for (int i = 0; i < runs; ++i) {
        const qint64 start = monotonicNs();
        const qint64 startCpu = cpuNs(RUSAGE_SELF) + cpuNs(RUSAGE_CHILDREN);
        if (!work())
            return {};
        wall.push_back(double(monotonicNs() - start) / 1e6);
        cpu.push_back(double(cpuNs(RUSAGE_SELF) + cpuNs(RUSAGE_CHILDREN) - startCpu) / 1e6);
    }
    return {rounded(median(wall)), rounded(median(cpu))};
}

bool loads(const QString& path) {
    try {
        return !platform::loadPicture(path).isNull();
    } catch (const Error& e) {
        print({{"error", e.message()}});
        return false;
    }
}

bool decodesInProcess(metafile::Kind kind, const QByteArray& bytes) {
    QString error;
    const QByteArray svg = metafile::toSvg(kind, bytes, &error);
    return !svg.isEmpty() && !metafile::render(svg, &error).isNull();
}

} // namespace

bool picturesBenchmark(const Scale& scale, const Options& options) {
    qint64 started = 0;
    const QJsonObject result = runChild(QStringLiteral("pictures"), scale, options, &started);
    if (result.contains("error")) {
        print({{"bench", "pictures"}, {"error", result.value("error")}});
        return false;
    }
    for (const QString& kind : {QStringLiteral("wmf"), QStringLiteral("emf"),
                                QStringLiteral("wmf_empty"), QStringLiteral("photo_48mp")}) {
        const QJsonObject figures = result.value(kind).toObject();
        Line line{{"bench", "pictures"}, {"scale", kind}};
        for (auto it = figures.begin(); it != figures.end(); ++it)
            line.emplace_back(it.key(), it.value());
        print(line);
    }
    return true;
}

int picturesChild(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const int runs = 15;
    QTemporaryDir dir;
    const QByteArray wmf = chartWmf(false), emptyWmf = chartWmf(true), emf = chartEmf();
    const QString wmfPath = dir.filePath("grafico.wmf"), emptyPath = dir.filePath("vazio.wmf"),
                  emfPath = dir.filePath("grafico.emf"), photoPath = dir.filePath("foto.jpg");
    if (!test::writeFile(wmfPath, wmf) || !test::writeFile(emptyPath, emptyWmf) ||
        !test::writeFile(emfPath, emf) || !writePhoto(photoPath)) {
        print({{"error", "cannot write the pictures"}});
        return 1;
    }

    auto metafileFigures = [&](metafile::Kind kind, const QByteArray& bytes, const QString& path) {
        const Timing inProcess = measure(runs, [&] { return decodesInProcess(kind, bytes); });
        const Timing helper = measure(runs, [&] { return loads(path); });
        return QJsonObject{{"runs", runs},
                           {"in_process_ms", inProcess.wallMs},
                           {"helper_ms", helper.wallMs},
                           {"helper_overhead_ms", rounded(helper.wallMs - inProcess.wallMs)},
                           {"in_process_cpu_ms", inProcess.cpuMs},
                           {"helper_cpu_ms", helper.cpuMs},
                           {"helper_overhead_cpu_ms", rounded(helper.cpuMs - inProcess.cpuMs)}};
    };
    QJsonObject result;
    result["wmf"] = metafileFigures(metafile::Kind::Wmf, wmf, wmfPath);
    result["emf"] = metafileFigures(metafile::Kind::Emf, emf, emfPath);
    result["wmf_empty"] = metafileFigures(metafile::Kind::Wmf, emptyWmf, emptyPath);
    QSize shown;
    const Timing photo = measure(5, [&] {
        shown = platform::loadPicture(photoPath).size();
        return shown.isValid();
    });
    result["photo_48mp"] =
        QJsonObject{{"runs", 5},
                    {"open_ms", photo.wallMs},
                    {"open_cpu_ms", photo.cpuMs},
                    {"decoded", QStringLiteral("%1x%2").arg(shown.width()).arg(shown.height())}};
    for (const QJsonValue& figures : result)
        for (const QJsonValue& value : figures.toObject())
            if (value.isNull() || (value.isDouble() && std::isnan(value.toDouble()))) {
                print({{"error", "a picture failed to load"}});
                return 1;
            }
    Line line;
    for (auto it = result.begin(); it != result.end(); ++it)
        line.emplace_back(it.key(), it.value());
    print(line);
    return 0;
}

} // namespace corvalen::bench
