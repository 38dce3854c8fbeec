// The patient list's incremental search: the time to show the window (its re-query), and the
// time from a keystroke in its search box to the grid repainted with the narrowed list, for
// one-, two- and three-character texts and for clearing the box. Then the same narrowings are
// done the way a database-backed program would: an SQLite query with a prefix condition on
// the four columns, its rows read into memory; both answers are compared. The two ways run
// in separate passes: a query between two keystrokes reads through the whole table and would
// leave the next keystroke with cold processor caches, which no typist causes.

#include "app/application.h"
#include "app/startup.h"
#include "bench/bench.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "db/dm2.h"
#include "db/engine.h"
#include "db/widgets/dbgrid.h"
#include "platform/messages.h"
#include "registers/patient_list.h"

#include <QJsonArray>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSqlError>
#include <QSqlQuery>
#include <cmath>
#include <map>

namespace corvalen::bench {

namespace {

// Beginnings a receptionist types: names, a telephone's area code, codes.
const char* const searches[] = {"mar", "ana", "jos", "fer", "sil", "car", "pau", "rob",
                                "lui", "ped", "ale", "ros", "ant", "jul", "bea", "cla",
                                "edu", "gab", "(19", "123", "uni", "par", "hel", "tha"};

double rounded(double value) {
    return std::round(value * 100) / 100;
}

double percentile95(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(std::ceil(values.size() * 0.95)) - 1)];
}

// Counts the paints of a widget, to know the grid has been repainted.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

// Runs the event loop's pending work until the grid has painted (repainting it if the loop
// did not).
void untilPainted(QWidget* viewport, const PaintCounter& counter, int before) {
    for (int i = 0; i < 10 && counter.paints == before; ++i)
        QCoreApplication::processEvents();
    if (counter.paints == before)
        viewport->repaint();
}

void key(QWidget* target, Qt::Key k, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QCoreApplication::sendEvent(target, &release);
}

Qt::Key keyOf(QChar c) {
    if (c >= 'a' && c <= 'z')
        return Qt::Key(Qt::Key_A + (c.unicode() - 'a'));
    if (c >= '0' && c <= '9')
        return Qt::Key(Qt::Key_0 + (c.unicode() - '0'));
    return Qt::Key_unknown;
}

void fail(const QString& error) {
    print({{"error", error}});
    std::_Exit(3);
}

// The database-backed way: one query per keystroke. LIKE ignores the case of a to z only, as
// the program's search does (on the server, whose text columns refuse LIKE, ILIKE on their exact
// comparison). Returns the number of rows read.
int sqliteNarrowing(const QString& text) {
    QSqlDatabase db = Dm2->ADOConnection1->database();
    QSqlQuery query(db);
    query.setForwardOnly(true);
    const QString like = db::engine::isServer(db) ? QStringLiteral(" COLLATE \"C\" ilike ")
                                                  : QStringLiteral(" like ");
    if (text.isEmpty()) {
        query.prepare(QStringLiteral("select inscricao, nome, tel, plano from Pacientes "
                                     "order by nome"));
    } else {
        QStringList terms;
        for (const char* column : {"cast(inscricao as text)", "nome", "tel", "plano"})
            terms << QLatin1String(column) + like + QStringLiteral("? escape '\\'");
        query.prepare(QStringLiteral("select inscricao, nome, tel, plano from Pacientes where ") +
                      terms.join(QStringLiteral(" or ")) + QStringLiteral(" order by nome"));
        QString pattern = text;
        pattern.replace('\\', "\\\\").replace('%', "\\%").replace('_', "\\_");
        for (int i = 0; i < 4; ++i)
            query.addBindValue(pattern + '%');
    }
    if (!query.exec())
        fail(QStringLiteral("sqlite: ") + query.lastError().text());
    int rows = 0;
    QVariant sink;
    while (query.next()) {
        for (int i = 0; i < 4; ++i)
            sink = query.value(i);
        ++rows;
    }
    return rows;
}

} // namespace

int searchChild(int argc, char** argv) {
    Application app(argc, argv);
    messages::setHook([](const messages::Shown& shown) -> messages::Answer {
        fail(QStringLiteral("message: ") + shown.text);
        return messages::Answer::Ok;
    });
    createWindows();
    TForm8* list = Form8;
    QWidget* viewport = list->DBGrid1->viewport();
    PaintCounter counter;
    viewport->installEventFilter(&counter);

    // Showing the window: its show handler re-queries, then the window paints.
    std::vector<double> show;
    for (int i = 0; i < 3; ++i) {
        list->hide();
        QCoreApplication::processEvents();
        const int before = counter.paints;
        const qint64 started = monotonicNs();
        list->show();
        untilPainted(viewport, counter, before);
        show.push_back(msSince(started));
    }

    // Keystrokes: 1, 2, 3 characters, then clearing the box (index 0).
    std::map<int, std::vector<double>> ours;
    std::map<int, std::vector<double>> oursCpu;
    struct Narrowing {
        int chars;
        QString text;
        int rows;
    };
    std::vector<Narrowing> narrowings;
    const auto measure = [&](int chars, const std::function<void()>& keystroke) {
        const int before = counter.paints;
        const qint64 started = monotonicNs();
        const qint64 startedCpu = threadCpuNs();
        keystroke();
        untilPainted(viewport, counter, before);
        ours[chars].push_back(msSince(started));
        oursCpu[chars].push_back(cpuMsSince(startedCpu));
        narrowings.push_back({chars, list->Edit1->text(), list->DBGrid1->model()->rowCount()});
    };
    for (const char* search : searches) {
        const QString text = QString::fromLatin1(search);
        for (int n = 1; n <= text.size(); ++n) {
            const QChar c = text.at(n - 1);
            measure(n, [&] { key(list->Edit1, keyOf(c), QString(c)); });
        }
        list->Edit1->selectAll();
        measure(0, [&] { key(list->Edit1, Qt::Key_Backspace, QString()); });
    }

    // The database-backed way, for the same texts.
    std::map<int, std::vector<double>> sqlite;
    std::map<int, std::vector<double>> sqliteCpu;
    int disagreements = 0;
    for (const Narrowing& n : narrowings) {
        const qint64 queried = monotonicNs();
        const qint64 queriedCpu = threadCpuNs();
        const int rows = sqliteNarrowing(n.text);
        sqlite[n.chars].push_back(msSince(queried));
        sqliteCpu[n.chars].push_back(cpuMsSince(queriedCpu));
        disagreements += rows != n.rows;
    }

    Line result = {{"show_ms", QJsonArray{show[0]}},
                   {"again_ms", QJsonArray{show[1], show[2]}},
                   {"rows", list->DBGrid1->model()->rowCount()},
                   {"disagreements", disagreements}};
    const auto array = [](const std::vector<double>& values) {
        QJsonArray a;
        for (double v : values)
            a.append(v);
        return a;
    };
    for (int chars = 0; chars <= 3; ++chars) {
        result.emplace_back(QStringLiteral("ours%1").arg(chars), array(ours[chars]));
        result.emplace_back(QStringLiteral("ourscpu%1").arg(chars), array(oursCpu[chars]));
        result.emplace_back(QStringLiteral("sqlite%1").arg(chars), array(sqlite[chars]));
        result.emplace_back(QStringLiteral("sqlitecpu%1").arg(chars), array(sqliteCpu[chars]));
    }
    print(result);
    std::_Exit(0);
}

bool searchBenchmark(const Scale& scale, const Options& options) {
    std::vector<double> show;
    std::vector<double> again;
    // Samples by name ("ours1", "sqlitecpu0", ...).
    std::map<QString, std::vector<double>> samples;
    int disagreements = 0;
    int rows = 0;
    for (int run = 0; run < options.runs; ++run) {
        qint64 started = 0;
        const QJsonObject result = runChild(QStringLiteral("search"), scale, options, &started);
        if (result.contains("error")) {
            print(
                {{"bench", "search_keystroke"}, {"scale", scale.name}, {"error", result["error"]}});
            return false;
        }
        for (const QJsonValue v : result["show_ms"].toArray())
            show.push_back(v.toDouble());
        for (const QJsonValue v : result["again_ms"].toArray())
            again.push_back(v.toDouble());
        for (auto it = result.begin(); it != result.end(); ++it) {
            if (it.key().startsWith("ours") || it.key().startsWith("sqlite")) {
                for (const QJsonValue v : it.value().toArray())
                    samples[it.key()].push_back(v.toDouble());
            }
        }
        disagreements += result["disagreements"].toInt();
        rows = result["rows"].toInt();
    }
    for (int chars : {1, 2, 3, 0}) {
        const auto of = [&](const char* name) { return samples[name + QString::number(chars)]; };
        const double mine = median(of("ours"));
        const double theirs = median(of("sqlite"));
        Line line = {{"bench", "search_keystroke"}, {"scale", scale.name}, {"chars", chars}};
        if (chars == 0)
            line.emplace_back("clear", true);
        line.insert(line.end(), {{"median_ms", rounded(mine)},
                                 {"p95_ms", rounded(percentile95(of("ours")))},
                                 {"cpu_median_ms", rounded(median(of("ourscpu")))},
                                 {"sqlite_median_ms", rounded(theirs)},
                                 {"sqlite_cpu_median_ms", rounded(median(of("sqlitecpu")))},
                                 {"sqlite_ratio", mine > 0 ? rounded(theirs / mine) : 0.0},
                                 {"samples", int(of("ours").size())}});
        print(line);
    }
    print({{"bench", "patient_list_show"},
           {"scale", scale.name},
           {"ms", rounded(median(show))},
           {"again_ms", rounded(median(again))},
           {"rows", rows},
           {"runs", options.runs},
           {"search_disagreements", disagreements}});
    return disagreements == 0;
}

} // namespace corvalen::bench
