// Reading the whole event table through a RecordSet, against a bare SQLite
// scan of the same rows in the same run. The last line is the ratio.

#include "store/Connection.h"
#include "store/RecordSet.h"
#include "store/Repair.h"

#include <QDate>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

constexpr int kEvents = 100000;

QString g_path;

// 100,000 events of every type, some with details, some show-once.
void fillDatabase(const QString &path)
{
    CreateDatabase(path);
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO Calendar (Dates, Icon, Description, Details, ShowOnce) "
                       "VALUES (?, ?, ?, ?, ?)",
                       -1, &st, nullptr);
    static const char *const icons[] = {"birthday",  "anniversary", "car_race",
                                        "bike_race", "unknown",     "reminder",
                                        "memorial",  "holiday",     "doctor"};
    const QDate base(1950, 1, 1);
    for (int i = 0; i < kEvents; ++i) {
        const QByteArray date = base.addDays(i % 27000).toString(Qt::ISODate).toUtf8();
        const QByteArray description =
            QStringLiteral("Event number %1 of the year").arg(i).toUtf8();
        const QByteArray details =
            QStringLiteral("Bring a present for guest %1, and a cake").arg(i).toUtf8();
        sqlite3_bind_text(st, 1, date.constData(), int(date.size()), SQLITE_TRANSIENT);
        if (i % 10 == 9)
            sqlite3_bind_null(st, 2);
        else
            sqlite3_bind_text(st, 2, icons[i % 9], -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 3, description.constData(), int(description.size()),
                          SQLITE_TRANSIENT);
        if (i % 3 == 0)
            sqlite3_bind_null(st, 4);
        else
            sqlite3_bind_text(st, 4, details.constData(), int(details.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(st, 5, i % 7 == 0 ? -1 : 0);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

// (a) The floor: step through Calendar reading each column as SQLite has it.
void BM_BareScan(benchmark::State &state)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(g_path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    for (auto _ : state) {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, "SELECT Dates, Icon, Description, Details, ShowOnce FROM Calendar",
                           -1, &st, nullptr);
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
        if (rows != kEvents)
            state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(sum);
    }
    sqlite3_close(db);
}

// (b) The program's way: open the record set and read every field by name.
void BM_RecordSet(benchmark::State &state)
{
    Connection connection;
    connection.Open(Connection::connectionStringFor(g_path));
    const QString dates = QStringLiteral("Dates");
    const QString icon = QStringLiteral("icon");
    const QString description = QStringLiteral("Description");
    const QString details = QStringLiteral("Details");
    const QString showOnce = QStringLiteral("ShowOnce");
    for (auto _ : state) {
        RecordSet rs;
        rs.Open(QStringLiteral("SELECT * FROM Calendar"), connection, adOpenDynamic,
                adLockOptimistic);
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
        if (rows != kEvents)
            state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(sum);
    }
}

BENCHMARK(BM_BareScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordSet)->Unit(benchmark::kMillisecond);

// Shows the usual table and keeps each benchmark's time per iteration.
class RatioReporter final : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                times[run.benchmark_name()] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

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
    fillDatabase(g_path);

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto scan = reporter.times.find("BM_BareScan");
    const auto records = reporter.times.find("BM_RecordSet");
    if (scan == reporter.times.end() || records == reporter.times.end() || scan->second <= 0)
        return 0;
    std::printf("scan %.2f ms\nrecordset %.2f ms\n", scan->second, records->second);
    std::printf("ratio recordset-vs-scan %.2f\n", records->second / scan->second);
    return 0;
}
