// The event table editor opening on 100,000 events (record set, grid model,
// laid-out and painted table view) against a bare SQLite scan of the same
// table in the same run.

#include "BenchSupport.h"
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

const QString kSource = QStringLiteral("SELECT * FROM Calendar ORDER BY Dates");

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
        if (rows != kBenchEvents)
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
            if (model.rowCount() != kBenchEvents + 1)
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
            if (editor.model()->rowCount() != kBenchEvents + 1)
                state.SkipWithError("wrong row count");
        }
        rsEditor.Close();
    }
}

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
    makeEventDatabase(path);
    dbConnection.Open(Connection::connectionStringFor(path));

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    dbConnection.Close();

    const double scan = reporter.ms("BM_Scan");
    const double open = reporter.ms("BM_EditorOpen");
    const double command = reporter.ms("BM_EditorCommand");
    if (scan <= 0 || open <= 0)
        return 1;
    std::printf("scan %.1f ms, editor open %.1f ms, whole command %.1f ms\n", scan, open,
                command);
    if (command > 0)
        std::printf("ratio editor-command-vs-scan %.2f\n", command / scan);
    std::printf("ratio editor-vs-scan %.2f\n", open / scan);
    return 0;
}
