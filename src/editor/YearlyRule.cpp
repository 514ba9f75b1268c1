// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/YearlyRule.h"

#include <QLocale>
#include <QStringList>

#include <libical/ical.h>

#include <cstdlib>

namespace {

template <std::size_t N> int countOf(const short (&values)[N])
{
    std::size_t n = 0;
    while (n < N && values[n] != ICAL_RECURRENCE_ARRAY_MAX)
        ++n;
    return int(n);
}

// A BYMONTHDAY value naming start's own day every year. Counted from the
// month's end it does so only where the month's length never changes.
bool isStartDay(int monthDay, const QDate &start)
{
    if (monthDay > 0)
        return monthDay == start.day();
    if (start.month() == 2)
        return monthDay == -1 && start.day() == 29;
    return start.daysInMonth() + monthDay + 1 == start.day();
}

QString ordinal(int position)
{
    static const char *const words[] = {"first", "second", "third", "fourth", "fifth"};
    if (position == -1)
        return QStringLiteral("last");
    return position >= 1 && position <= 5 ? QString::fromLatin1(words[position - 1]) : QString();
}

// "second Sunday of May" for a rule of one weekday in one month, else "".
QString weekdayInMonth(const icalrecurrencetype &rule)
{
    if (countOf(rule.by_day) != 1 || countOf(rule.by_month) != 1 ||
        countOf(rule.by_month_day) + countOf(rule.by_year_day) + countOf(rule.by_week_no) +
                countOf(rule.by_set_pos) >
            0 ||
        icalrecurrencetype_month_is_leap(rule.by_month[0]))
        return {};
    const QString nth = ordinal(icalrecurrencetype_day_position(rule.by_day[0]));
    const int weekday = int(icalrecurrencetype_day_day_of_week(rule.by_day[0])); // 1 is Sunday
    const int month = icalrecurrencetype_month_month(rule.by_month[0]);
    if (nth.isEmpty() || weekday < 1 || weekday > 7 || month < 1 || month > 12)
        return {};
    const QLocale c = QLocale::c();
    return nth + QLatin1Char(' ') + c.dayName(weekday == 1 ? 7 : weekday - 1) +
           QStringLiteral(" of ") + c.monthName(month);
}

// "" when the rule's days are start's day; else what they are.
QString movingDays(const icalrecurrencetype &rule, const QDate &start)
{
    bool same = countOf(rule.by_day) + countOf(rule.by_year_day) + countOf(rule.by_week_no) +
                    countOf(rule.by_set_pos) ==
                0;
    same = same && (!rule.rscale || qstricmp(rule.rscale, "GREGORIAN") == 0);
    for (int i = 0; same && i < countOf(rule.by_month); ++i)
        same = !icalrecurrencetype_month_is_leap(rule.by_month[i]) &&
               icalrecurrencetype_month_month(rule.by_month[i]) == start.month();
    for (int i = 0; same && i < countOf(rule.by_month_day); ++i)
        same = isStartDay(rule.by_month_day[i], start);
    if (same)
        return {};
    const QString named = weekdayInMonth(rule);
    if (!named.isEmpty())
        return named;
    // Said as the rule itself, without the parts said apart.
    icalrecurrencetype days = rule;
    days.interval = 1;
    days.count = 0;
    days.until = icaltime_null_time();
    char *text = icalrecurrencetype_as_string_r(&days);
    QStringList said = QString::fromUtf8(text).split(QLatin1Char(';'));
    std::free(text);
    said.removeAll(QStringLiteral("FREQ=YEARLY"));
    return QStringLiteral("by the rule ") + said.join(QLatin1Char(';'));
}

} // namespace

QString yearlyRuleNote(const icalrecurrencetype &rule, const QDate &start)
{
    QStringList parts;
    const QString days = movingDays(rule, start);
    if (!days.isEmpty())
        parts << days;
    const int every = rule.interval > 1 ? rule.interval : 1;
    if (every > 1)
        parts << QStringLiteral("every %1 years").arg(every);
    if (!icaltime_is_null_time(rule.until)) {
        parts << QStringLiteral("ends %1").arg(rule.until.year);
    } else if (rule.count > 0) {
        const qint64 last = start.year() + qint64(rule.count - 1) * every;
        parts << (days.isEmpty() && last <= 9999 ? QStringLiteral("ends %1").arg(last)
                                                 : QStringLiteral("%1 times").arg(rule.count));
    }
    if (parts.isEmpty())
        return {};
    return parts.join(QStringLiteral(", ")) + QStringLiteral(": taken as ") +
           QLocale::c().toString(start, QStringLiteral("d MMMM")) + QStringLiteral(" yearly");
}
