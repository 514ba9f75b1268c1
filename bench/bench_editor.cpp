// The event table editor opening on 100,000 events (record set, grid model,
// laid-out and painted table view) against a bare SQLite scan of the same
// table in the same run.

#include "editor/Editor.h"
#include "editor/EventTableModel.h"
#include "store/Repair.h"
#include "store/SharedDb.h"

#include <QApplication>
#include <QHeaderView>
#include <QTableView>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr int kEvents = 100000;
const QString kSource = QStringLiteral("SELECT * FROM Calendar ORDER BY Dates");

void fillDatabase()
{
    sqlite3 *db = dbConnection.handle();
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO Calendar (Dates, icon, Description, Details, ShowOnce) "
                       "VALUES (?, ?, ?, ?, ?)",
                       -1, &st, nullptr);
    const char *icons[] = {"birthday", "anniversary", "car_race", "bike_race", nullptr,
                           "reminder", "memorial",    "holiday",  "doctor"};
    unsigned state = 12345;
    for (int i = 0; i < kEvents; ++i) {
        state = state * 1103515245u + 12345u;
        const int year = 1950 + int(state >> 16) % 80;
        const int month = 1 + int(state >> 8) % 12;
        const int day = 1 + int(state >> 4) % 28;
        char date[16];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", year, month, day);
        const std::string description = "Event number " + std::to_string(i);
        const std::string details = i % 3 ? "" : "Some notes about event " + std::to_string(i);
        sqlite3_bind_text(st, 1, date, -1, SQLITE_TRANSIENT);
        if (const char *icon = icons[i % 9])
            sqlite3_bind_text(st, 2, icon, -1, SQLITE_STATIC);
        else
            sqlite3_bind_null(st, 2);
        sqlite3_bind_text(st, 3, description.c_str(), -1, SQLITE_TRANSIENT);
        if (details.empty())
            sqlite3_bind_null(st, 4);
        else
            sqlite3_bind_text(st, 4, details.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(st, 5, i % 7 == 0 ? -1 : 0);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
}

// The baseline: the same query stepped through with every column read.
void BM_Scan(benchmark::State &state)
{
    sqlite3 *db = dbConnection.handle();
    for (auto _ : state) {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, "SELECT rowid, * FROM Calendar ORDER BY Dates", -1, &st, nullptr);
        const int columns = sqlite3_column_count(st);
        long long bytes = 0;
        int rows = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < columns; ++c) {
                if (sqlite3_column_type(st, c) == SQLITE_TEXT)
                    bytes += sqlite3_column_bytes(st, c);
                else
                    bytes += sqlite3_column_int64(st, c);
            }
            ++rows;
        }
        sqlite3_finalize(st);
        if (rows != kEvents)
            state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(bytes);
    }
}

// Open rsEditor, build the grid model, lay out and paint the view.
void BM_EditorOpen(benchmark::State &state)
{
    for (auto _ : state) {
        rsEditor.setCursorLocation(adUseClient);
        rsEditor.Open(kSource, dbConnection, adOpenDynamic, adLockOptimistic);
        {
            EventTableModel model(rsEditor);
            QTableView view;
            view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
            view.setWordWrap(false);
            view.setModel(&model);
            view.resize(900, 600);
            view.show();
            QCoreApplication::processEvents();
            benchmark::DoNotOptimize(view.viewport()->grab());
            if (model.rowCount() != kEvents + 1)
                state.SkipWithError("wrong row count");
        }
        rsEditor.Close();
    }
}

// The whole "Event Editor" command up to the modal wait: open, the Editor
// window, refresh_Data (which requeries), shown and painted.
void BM_EditorCommand(benchmark::State &state)
{
    for (auto _ : state) {
        rsEditor.setCursorLocation(adUseClient);
        rsEditor.Open(kSource, dbConnection, adOpenDynamic, adLockOptimistic);
        {
            Editor editor;
            editor.refresh_Data();
            editor.show();
            QCoreApplication::processEvents();
            benchmark::DoNotOptimize(editor.grab());
            if (editor.model()->rowCount() != kEvents + 1)
                state.SkipWithError("wrong row count");
        }
        rsEditor.Close();
    }
}

// Keeps each run's mean time so that the ratios can be printed at the end.
class RatioReporter final : public benchmark::ConsoleReporter
{
public:
    std::map<std::string, double> seconds;
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            if (!run.error_occurred && run.iterations > 0)
                seconds[run.benchmark_name()] = run.real_accumulated_time / double(run.iterations);
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

BENCHMARK(BM_Scan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditorOpen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditorCommand)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Almarik.MDB"));
    CreateDatabase(path);
    dbConnection.Open(Connection::connectionStringFor(path));
    fillDatabase();

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    dbConnection.Close();

    const double scan = reporter.seconds["BM_Scan"];
    const double open = reporter.seconds["BM_EditorOpen"];
    const double command = reporter.seconds["BM_EditorCommand"];
    if (scan <= 0 || open <= 0)
        return 1;
    std::printf("scan %.1f ms, editor open %.1f ms, whole command %.1f ms\n", scan * 1e3,
                open * 1e3, command * 1e3);
    if (command > 0)
        std::printf("ratio editor-command-vs-scan %.2f\n", command / scan);
    std::printf("ratio editor-vs-scan %.2f\n", open / scan);
    return 0;
}
