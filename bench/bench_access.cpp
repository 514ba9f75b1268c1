// SPDX-License-Identifier: GPL-3.0-or-later
// Converting the Windows version's 100,000-event Access file against the
// floor of reading the same rows with libmdb alone (its own bound values,
// the date from its serial by mdb_date_to_tm) and a bare SQLite insert of
// them into a new database in one transaction. The file is the shared
// sample's, not kept in this repository; without it the benchmarks skip.

#include "BenchSupport.h"
#include "store/AccessConvert.h"
#include "store/Repair.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

// libmdb includes GLib inside its extern "C"; GLib comes first, by itself.
#include <glib.h>
#include <mdbtools.h>

#include <ctime>
#include <vector>

namespace {

QString g_jet;    // the 100,000 events in a Jet file
QString g_empty;  // a new database of ours, copied for each floor run
QString g_target; // where each run writes

void BM_LibmdbReadBareInsert(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(g_target);
        QFile::copy(g_empty, g_target);
        state.ResumeTiming();
        MdbHandle *mdb = mdb_open(QFile::encodeName(g_jet).constData(), MDB_NOFLAGS);
        mdb_read_catalog(mdb, MDB_TABLE);
        MdbTableDef *t = mdb_read_table_by_name(mdb, const_cast<gchar *>("Calendar"), MDB_TABLE);
        mdb_read_columns(t);
        std::vector<std::vector<char>> bound(t->num_cols, std::vector<char>(MDB_BIND_SIZE));
        std::vector<int> len(t->num_cols);
        for (unsigned i = 0; i < t->num_cols; ++i)
            mdb_bind_column(t, int(i) + 1, bound[i].data(), &len[i]);
        const auto column = [&](const char *name) {
            for (unsigned i = 0; i < t->num_cols; ++i) {
                if (g_ascii_strcasecmp(
                        static_cast<MdbColumn *>(g_ptr_array_index(t->columns, i))->name, name) ==
                    0)
                    return i;
            }
            return 0u;
        };
        const unsigned dates = column("Dates"), icon = column("Icon"),
                       description = column("Description"), details = column("Details"),
                       once = column("ShowOnce");
        auto *datesColumn = static_cast<MdbColumn *>(g_ptr_array_index(t->columns, dates));

        sqlite3 *db = nullptr;
        sqlite3_open_v2(QFile::encodeName(g_target).constData(), &db, SQLITE_OPEN_READWRITE,
                        nullptr);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db,
                           "INSERT INTO Calendar (Dates, Icon, Description, Details, ShowOnce) "
                           "VALUES (?, ?, ?, ?, ?)",
                           -1, &st, nullptr);
        mdb_rewind_table(t);
        qint64 rows = 0;
        while (mdb_fetch_row(t)) {
            char day[16];
            struct tm tm = {};
            mdb_date_to_tm(mdb_get_double(mdb->pg_buf, datesColumn->cur_value_start), &tm);
            std::strftime(day, sizeof day, "%Y-%m-%d", &tm);
            sqlite3_bind_text(st, 1, day, -1, SQLITE_TRANSIENT);
            const auto text = [&](int index, unsigned c) {
                if (len[c] == 0)
                    sqlite3_bind_null(st, index);
                else
                    sqlite3_bind_text(st, index, bound[c].data(), len[c], SQLITE_STATIC);
            };
            text(2, icon);
            text(3, description);
            text(4, details);
            sqlite3_bind_int(st, 5, bound[once][0] == '1' ? -1 : 0);
            sqlite3_step(st);
            sqlite3_reset(st);
            ++rows;
        }
        sqlite3_finalize(st);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        // Every row must have passed the table's checks, or the floor is no floor.
        sqlite3_prepare_v2(db, "SELECT count(*) FROM Calendar", -1, &st, nullptr);
        sqlite3_step(st);
        rows = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
        sqlite3_close(db);
        mdb_free_tabledef(t);
        mdb_close(mdb);
        if (rows != kBenchEvents)
            state.SkipWithError("wrong row count");
    }
}

void BM_AccessConvert(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(g_target);
        state.ResumeTiming();
        if (convertAccessDatabase(g_jet, g_target).events != kBenchEvents)
            state.SkipWithError("wrong row count");
    }
}

BENCHMARK(BM_LibmdbReadBareInsert)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AccessConvert)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    g_jet = qEnvironmentVariable("ALMARIK_ACCESS_100K", QStringLiteral(ALMARIK_ACCESS_100K));
    if (!QFileInfo::exists(g_jet)) {
        std::printf("skipped: no %s (set ALMARIK_ACCESS_100K)\n", qPrintable(g_jet));
        return 0;
    }
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    g_empty = dir.filePath(QStringLiteral("Empty.MDB"));
    g_target = dir.filePath(QStringLiteral("Target.MDB"));
    CreateDatabase(g_empty);

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.printRatio("access-convert-vs-floor", "BM_AccessConvert",
                               "BM_LibmdbReadBareInsert")
               ? 0
               : 1;
}
