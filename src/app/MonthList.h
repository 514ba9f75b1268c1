#pragma once
// The month list's arithmetic: which events have their anniversary from
// today up to thirty days ahead (or in the last two days), how many years it
// marks, and the texts and colour of the row. Everything counts from the
// start-up day handed in, never from the clock.

#include <QDate>
#include <QString>
#include <functional>
#include <vector>

class AppError;
class RecordSet;

// The event's anniversary in year; 29 February falls on 28 February in a
// year without that day.
QDate anniversaryIn(const QDate &eventDate, int year);

struct Anniversary
{
    int days = 0;     // D: days from today to the anniversary (negative when past)
    int nextYear = 0; // 1 when the anniversary counted is next year's
};

// D for an event: this year's anniversary, or next year's when this year's
// lies about eleven months back (D < -334).
Anniversary anniversaryOf(const QDate &eventDate, const QDate &today);

// The lowest D not listed: -1, or -3 with the recent events shown.
int MinDays(bool recent);
// D < 31 and D > MinDays.
bool isListed(int days, bool recent);

// The years text for Y (calendar years from the event's year to the
// anniversary's): "1 Year", "25 Years", "in 2 Years", or by D for Y = 0: "2 days ago",
// "Yesterday", "Today!!", "Tomorrow!", "".
QString yearsText(int years, int days);
// D with a leading blank when not negative (" 29", " 0", "-1").
QString dayText(int days);
// The ColourTable entry for D: 0 to 3 for D = 0..3, 5 for D = -1 and -2,
// -1 for none (the row keeps the list background).
int colourIndexFor(int days);

// The event's date as the "Date" column shows it: "dd-mm-yyyy".
QString gridDateText(const QDate &day);

// One listed event.
struct MonthRow
{
    QString description;
    QString dateText;
    QString yearsText;
    QString dayText;
    int days = 0;
    bool showOnce = false;
    bool hasIcon = false; // the icon column is not Null: the row is 400 twips high
    QString icon;
    int colourIndex = -1;
};

// The row for one event, or false when its anniversary is not listed.
bool monthRowFor(const QDate &eventDate, const QDate &today, bool recent, MonthRow &row);

// Called for every failing step; the list goes on without that step.
using FillFailure = std::function<void(const AppError &)>;

// Requeries rs and reads every row of it (fields Dates, Description,
// ShowOnce and icon) into the listed rows, sorted on D; rows with equal D
// keep the database's order. A row whose Dates or Description cannot be read
// is reported and left out; an unreadable ShowOnce or icon is reported and
// the row is listed without marker or picture. A failed Requery lists
// nothing. rs is left after its last row.
std::vector<MonthRow> readMonthList(RecordSet &rs, const QDate &today, bool recent,
                                    const FillFailure &failed);
