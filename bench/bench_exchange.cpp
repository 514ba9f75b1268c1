// The share file over 100,000 events: the export (requery and write) against
// a bare SQLite scan printing the same lines with fprintf, and the import of
// that file into an empty database, every item chosen, against a bare
// SQLite insert of the same rows in one transaction.

#include "BenchSupport.h"
#include "editor/ShareFile.h"
#include "store/Connection.h"
#include "store/RecordSet.h"
#include "store/Repair.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstring>

namespace {

QString g_source;   // the 100,000 events
QString g_empty;    // an empty event database, copied for each import
QString g_share;    // the share file the export writes
QString g_target;   // where each import goes
QString g_bareFile; // what the bare scan writes

void freshTarget()
{
    QFile::remove(g_target);
    QFile::copy(g_empty, g_target);
}

// (a) The floor: every row read by SQLite and printed with fprintf.
void BM_BareScanPrint(benchmark::State &state)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(g_source.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                    nullptr);
    for (auto _ : state) {
        FILE *out = std::fopen(g_bareFile.toUtf8().constData(), "wb");
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT Dates, icon, Description, ShowOnce, Details FROM Calendar "
                           "ORDER BY Dates",
                           -1, &st, nullptr);
        std::fprintf(out, "[Almarik Export File]\r\n %d\r\n", kBenchEvents);
        while (sqlite3_step(st) == SQLITE_ROW) {
            const char *date = reinterpret_cast<const char *>(sqlite3_column_text(st, 0));
            const char *icon = reinterpret_cast<const char *>(sqlite3_column_text(st, 1));
            const char *details = reinterpret_cast<const char *>(sqlite3_column_text(st, 4));
            std::fprintf(out, "[%.2s/%.2s/%.4s]\r\n%s\r\n%s\r\n%s\r\n%s\r\n\r\n", date + 8,
                         date + 5, date, icon ? icon : "Null", sqlite3_column_text(st, 2),
                         sqlite3_column_int(st, 3) ? "True" : "False", details ? details : "Null");
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
    QList<ImportCandidate> rows;
    readShareFile(g_share, &rows);
    std::vector<QByteArray> iso(size_t(rows.size()));
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QString &d = rows[i].dateText;
        iso[size_t(i)] = (d.mid(6, 4) + '-' + d.mid(3, 2) + '-' + d.left(2)).toUtf8();
    }
    for (auto _ : state) {
        state.PauseTiming();
        freshTarget();
        state.ResumeTiming();
        sqlite3 *db = nullptr;
        sqlite3_open_v2(g_target.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db,
                           "INSERT INTO Calendar (Dates, icon, Description, ShowOnce, Details) "
                           "VALUES (?, ?, ?, ?, ?)",
                           -1, &st, nullptr);
        for (qsizetype i = 0; i < rows.size(); ++i) {
            const ImportCandidate &c = rows[i];
            const QByteArray icon = c.iconText.toUtf8();
            const QByteArray description = c.description.toUtf8();
            const QByteArray details = c.details.toUtf8();
            sqlite3_bind_text(st, 1, iso[size_t(i)].constData(), -1, SQLITE_STATIC);
            if (c.iconText == QLatin1String("Null"))
                sqlite3_bind_null(st, 2);
            else
                sqlite3_bind_text(st, 2, icon.constData(), int(icon.size()), SQLITE_STATIC);
            sqlite3_bind_text(st, 3, description.constData(), int(description.size()),
                              SQLITE_STATIC);
            sqlite3_bind_int(st, 4, c.showOnceText == QLatin1String("True") ? -1 : 0);
            if (c.details == QLatin1String("Null"))
                sqlite3_bind_null(st, 5);
            else
                sqlite3_bind_text(st, 5, details.constData(), int(details.size()), SQLITE_STATIC);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
}

// The import as the command runs it, without the dialog's wait: read the
// file, look each description up, insert every item in one transaction.
void BM_ShareImport(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        freshTarget();
        state.ResumeTiming();
        Connection connection;
        connection.Open(Connection::connectionStringFor(g_target));
        RecordSet rs;
        rs.setCursorLocation(adUseClient);
        rs.Open(QStringLiteral("SELECT * FROM Calendar ORDER BY Dates"), connection, adOpenDynamic,
                adLockOptimistic);
        QList<ImportCandidate> candidates;
        readShareFile(g_share, &candidates);
        markExisting(candidates, rs);
        const std::vector<bool> all(size_t(candidates.size()), true);
        if (importCandidates(connection, candidates, all, false) != kBenchEvents)
            state.SkipWithError("wrong record count");
    }
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
    g_empty = dir.filePath(QStringLiteral("Empty.MDB"));
    g_share = dir.filePath(QStringLiteral("Almarik.Txt"));
    g_target = dir.filePath(QStringLiteral("Target.MDB"));
    g_bareFile = dir.filePath(QStringLiteral("bare.txt"));
    makeEventDatabase(g_source);
    CreateDatabase(g_empty);
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
