// SPDX-License-Identifier: GPL-3.0-or-later
// The month list fill over 100,000 events: FillEventGrid into a real Grid
// (each fill reads the table again) against the floor of a bare SQLite scan
// with the same anniversary filter in plain C++. Ends with
// "ratio fill-vs-scan VALUE".

#include "BenchSupport.h"
#include "app/Main.h"
#include "app/MonthGrid.h"
#include "platform/AppError.h"
#include "startup/MonthList.h"
#include "startup/StartupSettings.h"
#include "store/Repair.h"
#include "store/SharedDb.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

const QDate kToday(2026, 12, 5);

Main *g_main = nullptr;
QString g_path;

void BM_FillEventGrid(benchmark::State &state)
{
    for (auto _ : state) {
        g_main->FillEventGrid();
        benchmark::DoNotOptimize(g_main->Grid->Rows());
    }
    state.counters["listed"] = g_main->Grid->Rows() - 1;
}

// The fill's read alone: the month rows, without the grid.
void BM_ReadMonthList(benchmark::State &state)
{
    size_t listed = 0;
    for (auto _ : state)
        listed = readMonthList(sharedDb().rsMonth, kToday, false, [](const AppError &) {}).size();
    state.counters["listed"] = double(listed);
}

void BM_ScanFloor(benchmark::State &state)
{
    runScanFloor(state, g_path, kToday);
}

} // namespace

BENCHMARK(BM_FillEventGrid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadMonthList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanFloor)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SharedDb shared;
    setSharedDb(&shared);
    benchmark::Initialize(&argc, argv);

    g_path = home.filePath(QStringLiteral("bench.mdb"));
    makeEventDatabase(g_path);
    sharedDb().dbConnection.Open(g_path);
    sharedDb().rsMonth.Open(QStringLiteral("SELECT * FROM calendar"), sharedDb().dbConnection,
                            adOpenDynamic, adLockOptimistic);
    for (size_t i = 0; i < 6; ++i)
        ColourTable[i] = QString::number(kDefaultColours[i]);
    TodayDate = kToday;
    Main window;
    window.resize(800, 600);
    window.show();
    g_main = &window;

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double fill = reporter.ms("BM_FillEventGrid");
    const double scan = reporter.ms("BM_ScanFloor");
    std::printf("fill %.2f ms (the read %.2f ms of it), scan %.2f ms\n", fill,
                reporter.ms("BM_ReadMonthList"), scan);
    reporter.printRatio("fill-vs-scan", "BM_FillEventGrid", "BM_ScanFloor");
    sharedDb().rsMonth.Close();
    sharedDb().dbConnection.Close();
    return 0;
}
