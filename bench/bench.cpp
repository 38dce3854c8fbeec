#include "bench/bench.h"

#include <QFileInfo>

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>

namespace corvalen::bench {

qint64 monotonicNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

double msSince(qint64 startNs) {
    return double(monotonicNs() - startNs) / 1e6;
}

qint64 threadCpuNs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

double cpuMsSince(qint64 startNs) {
    return double(threadCpuNs() - startNs) / 1e6;
}

double peakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0; // kilobytes on Linux
}

QJsonObject runChild(const QString& child, const Scale& scale, const Options& options,
                     qint64* startedNs) {
    QProcess process;
    process.setProgram(QCoreApplication::applicationFilePath());
    process.setArguments({QStringLiteral("--child"), child});
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("CORVALEN_COMMON_APPDATA"), scale.appData);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(options.programFolder);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    *startedNs = monotonicNs();
    process.start();
    if (!process.waitForFinished(180000)) {
        process.kill();
        process.waitForFinished();
    }
    QJsonObject result;
    for (const QByteArray& line : process.readAllStandardOutput().split('\n')) {
        const QJsonDocument document = QJsonDocument::fromJson(line.trimmed());
        if (document.isObject())
            result = document.object();
    }
    if (result.isEmpty())
        result.insert("error", QStringLiteral("the child process printed no result (exit %1)")
                                   .arg(process.exitCode()));
    return result;
}

namespace {
QString currentEngine; // set by the parent for the scale being measured
}

void setEngine(const Scale& scale) {
    // A clinic on the server is a data folder that holds servidor.cfg.
    currentEngine =
        QFileInfo::exists(scale.appData + QStringLiteral("/Talvane/Corvalen/servidor.cfg"))
            ? QStringLiteral("postgres")
            : QStringLiteral("sqlite");
}

void print(const Line& given) {
    // The parent's lines name the engine after the scale.
    Line line;
    for (const auto& member : given) {
        line.push_back(member);
        if (member.first == QLatin1String("scale") && !currentEngine.isEmpty())
            line.emplace_back(QStringLiteral("engine"), currentEngine);
    }
    // A value as JSON writes it inside an array, without the brackets.
    auto json = [](const QJsonValue& value) {
        const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
        return array.mid(1, array.size() - 2);
    };
    QByteArray text = "{";
    for (const auto& [name, value] : line) {
        if (text.size() > 1)
            text += ", ";
        text += json(name) + ": " + json(value);
    }
    text += "}\n";
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    std::fflush(stdout);
}

double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace corvalen::bench
