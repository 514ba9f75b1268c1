// SPDX-License-Identifier: GPL-3.0-or-later
// The window's start-up as a user waits for it: a process of its own, from
// its start to the month list shown and painted, over 100,000 and
// 1,000,000 events. The floor is a process that scans, filters and sorts
// the same events with bare SQLite and shows them in a QTableView. Both
// are timed as the child's processor time (user + system), alternated run
// by run, and the child's peak memory is kept. Ends with
// "ratio startup-vs-floor-N" lines.

#include "BenchSupport.h"
#include "FloorModel.h"
#include "app/Application.h"
#include "app/Main.h"
#include "app/MonthGrid.h"

#include <QApplication>
#include <QTableView>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int runFloor(int argc, char **argv)
{
    QApplication app(argc, argv);
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(argv[2], &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return 2;
    FloorModel model(2);
    for (const auto &[days, description] : scanFloorRows(db, QDate::currentDate())) {
        model.add(std::to_string(days));
        model.add(description);
    }
    sqlite3_close(db);
    QTableView view;
    view.setModel(&model);
    view.resize(800, 600);
    view.show();
    QCoreApplication::processEvents();
    benchmark::DoNotOptimize(view.grab());
    // The wait ends with the painted window: leaving is not timed.
    std::_Exit(model.rowCount() > 0 ? 0 : 3);
}

// As the program's main runs it, up to the shown and painted window.
int runProgram(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Almarik2"));
    Application shared;
    Main window(shared.db(), shared.prompts(), shared.clock());
    if (!window.Form_Load({QString::fromLocal8Bit(argv[2])}))
        return 2;
    window.show();
    QCoreApplication::processEvents();
    benchmark::DoNotOptimize(window.grab());
    std::_Exit(window.Grid->Rows() > 1 ? 0 : 3);
}

struct ChildRun
{
    double cpuMs = 0;
    long peakKb = 0;
    bool ok = false;
};

// This program again in the given mode over the database.
ChildRun runChild(const char *mode, const std::string &database)
{
    ChildRun run;
    const pid_t pid = fork();
    if (pid == 0) {
        execl("/proc/self/exe", "bench_startup", mode, database.c_str(), nullptr);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid)
        return run;
    const auto ms = [](const timeval &t) { return double(t.tv_sec) * 1e3 + t.tv_usec / 1e3; };
    run.cpuMs = ms(usage.ru_utime) + ms(usage.ru_stime);
    run.peakKb = usage.ru_maxrss;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

std::map<int, std::string> g_databases; // by event count

struct Totals
{
    double program = 0, floor = 0;
    long programPeakKb = 0, floorPeakKb = 0;
};
std::map<int, Totals> g_totals;

// One program start and one floor start an iteration; the iteration's time
// is the program's.
void BM_Startup(benchmark::State &state)
{
    const int events = int(state.range(0));
    Totals &totals = g_totals[events];
    for (auto _ : state) {
        const ChildRun program = runChild("--program", g_databases[events]);
        const ChildRun floor = runChild("--floor", g_databases[events]);
        if (!program.ok || !floor.ok) {
            state.SkipWithError("a start-up failed");
            break;
        }
        totals.program += program.cpuMs;
        totals.floor += floor.cpuMs;
        totals.programPeakKb = std::max(totals.programPeakKb, program.peakKb);
        totals.floorPeakKb = std::max(totals.floorPeakKb, floor.peakKb);
        state.SetIterationTime(program.cpuMs / 1e3);
    }
}

} // namespace

BENCHMARK(BM_Startup)
    ->Arg(100000)
    ->Arg(1000000)
    ->UseManualTime()
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && std::strcmp(argv[1], "--floor") == 0)
        return runFloor(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--program") == 0)
        return runProgram(argc, argv);

    // The children's settings and data live here, never in the user's.
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toUtf8());
    qputenv("XDG_CONFIG_DIRS", home.filePath(QStringLiteral("etc")).toUtf8());
    for (int events : {100000, 1000000}) {
        const QString path = home.filePath(QStringLiteral("events-%1.mdb").arg(events));
        makeEventDatabase(path, events);
        g_databases[events] = path.toStdString();
    }

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    for (const auto &[events, totals] : g_totals) {
        if (totals.floor <= 0)
            continue;
        std::printf("%d events: start-up peak %ld MB, floor peak %ld MB\n", events,
                    totals.programPeakKb / 1024, totals.floorPeakKb / 1024);
        std::printf("ratio startup-vs-floor-%d %.2f\n", events, totals.program / totals.floor);
    }
    return 0;
}
