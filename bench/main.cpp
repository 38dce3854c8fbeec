// corvalen-bench: the program's benchmarks, one JSON object per line on standard output.
//
//   corvalen-bench [--runs N] --scale NAME=APPDATA [--scale NAME=APPDATA ...] [BENCH ...]
//
// APPDATA is the common application-data folder holding the scale's data folder
// (APPDATA/Talvane/Corvalen). Without BENCH names every benchmark runs. bench/run builds the
// synthetic clinics and calls this.

#include "bench/bench.h"

#include <QCoreApplication>
#include <QDir>
#include <cstring>

using namespace corvalen::bench;

namespace {

// Adding a benchmark: write its parent and child functions and add a line to each table.
struct NamedBenchmark {
    const char* name;
    Benchmark run;
    bool perScale = true; // false: run once, on the first scale
};
const NamedBenchmark benchmarks[] = {
    {"startup", startupBenchmark},
    {"search", searchBenchmark},
    {"reports", reportsBenchmark},
    {"backup", backupBenchmark},
    {"consultation", consultationBenchmark},
    {"pictures", picturesBenchmark, false},
};

struct NamedChild {
    const char* name;
    ChildRoutine run;
};
const NamedChild children[] = {
    {"startup", startupChild},
    {"search", searchChild},
    {"report_layout_one_year", reportLayoutYearChild},
    {"report_layout_all", reportLayoutAllChild},
    {"report_first_page", reportFirstPageChild},
    {"prescription", prescriptionChild},
    {"backup", backupChild},
    {"restore_verify", restoreVerifyChild},
    {"consultation", consultationChild},
    {"pictures", picturesChild},
};

int usage(const QString& problem) {
    print({{"error", problem}});
    std::fputs("uso: corvalen-bench [--runs N] --scale NOME=PASTA [...] [BENCH ...]\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    // A child process runs the program itself: nothing of Qt may exist before it starts.
    if (argc >= 3 && std::strcmp(argv[1], "--child") == 0) {
        for (const NamedChild& child : children) {
            if (std::strcmp(argv[2], child.name) == 0)
                return child.run(argc, argv);
        }
        return 2;
    }

    QCoreApplication app(argc, argv);
    Options options;
    options.programFolder = QCoreApplication::applicationDirPath();
    std::vector<Scale> scales;
    QStringList wanted;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == "--runs" && i + 1 < args.size()) {
            options.runs = args.at(++i).toInt();
            if (options.runs < 1)
                return usage("--runs needs a positive number");
        } else if (arg == "--scale" && i + 1 < args.size()) {
            const QString value = args.at(++i);
            const qsizetype equals = value.indexOf('=');
            if (equals <= 0)
                return usage("--scale needs NAME=APPDATA");
            scales.push_back({value.left(equals), QDir(value.mid(equals + 1)).absolutePath()});
        } else {
            wanted << arg;
        }
    }
    if (scales.empty())
        return usage("no --scale given");
    for (const QString& name : wanted) {
        if (std::none_of(std::begin(benchmarks), std::end(benchmarks),
                         [&](const NamedBenchmark& b) { return name == b.name; }))
            return usage("unknown benchmark: " + name);
    }

    bool ok = true;
    for (const NamedBenchmark& benchmark : benchmarks) {
        if (!wanted.isEmpty() && !wanted.contains(benchmark.name))
            continue;
        for (const Scale& scale : scales) {
            setEngine(scale);
            ok = benchmark.run(scale, options) && ok;
            if (!benchmark.perScale)
                break;
        }
    }
    return ok ? 0 : 1;
}
