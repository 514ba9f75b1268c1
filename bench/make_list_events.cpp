// SPDX-License-Identifier: GPL-3.0-or-later
// The same events twice for bench/list-vs-remind: an event database as
// almarik-list reads it and a reminder file as remind reads it, each event
// a yearly REM (a dated one for a one-off) warned 30 days ahead, as the month
// list looks ahead. Usage: make_list_events COUNT DATABASE REMINDERS

#include "BenchSupport.h"

#include <QCoreApplication>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char *const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// remind reads "%" as a substitution and "[" as an expression.
std::string remindText(const char *text)
{
    std::string out;
    for (; *text; ++text) {
        if (*text == '%')
            out += "%%";
        else if (*text == '[')
            out += "[\"[\"]";
        else
            out += *text;
    }
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_list_events COUNT DATABASE REMINDERS\n");
        return 1;
    }
    makeEventDatabase(QString::fromLocal8Bit(argv[2]), std::atoi(argv[1]));
    sqlite3 *db = nullptr;
    sqlite3_open_v2(argv[2], &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, "SELECT Dates, Description, ShowOnce FROM Calendar", -1, &st, nullptr);
    FILE *out = std::fopen(argv[3], "w");
    if (!db || !st || !out) {
        std::fprintf(stderr, "make_list_events: cannot read %s or write %s\n", argv[2], argv[3]);
        return 1;
    }
    while (sqlite3_step(st) == SQLITE_ROW) {
        const char *date = reinterpret_cast<const char *>(sqlite3_column_text(st, 0));
        const int month = std::atoi(date + 5);
        const int day = std::atoi(date + 8);
        std::fprintf(out, "REM %d %s", day, kMonths[(month - 1) % 12]);
        if (sqlite3_column_int(st, 2) != 0)
            std::fprintf(out, " %.4s", date);
        std::fprintf(
            out, " +30 MSG %s %%b\n",
            remindText(reinterpret_cast<const char *>(sqlite3_column_text(st, 1))).c_str());
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return std::fclose(out) == 0 ? 0 : 1;
}
