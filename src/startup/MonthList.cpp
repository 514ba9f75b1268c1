#include "startup/MonthList.h"

#include "platform/AppError.h"
#include "platform/Prompts.h"
#include "startup/StartupDatabase.h"
#include "store/DateRules.h"
#include "store/RecordSet.h"

#include <QSet>

#include <algorithm>
#include <array>
#include <memory>

namespace {

// D < 31 and D > MinDays, MinDays being -3 with the recent events shown, -1 else.
bool isListed(int days, bool recent)
{
    const int MinDays = recent ? -3 : -1;
    return days < 31 && days > MinDays;
}

// The years text for Y, decided in this order; for Y = 0 by D.
QString yearsText(int years, int days)
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

QString dayText(int days)
{
    return days < 0 ? QString::number(days) : QLatin1Char(' ') + QString::number(days);
}

int colourIndexFor(int days)
{
    if (days >= 0 && days <= 3)
        return days;
    if (days == -1 || days == -2)
        return 5;
    return -1;
}

// Counts days from one start-up day; the fill asks it once per event, so
// it keeps the day's own parts rather than work them out again each time.
class DayCounter
{
public:
    explicit DayCounter(const QDate &today) : m_today(today.toJulianDay()), m_year(today.year()) {}

    bool rowFor(const QDate &eventDate, bool recent, MonthRow &row) const
    {
        int year = 0;
        int month = 0;
        int day = 0;
        eventDate.getDate(&year, &month, &day);
        int nextYear = 0;
        int days = daysTo(m_year, month, day);
        // Next year's anniversary counts when this year's lies about eleven
        // months back. The lower bound admits -365, which happens on 31
        // December of a leap year for an event of 1 January: that
        // anniversary is tomorrow.
        if (days < -334 && days > -366) {
            days = daysTo(m_year + 1, month, day);
            nextYear = 1;
        }
        if (!isListed(days, recent))
            return false;
        row.days = days;
        row.dateText = gridDateText(eventDate);
        // A date without a year (kept in kNoYear) has no years to count.
        row.yearsText = year == kNoYear ? QString() : yearsText(nextYear + (m_year - year), days);
        row.dayText = dayText(days);
        row.colourIndex = colourIndexFor(days);
        return true;
    }

private:
    // Days to the anniversary in year; 29 February falls on 28 February in
    // a common year.
    int daysTo(int year, int month, int day) const
    {
        if (month == 2 && day == 29 && !QDate::isLeapYear(year))
            day = 28;
        return int(QDate(year, month, day).toJulianDay() - m_today);
    }

    qint64 m_today; // Julian day
    int m_year;
};

} // namespace

QString gridDateText(const QDate &day)
{
    return dayMonthYearText(day);
}

bool monthRowFor(const QDate &eventDate, const QDate &today, bool recent, MonthRow &row)
{
    return DayCounter(today).rowFor(eventDate, recent, row);
}

namespace {

// A column looked up once for the whole fill rather than by name per row.
struct Column
{
    Column(const RecordSet &rs, const QString &name) : name(name), index(rs.fieldIndex(name)) {}
    QString name;
    int index;
};

// The column's value in the current row; a missing column throws the
// record set's own error.
QVariant field(const RecordSet &rs, const Column &column)
{
    if (column.index < 0)
        return rs.Fields(column.name);
    return rs.valueAt(rs.position(), column.index);
}

QDate dateOf(const QVariant &value)
{
    if (value.isNull())
        throw AppError(94, QStringLiteral("Invalid use of Null"));
    if (value.typeId() == QMetaType::QDate)
        return value.toDate();
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().date();
    throw AppError(13, QStringLiteral("Type mismatch"));
}

} // namespace

std::vector<MonthRow> readMonthList(RecordSet &rs, const QDate &today, bool recent,
                                    const FillFailure &failed)
{
    std::vector<MonthRow> rows;
    try {
        rs.Requery();
    } catch (const AppError &e) {
        failed(e);
        return rows;
    }
    const Column dates(rs, QStringLiteral("Dates"));
    const Column description(rs, QStringLiteral("Description"));
    const Column showOnce(rs, QStringLiteral("ShowOnce"));
    const Column icon(rs, QStringLiteral("icon"));
    const DayCounter counter(today);
    rows.reserve(size_t(rs.RecordCount()) / 8);
    while (!rs.isEOF()) {
        MonthRow row;
        bool listed = false;
        try {
            listed = counter.rowFor(dateOf(field(rs, dates)), recent, row);
            if (listed)
                row.description = field(rs, description).toString();
        } catch (const AppError &e) {
            failed(e);
            listed = false;
        }
        if (listed) {
            try {
                row.showOnce = field(rs, showOnce).toBool(); // Null reads false
            } catch (const AppError &e) {
                failed(e);
            }
            try {
                const QVariant key = field(rs, icon);
                row.hasIcon = !key.isNull();
                row.icon = key.toString();
            } catch (const AppError &e) {
                failed(e);
            }
            rows.push_back(std::move(row));
        }
        try {
            rs.MoveNext();
        } catch (const AppError &e) {
            failed(e);
            break; // a record set that cannot move on must not be read again
        }
    }
    // Ascending D; rows of equal D stay in the order read.
    std::stable_sort(rows.begin(), rows.end(),
                     [](const MonthRow &a, const MonthRow &b) { return a.days < b.days; });
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
