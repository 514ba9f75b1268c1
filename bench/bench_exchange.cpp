// SPDX-License-Identifier: GPL-3.0-or-later
// The share file over 100,000 events: the export (requery and write) against
// a bare SQLite scan printing the same lines with fprintf, and the import of
// that file into an empty database, every item chosen, against a bare
// SQLite insert of the same rows in one transaction.

#include "BenchSupport.h"
#include "ImportBench.h"
#include "editor/ShareFile.h"
#include "store/Connection.h"
#include "store/RecordSet.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>

namespace {

QString g_source;   // the 100,000 events
QString g_share;    // the share file the export writes
QString g_bareFile; // what the bare scan writes
const ImportBench *g_import = nullptr;

QList<ImportCandidate> shareCandidates()
{
    QList<ImportCandidate> candidates;
    readShareFile(g_share, &candidates);
    return candidates;
}

// (a) The floor: every row read by SQLite and printed with fprintf.
void BM_BareScanPrint(benchmark::State &state)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(g_source.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                    nullptr);
    for (auto _ : state) {
        FILE *out = std::fopen(g_bareFile.toUtf8().constData(), "wb");
        sqlite3_stmt *st = prepareSortedEvents(db);
        std::fprintf(out, "[Almarik Export File]\r\n %d\r\n", kBenchEvents);
        while (sqlite3_step(st) == SQLITE_ROW) {
            const char *date = reinterpret_cast<const char *>(sqlite3_column_text(st, 0));
            const char *icon = reinterpret_cast<const char *>(sqlite3_column_text(st, 1));
            const char *details = reinterpret_cast<const char *>(sqlite3_column_text(st, 3));
            std::fprintf(out, "[%.2s/%.2s/%.4s]\r\n%s\r\n%s\r\n%s\r\n%s\r\n\r\n", date + 8,
                         date + 5, date, icon ? icon : "Null", sqlite3_column_text(st, 2),
                         sqlite3_column_int(st, 4) ? "True" : "False", details ? details : "Null");
        }
        sqlite3_finalize(st);
        std::fclose(out);
    }
    sqlite3_close(db);
}

// The export as the command runs it: requery the editor's set, then write.
void BM_ShareExport(benchmark::State &state)
{
    Connection connection;
    connection.Open(Connection::connectionStringFor(g_source));
    RecordSet rs;
    rs.setCursorLocation(adUseClient);
    rs.Open(QStringLiteral("SELECT * FROM Calendar ORDER BY Dates"), connection, adOpenDynamic,
            adLockOptimistic);
    for (auto _ : state) {
        rs.Requery();
        if (ExportShareFile(rs, g_share) != kBenchEvents)
            state.SkipWithError("wrong record count");
    }
}

// (b) The floor: the same rows inserted by one prepared statement.
void BM_BareInsert(benchmark::State &state)
{
    g_import->bareInsert(state, shareCandidates());
}

void BM_ShareImport(benchmark::State &state)
{
    g_import->import(state, shareCandidates);
}

BENCHMARK(BM_BareScanPrint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShareExport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareInsert)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShareImport)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    g_source = dir.filePath(QStringLiteral("Almarik.MDB"));
    g_share = dir.filePath(QStringLiteral("Almarik.Txt"));
    g_bareFile = dir.filePath(QStringLiteral("bare.txt"));
    makeEventDatabase(g_source);
    const ImportBench import(dir.path());
    g_import = &import;
    {
        // The file the import reads, whichever benchmarks run.
        Connection connection;
        connection.Open(Connection::connectionStringFor(g_source));
        RecordSet rs;
        rs.Open(QStringLiteral("SELECT * FROM Calendar ORDER BY Dates"), connection);
        ExportShareFile(rs, g_share);
    }

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const bool exported =
        reporter.printRatio("share-export-vs-scan", "BM_ShareExport", "BM_BareScanPrint");
    const bool imported =
        reporter.printRatio("share-import-vs-insert", "BM_ShareImport", "BM_BareInsert");
    return exported && imported ? 0 : 1;
}
