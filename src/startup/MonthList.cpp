// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup/MonthList.h"

#include "platform/AppError.h"
#include "platform/Prompts.h"
#include "startup/StartupDatabase.h"
#include "store/DateRules.h"
#include "store/JetDate.h"
#include "store/RecordSet.h"

#include <QSet>

#include <algorithm>
#include <array>
#include <memory>

namespace {

// The years text for Y, decided in this order; for Y = 0 by D.
QString yearsTextFor(int years, int days)
{
    if (years == 1)
        return QStringLiteral("1 Year");
    if (years > 1)
        return QString::number(years) + QStringLiteral(" Years");
    if (years < 0)
        return QStringLiteral("in ") + QString::number(-years) + QStringLiteral(" Years");
    switch (days) {
    case -2:
        return QStringLiteral("2 days ago");
    case -1:
        return QStringLiteral("Yesterday");
    case 0:
        return QStringLiteral("Today!!");
    case 1:
        return QStringLiteral("Tomorrow!");
    default:
        return QString();
    }
}

int colourIndexFor(int days)
{
    if (days >= 0 && days <= 3)
        return days;
    if (days == -1 || days == -2)
        return 5;
    return -1;
}

} // namespace

// MinDays is -3 with the recent events shown, -1 else. The next-year bound
// is -334 for the window's 30 days (a year of 365 days less the 31 listed);
// a longer listing must not move today's or a recent anniversary away.
MonthListRules::MonthListRules(const QDate &today, bool recent, int daysAhead)
    : m_year(today.year()), m_minDays(recent ? -3 : -1), m_daysAhead(daysAhead),
      m_nextYearIfBelow(std::min(daysAhead + 1 - 365, m_minDays + 1))
{
    for (size_t y = 0; y < 2; ++y) {
        m_leap[y] = QDate::isLeapYear(m_year + int(y));
        for (size_t m = 0; m < 12; ++m)
            m_monthStart[y][m] =
                int(QDate(m_year + int(y), int(m) + 1, 1).toJulianDay() - today.toJulianDay());
    }
}

bool MonthListRules::rowFor(const QDate &eventDate, MonthRow &row) const
{
    int year = 0;
    int month = 0;
    int day = 0;
    eventDate.getDate(&year, &month, &day);
    return rowFor(year, month, day, row);
}

QString MonthRow::yearsText() const
{
    return hasYears ? yearsTextFor(years, days) : QString();
}

QString MonthRow::dayText() const
{
    return days < 0 ? QString::number(days) : QLatin1Char(' ') + QString::number(days);
}

bool MonthListRules::rowFor(int year, int month, int day, MonthRow &row) const
{
    int nextYear = 0;
    int days = daysTo(0, month, day);
    // The lower bound admits -365, which happens on 31 December of a leap
    // year for an event of 1 January: that anniversary is tomorrow.
    if (days < m_nextYearIfBelow && days > -366) {
        days = daysTo(1, month, day);
        nextYear = 1;
    }
    if (days > m_daysAhead || days <= m_minDays)
        return false;
    row.days = days;
    row.date = QDate(year, month, day);
    // A date without a year (kept in kNoYear) has no years to count.
    row.hasYears = year != kNoYear;
    row.years = nextYear + (m_year - year);
    row.colourIndex = colourIndexFor(days);
    return true;
}

// Days to the anniversary in this year (0) or the next (1); 29 February
// falls on 28 February in a common year. The fill asks once per event, so
// the months' first days are counted once, when the rules are made.
int MonthListRules::daysTo(size_t nextYear, int month, int day) const
{
    if (month == 2 && day == 29 && !m_leap[nextYear])
        day = 28;
    return m_monthStart[nextYear][size_t(month - 1)] + day - 1;
}

QString gridDateText(const QDate &day)
{
    return dayMonthYearText(day);
}

bool monthRowFor(const QDate &eventDate, const QDate &today, bool recent, MonthRow &row)
{
    return MonthListRules(today, recent).rowFor(eventDate, row);
}

void sortMonthRows(std::vector<MonthRow> &rows)
{
    if (rows.empty())
        return;
    // D spans at most a year: counting the rows per day gives each row its
    // place at once, and the rows are then moved there in the vector itself,
    // which spares a second vector as large as the list.
    const auto [low, high] =
        std::minmax_element(rows.begin(), rows.end(),
                            [](const MonthRow &a, const MonthRow &b) { return a.days < b.days; });
    const int first = low->days;
    std::vector<size_t> start(size_t(high->days - first) + 2, 0);
    for (const MonthRow &r : rows)
        ++start[size_t(r.days - first) + 1];
    for (size_t i = 1; i < start.size(); ++i)
        start[i] += start[i - 1];
    std::vector<size_t> place(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        place[i] = start[size_t(rows[i].days - first)]++;
    for (size_t i = 0; i < rows.size(); ++i) {
        while (place[i] != i) {
            std::swap(rows[i], rows[place[i]]);
            std::swap(place[i], place[place[i]]);
        }
    }
}

QDate eventDateOf(const QVariant &value)
{
    if (value.isNull())
        throw invalidUseOfNull();
    if (value.typeId() == QMetaType::QDate)
        return value.toDate();
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().date();
    throw classicError(ErrNo::TypeMismatch);
}

std::vector<MonthRow> readMonthList(RecordSet &rs, const QDate &today, bool recent,
                                    const FillFailure &failed)
{
    std::vector<MonthRow> rows;
    const MonthListRules rules(today, recent);
    // A few picture keys repeat over the rows: each is kept once.
    QSet<QString> icons;
    MonthRow row;
    try {
        rs.scan({QStringLiteral("Dates"), QStringLiteral("Description"), QStringLiteral("ShowOnce"),
                 QStringLiteral("icon")},
                [&](const RecordSet::ScanRow &r) {
                    try {
                        IsoParts day;
                        const bool listed = r.dateParts(0, &day)
                                                ? rules.rowFor(day.year, day.month, day.day, row)
                                                : rules.rowFor(eventDateOf(r.value(0)), row);
                        if (!listed)
                            return;
                        row.description = r.value(1).toString();
                    } catch (const AppError &e) {
                        failed(e);
                        return;
                    }
                    try {
                        row.showOnce = r.value(2).toBool(); // Null reads false
                    } catch (const AppError &e) {
                        failed(e);
                    }
                    try {
                        const QVariant key = r.value(3);
                        row.hasIcon = !key.isNull();
                        row.icon = *icons.insert(key.toString());
                    } catch (const AppError &e) {
                        failed(e);
                    }
                    rows.push_back(std::move(row));
                    row = MonthRow();
                });
    } catch (const AppError &e) {
        // A read that fails lists nothing.
        failed(e);
        rows.clear();
        return rows;
    }
    sortMonthRows(rows);
    return rows;
}

FillFailure fillFailureReport(Prompts &prompts)
{
    auto shown = std::make_shared<QSet<QString>>();
    return [&prompts, shown](const AppError &e) {
        const QString text = e.description() + QStringLiteral("\r\n") + repairHint();
        if (shown->contains(text))
            return;
        shown->insert(text);
        prompts.MsgBox(text, MsgButtons::OkOnly, MsgIcon::Critical);
    };
}

std::array<bool, 6> coloursUsed(const std::vector<MonthRow> &rows)
{
    std::array<bool, 6> used{};
    for (const MonthRow &r : rows) {
        if (r.colourIndex >= 0 && r.colourIndex < 6)
            used[size_t(r.colourIndex)] = true;
    }
    return used;
}
