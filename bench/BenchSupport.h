// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What every benchmark shares: the same 100,000-event database, and a
// reporter that keeps each benchmark's processor time for the ratio lines.

#include <QDate>
#include <QString>
#include <benchmark/benchmark.h>
#include <map>
#include <string>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

inline constexpr int kBenchEvents = 100000;

// A new database at path holding events of every type over about seventy
// years, a third without details, one in seven shown once.
void makeEventDatabase(const QString &path, int events = kBenchEvents);

// The floor the month list is measured against: a bare SQLite scan of the
// whole Calendar table with the anniversary filter (30 days, no recent
// days, the next-year rule, 29 February) in plain C++ and the sort on the
// day count; the rows kept, as (days, description).
std::vector<std::pair<long, std::string>> scanFloorRows(sqlite3 *db, const QDate &today);

// The five columns an export or the editor shows, in date order, prepared
// on db; the caller finalizes it.
sqlite3_stmt *prepareSortedEvents(sqlite3 *db);

// The same as a benchmark's body. Counter "listed" gets the rows kept.
void runScanFloor(benchmark::State &state, const QString &path, const QDate &today);

class RatioReporter final : public benchmark::ConsoleReporter
{
public:
    // wallTime: ratios of real time, for work another process shares (a
    // server on this computer) whose processor time is not ours to count.
    explicit RatioReporter(bool wallTime = false) : m_wallTime(wallTime) {}
    void ReportRuns(const std::vector<Run> &runs) override;
    // Processor (or real) milliseconds per iteration of a benchmark, the
    // median of its repetitions (scripts/bench runs them interleaved with
    // the other benchmarks', so that a slower spell of the machine falls
    // on both sides of a ratio); 0 when it did not run.
    double ms(const std::string &name) const;
    // Prints "ratio <label> <measured / floor>"; false, printing nothing,
    // when either benchmark did not run.
    bool printRatio(const char *label, const std::string &measured, const std::string &floor) const;

private:
    bool m_wallTime;
    std::map<std::string, std::vector<double>> m_ms;
};
