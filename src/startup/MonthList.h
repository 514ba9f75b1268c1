// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The month list's arithmetic: which events have their anniversary from
// today up to thirty days ahead (or in the last two days), how many years it
// marks, and the texts and colour of the row. Everything counts from the
// start-up day handed in, never from the clock. The window and almarik-list
// share it.

#include <QDate>
#include <QString>
#include <QVariant>
#include <array>
#include <functional>
#include <vector>

class AppError;
class Prompts;
class RecordSet;

// The event's date as the "Date" column shows it: "dd-mm-yyyy".
QString gridDateText(const QDate &day);

// One listed event. The texts are made when shown: a list of many rows
// keeps only what differs from row to row.
struct MonthRow
{
    QString description;
    QString icon;
    QDate date;            // the event's own date; its year is kNoYear when it has none
    int days = 0;          // D: days from today to the anniversary
    int years = 0;         // Y: the years the anniversary marks
    int colourIndex = -1;  // ColourTable entry 0-3 for D = 0..3, 5 for D = -1, -2; -1 none
    bool hasYears = false; // false for a date without a year
    bool showOnce = false;
    bool hasIcon = false; // the icon column is not Null: the row is 400 twips high

    QString dateText() const { return gridDateText(date); }
    // "1 Year", "25 Years", "in 2 Years", "Today!!" ...; empty without years.
    QString yearsText() const;
    // D with a leading blank when not negative: " 29", "-1".
    QString dayText() const;
};

// The days the window lists ahead of today; almarik-list may ask for more.
inline constexpr int kMonthListDays = 30;

// Which anniversaries one listing shows, counted from one day: today up to
// daysAhead days ahead, with recent also the last two days. With the window's
// 30 days an anniversary about eleven months back counts as next year's; a
// longer listing moves every anniversary not listed as recent to next year.
class MonthListRules
{
public:
    MonthListRules(const QDate &today, bool recent, int daysAhead = kMonthListDays);

    // Fills the day count, date, years and colour of row for an event of
    // eventDate; false when its anniversary is not listed. An
    // event of 29 February has its anniversary on 28 February in a common
    // year.
    bool rowFor(const QDate &eventDate, MonthRow &row) const;
    // The same for a valid date given by its parts, which spares a scan of
    // stored texts building a QDate for every event.
    bool rowFor(int year, int month, int day, MonthRow &row) const;

private:
    int daysTo(size_t nextYear, int month, int day) const;

    int m_year;
    int m_minDays;         // listed when D > m_minDays
    int m_daysAhead;       // listed when D <= m_daysAhead
    int m_nextYearIfBelow; // this year's D below it: next year's counts
    // This year's and next: leap or not, days from today to each month's 1st.
    std::array<bool, 2> m_leap{};
    std::array<std::array<int, 12>, 2> m_monthStart{};
};

// The row for one event in the window's list, or false when its
// anniversary is not listed.
bool monthRowFor(const QDate &eventDate, const QDate &today, bool recent, MonthRow &row);

// The list's order: ascending D; rows of equal D stay in the order given.
void sortMonthRows(std::vector<MonthRow> &rows);

// Called for every failing step; the list goes on without that step.
using FillFailure = std::function<void(const AppError &)>;

// The report of one fill: each distinct failure is shown once (a damaged
// table would otherwise give one box per row), with the repair hint, as a
// critical box through prompts.
FillFailure fillFailureReport(Prompts &prompts);

// Which ColourTable entries 0-5 the listed rows use: only those are read.
std::array<bool, 6> coloursUsed(const std::vector<MonthRow> &rows);

// The day of an event's Dates value. Throws AppError 94 "Invalid use of
// Null" for Null and 13 "Type mismatch" for anything but a date.
QDate eventDateOf(const QVariant &value);

// Reads rs's rows again (fields Dates, Description, ShowOnce and icon) into
// the listed rows, sorted on D, keeping only those; rows with equal D keep
// the database's order. A row whose Dates or Description cannot be read is
// reported and left out; an unreadable ShowOnce or icon is reported and the
// row is listed without marker or picture. A read that fails lists
// nothing. rs is left after its last row.
std::vector<MonthRow> readMonthList(RecordSet &rs, const QDate &today, bool recent,
                                    const FillFailure &failed);
