// SPDX-License-Identifier: GPL-3.0-or-later
// Jet's date functions as SQL functions: the parts of a date, DateAdd,
// DateDiff, DatePart, DateSerial and the clock. Dates come in as stored ISO
// texts, date texts or serial numbers and go out in the stored form.

#include "platform/Clock.h"
#include "store/DateRules.h"
#include "store/JetFunctions.h"
#include "store/JetValue.h"

#include <QDateTime>

#include <limits>

namespace jet {

namespace {

// A date split into what the functions ask of it.
struct Moment
{
    qint64 day = 0;
    int seconds = 0;
    int year = 0, month = 0, dayOfMonth = 0;
    qint64 secondsSinceDayZero() const { return day * 86400 + seconds; }
};

Moment momentOf(double serial)
{
    Moment m;
    if (!serialToDay(serial, &m.day, &m.seconds))
        throw Failure{kOverflow};
    civilFromDay(m.day, &m.year, &m.month, &m.dayOfMonth);
    return m;
}

Moment momentArg(const Call &c, int i)
{
    return momentOf(toSerial(c.arg(i)));
}

qint64 floorDiv(qint64 a, qint64 b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

enum class Interval
{
    Year,
    Quarter,
    Month,
    DayOfYear,
    Day,
    Weekday,
    Week,
    Hour,
    Minute,
    Second
};

Interval intervalArg(const Call &c, int i)
{
    static const struct
    {
        const char *name;
        Interval interval;
    } kNames[] = {{"yyyy", Interval::Year},   {"q", Interval::Quarter}, {"m", Interval::Month},
                  {"y", Interval::DayOfYear}, {"d", Interval::Day},     {"w", Interval::Weekday},
                  {"ww", Interval::Week},     {"h", Interval::Hour},    {"n", Interval::Minute},
                  {"s", Interval::Second}};
    const QString name = c.textArg(i);
    for (const auto &n : kNames) {
        if (name.compare(QLatin1String(n.name), Qt::CaseInsensitive) == 0)
            return n.interval;
    }
    throw Failure{kInvalidCall};
}

// The optional first day of the week: 1 (Sunday) to 7; 0 is the system's,
// Sunday under a US locale.
int firstDayArg(const Call &c, int i)
{
    if (i >= c.count())
        return 1;
    const qint64 day = c.integerArg(i);
    if (day < 0 || day > 7)
        throw Failure{kInvalidCall};
    return day == 0 ? 1 : int(day);
}

qint64 secondsIn(Interval interval)
{
    return interval == Interval::Hour ? 3600 : interval == Interval::Minute ? 60 : 1;
}

// Whole days and seconds since day zero as a date; `outOfRange` beyond
// the years 100 to 9999.
void setMoment(Call &c, qint64 totalSeconds, const char *outOfRange)
{
    const qint64 day = floorDiv(totalSeconds, 86400);
    if (day < kFirstDay || day > kLastDay)
        throw Failure{outOfRange};
    c.setDate(dayToSerial(day, int(totalSeconds - day * 86400)), outOfRange);
}

template <int Part> void datePart(Call &c)
{
    if (c.isNull(0))
        return c.setNull();
    const Moment m = momentArg(c, 0);
    const int parts[] = {
        m.year, m.month, m.dayOfMonth, m.seconds / 3600, m.seconds / 60 % 60, m.seconds % 60};
    c.setInteger(parts[Part]);
}

void weekday(Call &c)
{
    if (c.isNull(0))
        return c.setNull();
    const Moment m = momentArg(c, 0);
    c.setInteger(weekdayOf(m.day, firstDayArg(c, 1)));
}

// DateAdd keeps the day of the month where it can and otherwise takes the
// month's last day: one month after 31 January is 28 or 29 February.
void dateAdd(Call &c)
{
    const Interval interval = intervalArg(c, 0);
    const qint64 n = c.integerArg(1);
    if (c.isNull(2))
        return c.setNull();
    const Moment m = momentArg(c, 2);
    switch (interval) {
    case Interval::Year:
    case Interval::Quarter:
    case Interval::Month: {
        const qint64 months = n * (interval == Interval::Year      ? 12
                                   : interval == Interval::Quarter ? 3
                                                                   : 1);
        const qint64 total = qint64(m.year) * 12 + (m.month - 1) + months;
        const qint64 year = floorDiv(total, 12);
        if (year < 100 || year > 9999)
            throw Failure{kInvalidCall};
        const int month = int(total - year * 12) + 1;
        const int dom = std::min(m.dayOfMonth, daysInMonth(int(year), month));
        return c.setDate(dayToSerial(dayFromCivil(year, month, dom), m.seconds), kInvalidCall);
    }
    case Interval::DayOfYear:
    case Interval::Day:
    case Interval::Weekday:
    case Interval::Week:
        return setMoment(c,
                         m.secondsSinceDayZero() + n * (interval == Interval::Week ? 7 : 1) * 86400,
                         kInvalidCall);
    case Interval::Hour:
    case Interval::Minute:
    case Interval::Second:
        return setMoment(c, m.secondsSinceDayZero() + n * secondsIn(interval), kInvalidCall);
    }
}

// DateDiff counts the boundaries crossed: 31 December to 1 January is one
// year, 10:59 to 11:00 one hour; "ww" counts the first days of the week.
void dateDiff(Call &c)
{
    const Interval interval = intervalArg(c, 0);
    const int firstDay = firstDayArg(c, 3);
    if (c.isNull(1) || c.isNull(2))
        return c.setNull();
    const Moment a = momentArg(c, 1);
    const Moment b = momentArg(c, 2);
    qint64 n = 0;
    switch (interval) {
    case Interval::Year:
        n = b.year - a.year;
        break;
    case Interval::Quarter:
        n = (b.year * 4 + (b.month - 1) / 3) - (a.year * 4 + (a.month - 1) / 3);
        break;
    case Interval::Month:
        n = (b.year * 12 + b.month) - (a.year * 12 + a.month);
        break;
    case Interval::DayOfYear:
    case Interval::Day:
        n = b.day - a.day;
        break;
    case Interval::Weekday:
        n = (b.day - a.day) / 7;
        break;
    case Interval::Week:
        n = ((b.day - weekdayOf(b.day, firstDay)) - (a.day - weekdayOf(a.day, firstDay))) / 7;
        break;
    case Interval::Hour:
    case Interval::Minute:
    case Interval::Second:
        n = floorDiv(b.secondsSinceDayZero(), secondsIn(interval)) -
            floorDiv(a.secondsSinceDayZero(), secondsIn(interval));
        break;
    }
    if (n < std::numeric_limits<qint32>::min() || n > std::numeric_limits<qint32>::max())
        throw Failure{kOverflow};
    c.setInteger(n);
}

void datePartOf(Call &c)
{
    const Interval interval = intervalArg(c, 0);
    const int firstDay = firstDayArg(c, 2);
    if (c.isNull(1))
        return c.setNull();
    const Moment m = momentArg(c, 1);
    qint64 n = 0;
    switch (interval) {
    case Interval::Year:
        n = m.year;
        break;
    case Interval::Quarter:
        n = (m.month - 1) / 3 + 1;
        break;
    case Interval::Month:
        n = m.month;
        break;
    case Interval::DayOfYear:
        n = m.day - dayFromCivil(m.year, 1, 1) + 1;
        break;
    case Interval::Day:
        n = m.dayOfMonth;
        break;
    case Interval::Weekday:
        n = weekdayOf(m.day, firstDay);
        break;
    case Interval::Week:
        n = weekOfYear(m.day, firstDay);
        break;
    case Interval::Hour:
        n = m.seconds / 3600;
        break;
    case Interval::Minute:
        n = m.seconds / 60 % 60;
        break;
    case Interval::Second:
        n = m.seconds % 60;
        break;
    }
    c.setInteger(n);
}

// DateSerial rolls over like Jet: month 13 is January of the next year,
// day 0 the last day of the month before; years 0 to 99 are 1930 to 2029.
void dateSerial(Call &c)
{
    constexpr qint64 kMin = std::numeric_limits<qint16>::min();
    constexpr qint64 kMax = std::numeric_limits<qint16>::max();
    qint64 year = c.integerArg(0, kMin, kMax);
    const qint64 month = c.integerArg(1, kMin, kMax);
    const qint64 day = c.integerArg(2, kMin, kMax);
    if (year >= 0 && year < 100)
        year = jetYear(int(year));
    setMoment(c, dayFromCivil(year, month, day) * 86400, kInvalidCall);
}

void timeSerial(Call &c)
{
    constexpr qint64 kMin = std::numeric_limits<qint16>::min();
    constexpr qint64 kMax = std::numeric_limits<qint16>::max();
    const qint64 total = c.integerArg(0, kMin, kMax) * 3600 + c.integerArg(1, kMin, kMax) * 60 +
                         c.integerArg(2, kMin, kMax);
    if (total < 0) // Jet's times before day zero wrap in ways not worth copying
        throw Failure{kInvalidCall};
    setMoment(c, total, kInvalidCall);
}

// DateValue and TimeValue read a date text (or take a date) and keep one
// half of it.
template <bool Time> void dateOrTimeValue(Call &c)
{
    const Value v = c.arg(0);
    if (v.isNull())
        return c.setNull();
    if (v.kind == Kind::Number)
        throw mismatch();
    const Moment m = momentOf(toSerial(v));
    if (Time)
        return c.setDate(dayToSerial(0, m.seconds));
    c.setDate(double(m.day));
}

void cdate(Call &c)
{
    c.setDate(toSerial(c.arg(0)));
}

void isDate(Call &c)
{
    const Value v = c.arg(0);
    double serial = 0;
    c.setBool(v.kind == Kind::Date || (v.kind == Kind::Text && parseDate(v.text(), &serial)));
}

// Now, Date and Time read the program's clock (appClock), to the second.
template <int What> void clockReading(Call &c)
{
    const QDateTime now = appClock()();
    const QDate d = now.date();
    const qint64 day = What == 2 ? 0 : dayFromCivil(d.year(), d.month(), d.day());
    const int seconds = What == 1 ? 0 : now.time().msecsSinceStartOfDay() / 1000;
    c.setDate(dayToSerial(day, seconds));
}

const Entry kDateFunctions[] = {
    {"jet_year", 1, datePart<0>},
    {"jet_month", 1, datePart<1>},
    {"jet_day", 1, datePart<2>},
    {"jet_hour", 1, datePart<3>},
    {"jet_minute", 1, datePart<4>},
    {"jet_second", 1, datePart<5>},
    {"jet_weekday", 1, weekday},
    {"jet_weekday", 2, weekday},
    {"jet_dateadd", 3, dateAdd},
    {"jet_datediff", 3, dateDiff},
    {"jet_datediff", 4, dateDiff},
    {"jet_datepart", 2, datePartOf},
    {"jet_datepart", 3, datePartOf},
    {"jet_dateserial", 3, dateSerial},
    {"jet_timeserial", 3, timeSerial},
    {"jet_datevalue", 1, dateOrTimeValue<false>},
    {"jet_timevalue", 1, dateOrTimeValue<true>},
    {"jet_cdate", 1, cdate},
    {"jet_isdate", 1, isDate},
    {"jet_now", 0, clockReading<0>, false},
    {"jet_date", 0, clockReading<1>, false},
    {"jet_time", 0, clockReading<2>, false},
};

} // namespace

void registerDateFunctions(sqlite3 *db)
{
    registerEntries(db, kDateFunctions);
}

} // namespace jet
