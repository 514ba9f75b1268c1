#pragma once
// The month list's arithmetic: which events have their anniversary from
// today up to thirty days ahead (or in the last two days), how many years it
// marks, and the texts and colour of the row. Everything counts from the
// start-up day handed in, never from the clock.

#include <QDate>
#include <QString>
#include <array>
#include <functional>
#include <vector>

class AppError;
class Prompts;
class RecordSet;

// The event's date as the "Date" column shows it: "dd-mm-yyyy".
QString gridDateText(const QDate &day);

// One listed event.
struct MonthRow
{
    QString description;
    QString dateText;
    QString yearsText; // "1 Year", "25 Years", "in 2 Years", "Today!!" ...
    QString dayText;   // D with a leading blank when not negative: " 29", "-1"
    int days = 0;      // D: days from today to the anniversary
    bool showOnce = false;
    bool hasIcon = false; // the icon column is not Null: the row is 400 twips high
    QString icon;
    int colourIndex = -1; // ColourTable entry 0-3 for D = 0..3, 5 for D = -1, -2; -1 none
};

// The row for one event, or false when its anniversary is not listed. An
// event of 29 February has its anniversary on 28 February in a common year.
bool monthRowFor(const QDate &eventDate, const QDate &today, bool recent, MonthRow &row);

// Called for every failing step; the list goes on without that step.
using FillFailure = std::function<void(const AppError &)>;

// The report of one fill: each distinct failure is shown once (a damaged
// table would otherwise give one box per row), with the repair hint, as a
// critical box through prompts.
FillFailure fillFailureReport(Prompts &prompts);

// Which ColourTable entries 0-5 the listed rows use: only those are read.
std::array<bool, 6> coloursUsed(const std::vector<MonthRow> &rows);

// Requeries rs and reads every row of it (fields Dates, Description,
// ShowOnce and icon) into the listed rows, sorted on D; rows with equal D
// keep the database's order. A row whose Dates or Description cannot be read
// is reported and left out; an unreadable ShowOnce or icon is reported and
// the row is listed without marker or picture. A failed Requery lists
// nothing. rs is left after its last row.
std::vector<MonthRow> readMonthList(RecordSet &rs, const QDate &today, bool recent,
                                    const FillFailure &failed);
