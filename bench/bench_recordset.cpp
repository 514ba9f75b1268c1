// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the whole event table through a RecordSet (opened anew, and
// requeried), against a bare SQLite scan of the same rows in the same run;
// and a Filter over the set against the same query in bare SQLite. The
// last lines are the ratios.

#include "BenchSupport.h"
#include "store/Connection.h"
#include "store/RecordSet.h"
#include "store/Repair.h"

#include <QDate>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <ctime>
#include <map>
#include <string>

namespace {

QString g_path;

// (a) The floor: step through Calendar reading each column as SQLite has it.
int scanOnce(sqlite3 *db)
{
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, "SELECT Dates, Icon, Description, Details, ShowOnce FROM Calendar", -1,
                       &st, nullptr);
    qint64 sum = 0;
    int rows = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < 4; ++c) {
            const unsigned char *text = sqlite3_column_text(st, c);
            const int bytes = sqlite3_column_bytes(st, c);
            benchmark::DoNotOptimize(text);
            sum += bytes;
        }
        sum += sqlite3_column_int64(st, 4);
        ++rows;
    }
    sqlite3_finalize(st);
    benchmark::DoNotOptimize(sum);
    return rows;
}

// (b) The program's way: a MoveFirst..EOF pass reading every field by name.
int readAll(RecordSet &rs)
{
    static const QString dates = QStringLiteral("Dates");
    static const QString icon = QStringLiteral("icon");
    static const QString description = QStringLiteral("Description");
    static const QString details = QStringLiteral("Details");
    static const QString showOnce = QStringLiteral("ShowOnce");
    qint64 sum = 0;
    int rows = 0;
    for (rs.MoveFirst(); !rs.isEOF(); rs.MoveNext()) {
        sum += rs.Fields(dates).toDate().day();
        sum += rs.Fields(icon).toString().size();
        sum += rs.Fields(description).toString().size();
        sum += rs.Fields(details).toString().size();
        sum += rs.Fields(showOnce).toBool() ? 1 : 0;
        ++rows;
    }
    benchmark::DoNotOptimize(sum);
    return rows;
}

void openAll(RecordSet &rs, Connection &connection)
{
    rs.Open(QStringLiteral("SELECT * FROM Calendar"), connection, adOpenDynamic, adLockOptimistic);
}

void BM_BareScan(benchmark::State &state)
{
    // Opened as Connection opens its file, without SQLite's own mutex, so
    // that the floor is not raised by locking the record set never does.
    sqlite3 *db = nullptr;
    sqlite3_open_v2(g_path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                    nullptr);
    for (auto _ : state) {
        if (scanOnce(db) != kBenchEvents)
            state.SkipWithError("wrong row count");
    }
    sqlite3_close(db);
}

// A new set each time, as the editor opens one.
void BM_RecordSet(benchmark::State &state)
{
    Connection connection;
    connection.Open(Connection::connectionStringFor(g_path));
    for (auto _ : state) {
        RecordSet rs;
        openAll(rs, connection);
        if (readAll(rs) != kBenchEvents)
            state.SkipWithError("wrong row count");
    }
}

// One set read again after a change, as the editor's set is after a write
// (with nothing changed a Requery reads nothing).
void BM_Requery(benchmark::State &state)
{
    Connection connection;
    connection.Open(Connection::connectionStringFor(g_path));
    RecordSet rs;
    rs.setCursorLocation(adUseClient);
    openAll(rs, connection);
    for (auto _ : state) {
        state.PauseTiming();
        sqlite3_exec(connection.handle(), "UPDATE Calendar SET ShowOnce = ShowOnce WHERE rowid = 1",
                     nullptr, nullptr, nullptr);
        state.ResumeTiming();
        rs.Requery();
        if (readAll(rs) != kBenchEvents)
            state.SkipWithError("wrong row count");
    }
}

// The editor's filter as a user types it, and the same rows asked of bare
// SQLite (its LIKE and its NOCASE column ignore ASCII case).
const QString kCriteria = QStringLiteral("Description like '*a*' and icon = 'birthday'");

void BM_BareFilter(benchmark::State &state)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(g_path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                    nullptr);
    for (auto _ : state) {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT rowid FROM Calendar WHERE Description LIKE '%a%' AND icon = "
                           "'birthday'",
                           -1, &st, nullptr);
        qint64 rows = 0;
        while (sqlite3_step(st) == SQLITE_ROW)
            rows += sqlite3_column_int64(st, 0) > 0;
        sqlite3_finalize(st);
        state.counters["rows"] = double(rows);
    }
    sqlite3_close(db);
}

void BM_Filter(benchmark::State &state)
{
    Connection connection;
    connection.Open(Connection::connectionStringFor(g_path));
    RecordSet rs;
    openAll(rs, connection);
    for (auto _ : state) {
        rs.setFilter(kCriteria);
        state.counters["rows"] = rs.RecordCount();
        rs.setFilter(QString());
    }
}

double cpuMilliseconds()
{
    timespec t = {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) * 1e-6;
}

// The first read in a fresh process: nothing cached, all memory new. One
// run, so a rough figure beside the averages below.
void reportFirstRead()
{
    Connection connection;
    connection.Open(Connection::connectionStringFor(g_path));
    const double start = cpuMilliseconds();
    scanOnce(connection.handle());
    const double scanned = cpuMilliseconds();
    RecordSet rs;
    openAll(rs, connection);
    readAll(rs);
    const double read = cpuMilliseconds();
    std::printf("first read in this process: scan %.2f ms, recordset %.2f ms (%.2f times)\n",
                scanned - start, read - scanned, (read - scanned) / (scanned - start));
}

BENCHMARK(BM_BareScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordSet)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Requery)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareFilter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Filter)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    g_path = dir.filePath(QStringLiteral("Almarik.MDB"));
    makeEventDatabase(g_path);
    reportFirstRead();

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double scan = reporter.ms("BM_BareScan");
    const double records = reporter.ms("BM_RecordSet");
    const double requery = reporter.ms("BM_Requery");
    if (scan <= 0 || records <= 0 || requery <= 0)
        return 1;
    std::printf("scan %.2f ms\nrecordset %.2f ms\nrequery %.2f ms\n", scan, records, requery);
    reporter.printRatio("requery-vs-scan", "BM_Requery", "BM_BareScan");
    reporter.printRatio("recordset-vs-scan", "BM_RecordSet", "BM_BareScan");
    reporter.printRatio("filter-vs-bare-filter", "BM_Filter", "BM_BareFilter");
    return 0;
}
