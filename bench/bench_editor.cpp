// SPDX-License-Identifier: GPL-3.0-or-later
// The event table editor opening on 100,000 events (record set, grid model,
// laid-out and painted table view), and deleting 10,000 of them, against a
// bare SQLite scan of the same table, the same rows painted from a plain
// model, and a prepared DELETE loop in one transaction, in the same run.
// The whole command and its floor are measured on 1,000,000 events too.

#include "BenchSupport.h"
#include "FloorModel.h"
#include "editor/EventTableModel.h"
#include "editor/ui/Editor.h"
#include "platform/Prompts.h"
#include "store/Repair.h"
#include "store/SharedDb.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QItemSelection>
#include <QTableView>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

QString g_template; // the 100,000-event database every delete starts from
QString g_work;     // the copy a delete works on
QString g_million;  // 1,000,000 events

// The shared connection on the database of that many events, until the
// benchmark's end; the others use the 100,000.
class Events final
{
public:
    explicit Events(int64_t count) : m_count(int(count))
    {
        if (m_count != kBenchEvents)
            reopen(g_million);
    }
    ~Events()
    {
        if (m_count != kBenchEvents)
            reopen(g_template);
    }
    int count() const { return m_count; }

private:
    static void reopen(const QString &path)
    {
        sharedDb().dbConnection.Close();
        sharedDb().dbConnection.Open(Connection::connectionStringFor(path));
    }
    int m_count;
};

const QString kSource = QStringLiteral("SELECT * FROM Calendar ORDER BY Dates");

// The baseline: the same query stepped through with every column read.
void BM_Scan(benchmark::State &state)
{
    sqlite3 *db = sharedDb().dbConnection.handle();
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

// The floor of the editor's opening: the same sorted rows read with bare
// SQLite into a plain model and painted in a table view of the same size.
void BM_EditorFloor(benchmark::State &state)
{
    const Events events(state.range(0));
    sqlite3 *db = sharedDb().dbConnection.handle();
    for (auto _ : state) {
        sqlite3_stmt *st = prepareSortedEvents(db);
        auto model = std::make_unique<FloorModel>(5);
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < 5; ++c)
                model->add({reinterpret_cast<const char *>(sqlite3_column_text(st, c)),
                            size_t(sqlite3_column_bytes(st, c))});
        }
        sqlite3_finalize(st);
        QTableView view;
        view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        view.setWordWrap(false);
        view.setModel(model.get());
        view.resize(900, 600);
        view.show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(view.viewport()->grab());
        if (model->rowCount() != events.count())
            state.SkipWithError("wrong row count");
    }
}

// Open sharedDb().rsEditor, build the grid model, lay out and paint the view.
void BM_EditorOpen(benchmark::State &state)
{
    for (auto _ : state) {
        sharedDb().rsEditor.setCursorLocation(adUseClient);
        sharedDb().rsEditor.Open(kSource, sharedDb().dbConnection, adOpenDynamic, adLockOptimistic);
        {
            EventTableModel model(sharedDb().rsEditor);
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
        sharedDb().rsEditor.Close();
    }
}

// The whole "Event Editor" command up to the modal wait: open, the Editor
// window, refresh_Data (which requeries), shown and painted.
void BM_EditorCommand(benchmark::State &state)
{
    const Events events(state.range(0));
    for (auto _ : state) {
        sharedDb().rsEditor.setCursorLocation(adUseClient);
        sharedDb().rsEditor.Open(kSource, sharedDb().dbConnection, adOpenDynamic, adLockOptimistic);
        {
            Editor editor;
            editor.refresh_Data();
            editor.show();
            QCoreApplication::processEvents();
            benchmark::DoNotOptimize(editor.grab());
            if (editor.model()->rowCount() != events.count() + 1)
                state.SkipWithError("wrong row count");
        }
        sharedDb().rsEditor.Close();
    }
}

// Answers every box with OK, as a user confirming the delete would.
class ConfirmAll final : public Prompts
{
public:
    MsgResult MsgBox(const QString &, MsgButtons, MsgIcon, const QString &) override
    {
        return MsgResult::Ok;
    }
    QString InputBox(const QString &, const QString &, const QString &) override { return {}; }
    QString OpenFileDialog(const QString &, const QString &, const QString &,
                           const QString &) override
    {
        return {};
    }
    QString SaveFileDialog(const QString &, const QString &, const QString &, const QString &,
                           bool) override
    {
        return {};
    }
    quint32 ColourDialog(quint32 initial) override { return initial; }
};

// Opens a fresh copy of the template as the shared connection.
void openFreshCopy()
{
    sharedDb().dbConnection.Close();
    QFile::remove(g_work);
    QFile::copy(g_template, g_work);
    sharedDb().dbConnection.Open(Connection::connectionStringFor(g_work));
}

// The Delete key in the editor on 10,000 of 100,000 rows, selected as ten
// blocks of 1,000 spread over the table, after the question was answered.
// Each run starts from a fresh copy of the database, opened as the Event
// Editor command opens it; only the delete is timed.
void BM_EditorDelete(benchmark::State &state)
{
    ConfirmAll confirm;
    Prompts *previous = &appPrompts();
    setAppPrompts(&confirm);
    for (auto _ : state) {
        state.PauseTiming();
        openFreshCopy();
        sharedDb().rsEditor.setCursorLocation(adUseClient);
        sharedDb().rsEditor.Open(kSource, sharedDb().dbConnection, adOpenDynamic, adLockOptimistic);
        auto editor = std::make_unique<Editor>();
        editor->refresh_Data();
        QItemSelection blocks;
        for (int b = 0; b < 10; ++b) {
            const int top = b * (kBenchEvents / 10) + 500;
            blocks.select(editor->model()->index(top, 0), editor->model()->index(top + 999, 3));
        }
        editor->DataGrid1->selectionModel()->select(blocks, QItemSelectionModel::Select);
        state.ResumeTiming();

        editor->DeleteSelectedRows();

        state.PauseTiming();
        if (editor->model()->rowCount() != kBenchEvents - 10000 + 1)
            state.SkipWithError("wrong row count after the delete");
        editor.reset();
        sharedDb().rsEditor.Close();
        state.ResumeTiming();
    }
    setAppPrompts(previous);
    sharedDb().dbConnection.Close();
    sharedDb().dbConnection.Open(Connection::connectionStringFor(g_template));
}

// The delete's floor: the same 10,000 rows deleted by one prepared
// statement in one transaction, from the same fresh copy.
void BM_DeleteFloor(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        openFreshCopy();
        sqlite3 *db = sharedDb().dbConnection.handle();
        std::vector<sqlite3_int64> rowids;
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, "SELECT rowid FROM Calendar ORDER BY Dates", -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW)
            rowids.push_back(sqlite3_column_int64(st, 0));
        sqlite3_finalize(st);
        state.ResumeTiming();

        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_prepare_v2(db, "DELETE FROM Calendar WHERE rowid = ?", -1, &st, nullptr);
        for (int b = 0; b < 10; ++b) {
            const int top = b * (kBenchEvents / 10) + 500;
            for (int i = top; i < top + 1000; ++i) {
                sqlite3_bind_int64(st, 1, rowids[size_t(i)]);
                sqlite3_step(st);
                sqlite3_reset(st);
            }
        }
        sqlite3_finalize(st);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    sharedDb().dbConnection.Close();
    sharedDb().dbConnection.Open(Connection::connectionStringFor(g_template));
}

} // namespace

BENCHMARK(BM_Scan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditorOpen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditorCommand)->Arg(kBenchEvents)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditorDelete)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditorFloor)->Arg(kBenchEvents)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeleteFloor)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SharedDb shared;
    setSharedDb(&shared);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Almarik.MDB"));
    makeEventDatabase(path);
    g_template = path;
    g_work = dir.filePath(QStringLiteral("work.mdb"));
    g_million = dir.filePath(QStringLiteral("Million.MDB"));
    makeEventDatabase(g_million, 1000000);
    sharedDb().dbConnection.Open(Connection::connectionStringFor(path));

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    // The million-event pair after the rest: the heap it leaves behind
    // slows the 100,000-event runs after it by a third.
    if (const std::string filter = benchmark::GetBenchmarkFilter();
        filter.empty() || filter == ".") {
        benchmark::RunSpecifiedBenchmarks(&reporter, "-/1000000$");
        benchmark::RunSpecifiedBenchmarks(&reporter, "/1000000$");
    } else {
        benchmark::RunSpecifiedBenchmarks(&reporter);
    }
    benchmark::Shutdown();
    sharedDb().dbConnection.Close();

    const double scan = reporter.ms("BM_Scan");
    const double open = reporter.ms("BM_EditorOpen");
    const double command = reporter.ms("BM_EditorCommand/100000");
    if (scan <= 0 || open <= 0)
        return 1;
    std::printf("scan %.1f ms, editor open %.1f ms, whole command %.1f ms\n", scan, open, command);
    reporter.printRatio("editor-command-vs-scan", "BM_EditorCommand/100000", "BM_Scan");
    reporter.printRatio("editor-vs-scan", "BM_EditorOpen", "BM_Scan");
    reporter.printRatio("editor-open-vs-floor", "BM_EditorCommand/100000", "BM_EditorFloor/100000");
    reporter.printRatio("editor-open-vs-floor-1000000", "BM_EditorCommand/1000000",
                        "BM_EditorFloor/1000000");
    if (reporter.printRatio("editor-delete-vs-floor", "BM_EditorDelete", "BM_DeleteFloor"))
        std::printf("delete 10,000 of 100,000 rows %.1f ms\n", reporter.ms("BM_EditorDelete"));
    return 0;
}
