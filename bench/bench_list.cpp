// SPDX-License-Identifier: GPL-3.0-or-later
// almarik-list's listing over 100,000 events: the read of the three columns
// it shows through the month list's rules, the sort and the text it prints,
// against the floor of a bare SQLite scan with the same anniversary filter
// in plain C++. Ends with "ratio list-vs-floor VALUE".

#include "BenchSupport.h"
#include "listing/ListFormat.h"
#include "listing/ListRows.h"
#include "platform/AppError.h"
#include "store/Connection.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

const QDate kToday(2026, 12, 5);

QString g_path;

void BM_List(benchmark::State &state)
{
    Connection db;
    db.Open(g_path, Connection::Access::ReadOnly);
    const MonthListRules rules(kToday, false);
    size_t listed = 0;
    for (auto _ : state) {
        const std::vector<MonthRow> rows = readListedRows(db, rules, [](const AppError &) {});
        const QByteArray text = formatListedRows(rows, ListFormat::Text);
        benchmark::DoNotOptimize(text.constData());
        listed = rows.size();
    }
    state.counters["listed"] = double(listed);
}

// The read alone, without the text.
void BM_ListRows(benchmark::State &state)
{
    Connection db;
    db.Open(g_path, Connection::Access::ReadOnly);
    const MonthListRules rules(kToday, false);
    for (auto _ : state)
        benchmark::DoNotOptimize(readListedRows(db, rules, [](const AppError &) {}).size());
}

void BM_ScanFloor(benchmark::State &state)
{
    runScanFloor(state, g_path, kToday);
}

} // namespace

BENCHMARK(BM_List)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanFloor)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir home;
    g_path = home.filePath(QStringLiteral("bench.mdb"));
    makeEventDatabase(g_path);

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double list = reporter.ms("BM_List");
    const double floor = reporter.ms("BM_ScanFloor");
    std::printf("list %.2f ms (rows %.2f ms of it), floor %.2f ms\n", list,
                reporter.ms("BM_ListRows"), floor);
    reporter.printRatio("list-vs-floor", "BM_List", "BM_ScanFloor");
    return 0;
}
