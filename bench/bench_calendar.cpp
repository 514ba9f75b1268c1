// The iCalendar import over 100,000 events: the file the export writes,
// read (libical underneath), looked up and inserted into an empty
// database, every item chosen, against a bare SQLite insert of the same
// rows in one transaction.

#include "BenchSupport.h"
#include "editor/ICalendarFile.h"
#include "store/Connection.h"
#include "store/RecordSet.h"
#include "store/Repair.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <vector>

namespace {

const QDate kToday(2026, 12, 6);

QString g_empty;  // an empty event database, copied for each import
QString g_ics;    // the iCalendar file the export writes
QString g_target; // where each import goes

void freshTarget()
{
    QFile::remove(g_target);
    QFile::copy(g_empty, g_target);
}

// The floor: the rows the import would insert, their texts made UTF-8
// beforehand, by one prepared statement in one transaction.
void BM_BareInsert(benchmark::State &state)
{
    struct Row
    {
        QByteArray date, icon, description, details;
        bool once = false;
    };
    std::vector<Row> rows;
    for (const ImportCandidate &c : readICalendarFile(g_ics, kToday).candidates) {
        const QString &d = c.dateText;
        rows.push_back({(d.mid(6, 4) + '-' + d.mid(3, 2) + '-' + d.left(2)).toUtf8(),
                        c.iconText.toUtf8(), c.description.toUtf8(), c.details.toUtf8(),
                        c.showOnceText == QLatin1String("True")});
    }
    const auto bind = [](sqlite3_stmt *st, int column, const QByteArray &text) {
        if (text.isNull())
            sqlite3_bind_null(st, column);
        else
            sqlite3_bind_text(st, column, text.constData(), int(text.size()), SQLITE_STATIC);
    };
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
        for (const Row &r : rows) {
            bind(st, 1, r.date);
            bind(st, 2, r.icon);
            bind(st, 3, r.description);
            sqlite3_bind_int(st, 4, r.once ? -1 : 0);
            bind(st, 5, r.details);
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
void BM_ICalendarImport(benchmark::State &state)
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
        ImportRead read = readICalendarFile(g_ics, kToday);
        markExisting(read.candidates, rs);
        const std::vector<bool> all(size_t(read.candidates.size()), true);
        if (importCandidates(connection, read.candidates, all, false) != kBenchEvents)
            state.SkipWithError("wrong record count");
    }
}

BENCHMARK(BM_BareInsert)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ICalendarImport)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QString source = dir.filePath(QStringLiteral("Almarik.MDB"));
    g_empty = dir.filePath(QStringLiteral("Empty.MDB"));
    g_ics = dir.filePath(QStringLiteral("Almarik.ics"));
    g_target = dir.filePath(QStringLiteral("Target.MDB"));
    makeEventDatabase(source);
    CreateDatabase(g_empty);
    {
        Connection connection;
        connection.Open(Connection::connectionStringFor(source));
        RecordSet rs;
        rs.Open(QStringLiteral("SELECT * FROM Calendar ORDER BY Dates"), connection);
        ExportICalendarFile(rs, g_ics, QDateTime(kToday, QTime(12, 0), QTimeZone::utc()));
    }

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.printRatio("ics-import-vs-insert", "BM_ICalendarImport", "BM_BareInsert") ? 0
                                                                                              : 1;
}
