#pragma once
// The benchmark program's shared pieces. A benchmark runs in the parent process: it starts
// this program again as a child ("--child NAME") for each measurement, on one synthetic
// clinic, and prints one JSON object per line. The child runs the real program start-up with
// hooks that take the measurement, prints it as one JSON object and ends.

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <utility>
#include <vector>

namespace corvalen::bench {

// A synthetic clinic: its name and the common application-data folder that holds it
// (the data folder is then appData/Talvane/Corvalen).
struct Scale {
    QString name;
    QString appData;
};

struct Options {
    int runs = 5;          // measurements per benchmark and scale; the median is reported
    QString programFolder; // the current directory of the program processes
};

// Parent side: measures one scale and prints its lines; false when a measurement failed.
using Benchmark = bool (*)(const Scale& scale, const Options& options);
// Child side: runs inside the fresh process, before any Qt object exists.
using ChildRoutine = int (*)(int argc, char** argv);

// The clock shared by parent and child processes, in nanoseconds.
qint64 monotonicNs();
// Milliseconds on that clock since startNs.
double msSince(qint64 startNs);
// The processor time of this thread, in nanoseconds: the other work on a shared machine
// disturbs it less than the clock.
qint64 threadCpuNs();
double cpuMsSince(qint64 startNs);
// Peak resident memory of this process so far, in MB.
double peakRssMb();

// Starts this program as "--child NAME" with CORVALEN_COMMON_APPDATA naming the scale's
// folder, on the offscreen platform, in the program folder, and waits for it. Returns the
// last JSON object the child printed (with "error" when there is none or the child failed);
// startedNs is the clock just before the process was started.
QJsonObject runChild(const QString& child, const Scale& scale, const Options& options,
                     qint64* startedNs);

// One JSON object, its members in the order given.
using Line = std::vector<std::pair<QString, QJsonValue>>;

// Names the engine of the scale about to be measured ("sqlite", or "postgres" for a data folder
// with servidor.cfg): the lines printed afterwards carry it after their "scale".
void setEngine(const Scale& scale);

// Prints one JSON object as a line on standard output, flushed at once (a child's result
// reaches the parent even if the child is killed afterwards).
void print(const Line& line);

double median(std::vector<double> values);

// The benchmarks.
bool startupBenchmark(const Scale& scale, const Options& options);
int startupChild(int argc, char** argv);
bool searchBenchmark(const Scale& scale, const Options& options);
int searchChild(int argc, char** argv);
bool reportsBenchmark(const Scale& scale, const Options& options);
int reportLayoutYearChild(int argc, char** argv);
int reportLayoutAllChild(int argc, char** argv);
int reportFirstPageChild(int argc, char** argv);
int prescriptionChild(int argc, char** argv);
bool backupBenchmark(const Scale& scale, const Options& options);
int backupChild(int argc, char** argv);
int restoreVerifyChild(int argc, char** argv);
bool consultationBenchmark(const Scale& scale, const Options& options);
int consultationChild(int argc, char** argv);
bool picturesBenchmark(const Scale& scale, const Options& options);
int picturesChild(int argc, char** argv);

} // namespace corvalen::bench
