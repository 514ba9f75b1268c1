// SPDX-License-Identifier: GPL-3.0-or-later
#include "BenchSupport.h"

#include "store/Repair.h"

#include <QDate>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
long daysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * unsigned(m + (m > 2 ? -3 : 9)) + 2) / 5 + unsigned(d) - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + long(doe) - 719468;
}

bool leap(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

long anniversary(int year, int m, int d)
{
    if (m == 2 && d == 29 && !leap(year))
        d = 28;
    return daysFromCivil(year, m, d);
}

} // namespace

sqlite3_stmt *prepareSortedEvents(sqlite3 *db)
{
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT Dates, icon, Description, Details, ShowOnce FROM Calendar "
                       "ORDER BY Dates",
                       -1, &st, nullptr);
    return st;
}

std::vector<std::pair<long, std::string>> scanFloorRows(sqlite3 *db, const QDate &today)
{
    const long day = daysFromCivil(today.year(), today.month(), today.day());
    sqlite3_stmt *st = nullptr;
    // Only the two columns the list needs: a wider read would flatter
    // every ratio against this floor.
    sqlite3_prepare_v2(db, "SELECT Dates, Description FROM Calendar", -1, &st, nullptr);
    std::vector<std::pair<long, std::string>> rows;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const char *t = reinterpret_cast<const char *>(sqlite3_column_text(st, 0));
        // "yyyy-mm-dd", as the store keeps dates.
        const int m = (t[5] - '0') * 10 + (t[6] - '0');
        const int d = (t[8] - '0') * 10 + (t[9] - '0');
        long days = anniversary(today.year(), m, d) - day;
        if (days < -334 && days > -366)
            days = anniversary(today.year() + 1, m, d) - day;
        if (days < 31 && days > -1)
            rows.emplace_back(days, reinterpret_cast<const char *>(sqlite3_column_text(st, 1)));
    }
    sqlite3_finalize(st);
    std::stable_sort(rows.begin(), rows.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    return rows;
}

void runScanFloor(benchmark::State &state, const QString &path, const QDate &today)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    long listed = 0;
    for (auto _ : state) {
        const auto rows = scanFloorRows(db, today);
        listed = long(rows.size());
        benchmark::DoNotOptimize(rows.data());
    }
    sqlite3_close(db);
    state.counters["listed"] = double(listed);
}

void makeEventDatabase(const QString &path, int events)
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
    for (int i = 0; i < events; ++i) {
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

void RatioReporter::ReportRuns(const std::vector<Run> &runs)
{
    ConsoleReporter::ReportRuns(runs);
    for (const Run &r : runs) {
        if (r.run_type == Run::RT_Iteration && !r.error_occurred && r.iterations > 0)
            m_ms[r.benchmark_name()].push_back(
                (m_wallTime ? r.real_accumulated_time : r.cpu_accumulated_time) /
                double(r.iterations) * 1e3);
    }
}

double RatioReporter::ms(const std::string &name) const
{
    const auto it = m_ms.find(name);
    if (it == m_ms.end() || it->second.empty())
        return 0.0;
    std::vector<double> runs = it->second;
    std::sort(runs.begin(), runs.end());
    const size_t n = runs.size();
    return n % 2 == 1 ? runs[n / 2] : (runs[n / 2 - 1] + runs[n / 2]) / 2;
}

bool RatioReporter::printRatio(const char *label, const std::string &measured,
                               const std::string &floor) const
{
    const double top = ms(measured);
    const double bottom = ms(floor);
    if (top <= 0 || bottom <= 0)
        return false;
    std::printf("ratio %s %.2f\n", label, top / bottom);
    return true;
}
