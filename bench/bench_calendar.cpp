// SPDX-License-Identifier: GPL-3.0-or-later
// The iCalendar import over 100,000 events: the file the export writes,
// read (libical underneath), looked up and inserted into an empty
// database, every item chosen, against a bare SQLite insert of the same
// rows in one transaction.

#include "BenchSupport.h"
#include "ImportBench.h"
#include "editor/ICalendarFile.h"
#include "store/Connection.h"
#include "store/RecordSet.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QTimeZone>
#include <benchmark/benchmark.h>

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
    g_ics = dir.filePath(QStringLiteral("Almarik.ics"));
    makeEventDatabase(source);
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
    return reporter.printRatio("ics-import-vs-insert", "BM_ICalendarImport", "BM_BareInsert") ? 0
                                                                                              : 1;
}
