// The month list fill over 100,000 events: FillEventGrid into a real Grid
// against the floor of a bare SQLite scan with the same anniversary filter
// in plain C++. Ends with "ratio fill-vs-scan VALUE".

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
#include <sqlite3.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>

namespace {

const QDate kToday(2026, 12, 5);

Main *g_main = nullptr;
QString g_path;

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
long daysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * unsigned(m + (m > 2 ? -3 : 9)) + 2) / 5 + unsigned(d) - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + long(doe) - 719468;
}

bool leap(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

long anniversary(int year, int m, int d)
{
    if (m == 2 && d == 29 && !leap(year))
        d = 28;
    return daysFromCivil(year, m, d);
}

void BM_FillEventGrid(benchmark::State &state)
{
    for (auto _ : state) {
        g_main->FillEventGrid();
        benchmark::DoNotOptimize(g_main->Grid->Rows());
    }
    state.counters["listed"] = g_main->Grid->Rows() - 1;
}

// The parts of the fill: reading the record set again, and the month rows.
void BM_Requery(benchmark::State &state)
{
    for (auto _ : state)
        sharedDb().rsMonth.Requery();
}

void BM_ReadMonthList(benchmark::State &state)
{
    size_t listed = 0;
    for (auto _ : state)
        listed = readMonthList(sharedDb().rsMonth, kToday, false, [](const AppError &) {}).size();
    state.counters["listed"] = double(listed);
}

void BM_ScanFloor(benchmark::State &state)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(g_path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const long today = daysFromCivil(kToday.year(), kToday.month(), kToday.day());
    long listed = 0;
    for (auto _ : state) {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, "SELECT * FROM Calendar", -1, &st, nullptr);
        std::vector<std::pair<long, std::string>> rows;
        while (sqlite3_step(st) == SQLITE_ROW) {
            const char *t = reinterpret_cast<const char *>(sqlite3_column_text(st, 0));
            // "yyyy-mm-dd", as the store keeps dates.
            const int m = (t[5] - '0') * 10 + (t[6] - '0');
            const int d = (t[8] - '0') * 10 + (t[9] - '0');
            long days = anniversary(kToday.year(), m, d) - today;
            if (days < -334 && days > -366)
                days = anniversary(kToday.year() + 1, m, d) - today;
            if (days < 31 && days > -1)
                rows.emplace_back(days, reinterpret_cast<const char *>(sqlite3_column_text(st, 2)));
        }
        sqlite3_finalize(st);
        std::stable_sort(rows.begin(), rows.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        listed = long(rows.size());
        benchmark::DoNotOptimize(rows.data());
    }
    sqlite3_close(db);
    state.counters["listed"] = double(listed);
}

} // namespace

BENCHMARK(BM_FillEventGrid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Requery)->Unit(benchmark::kMillisecond);
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
    std::printf("fill %.2f ms (requery %.2f ms of it), scan %.2f ms\n", fill,
                reporter.ms("BM_Requery"), scan);
    std::printf("ratio fill-vs-scan %.2f\n", scan > 0 ? fill / scan : 0.0);
    sharedDb().rsMonth.Close();
    sharedDb().dbConnection.Close();
    return 0;
}
