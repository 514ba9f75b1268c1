// SPDX-License-Identifier: GPL-3.0-or-later
// The iCalendar import over 100,000 events: the file the export writes,
// read (libical underneath), looked up and inserted into an empty
// database, every item chosen, against a bare SQLite insert of the same
// rows in one transaction. The export of the same events (the editor's
// set, written to the file) against a plain writer of the same VEVENT
// lines from a bare SQLite scan.

#include "BenchSupport.h"
#include "ImportBench.h"
#include "editor/ICalendarFile.h"
#include "store/Connection.h"
#include "store/RecordSet.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

const QDate kToday(2026, 12, 6);

QString g_ics; // the iCalendar file the export writes
const ImportBench *g_import = nullptr;

void BM_BareInsert(benchmark::State &state)
{
    g_import->bareInsert(state, readICalendarFile(g_ics, kToday).candidates);
}

void BM_ICalendarImport(benchmark::State &state)
{
    g_import->import(state, [] { return readICalendarFile(g_ics, kToday).candidates; });
}

QString g_source; // the database the events come from
QString g_out;    // where the exports write

void BM_ICalendarExport(benchmark::State &state)
{
    Connection connection;
    connection.Open(Connection::connectionStringFor(g_source));
    RecordSet rs;
    rs.setCursorLocation(adUseClient);
    rs.Open(QStringLiteral("SELECT * FROM Calendar ORDER BY Dates"), connection);
    for (auto _ : state) {
        if (ExportICalendarFile(rs, g_out, QDateTime(kToday, QTime(12, 0), QTimeZone::utc())) !=
            kBenchEvents)
            state.SkipWithError("wrong event count");
    }
}

// The floor: the same VEVENTs' lines (no folding, no escapes: the bench's
// texts need none) appended by hand and written once.
void BM_PlainWriter(benchmark::State &state)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(g_source.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    for (auto _ : state) {
        sqlite3_stmt *st = prepareSortedEvents(db);
        QByteArray out = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n";
        int n = 0;
        const auto text = [st](int c) {
            return QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(st, c)),
                              sqlite3_column_bytes(st, c));
        };
        while (sqlite3_step(st) == SQLITE_ROW) {
            const QByteArray day = text(0).left(10).replace("-", "");
            const QByteArray description = text(2);
            out += "BEGIN:VEVENT\r\nUID:" +
                   QCryptographicHash::hash(QByteArray(day + '\n' + description),
                                            QCryptographicHash::Sha1)
                       .toHex() +
                   "@almarik\r\nDTSTAMP:20261206T120000Z\r\nDTSTART;VALUE=DATE:" + day +
                   "\r\nSUMMARY:" + description + "\r\n";
            if (sqlite3_column_type(st, 3) != SQLITE_NULL)
                out += "DESCRIPTION:" + text(3) + "\r\n";
            if (sqlite3_column_type(st, 1) != SQLITE_NULL)
                out += "CATEGORIES:" + text(1) + "\r\n";
            out += "TRANSP:TRANSPARENT\r\n";
            if (sqlite3_column_int(st, 4) == 0)
                out += "RRULE:FREQ=YEARLY\r\n";
            out += "END:VEVENT\r\n";
            ++n;
        }
        out += "END:VCALENDAR\r\n";
        sqlite3_finalize(st);
        QFile file(g_out);
        if (n != kBenchEvents || !file.open(QIODevice::WriteOnly) || file.write(out) != out.size())
            state.SkipWithError("the plain writer failed");
    }
    sqlite3_close(db);
}

BENCHMARK(BM_BareInsert)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ICalendarImport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ICalendarExport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainWriter)->Unit(benchmark::kMillisecond);

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
    g_ics = dir.filePath(QStringLiteral("Almarik.ics"));
    makeEventDatabase(source);
    g_source = source;
    g_out = dir.filePath(QStringLiteral("export.ics"));
    const ImportBench import(dir.path());
    g_import = &import;
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
    const bool imported =
        reporter.printRatio("ics-import-vs-insert", "BM_ICalendarImport", "BM_BareInsert");
    const bool exported =
        reporter.printRatio("ics-export-vs-writer", "BM_ICalendarExport", "BM_PlainWriter");
    return imported && exported ? 0 : 1;
}
