#include "app/MonthList.h"

#include "platform/AppError.h"
#include "store/RecordSet.h"

#include <algorithm>

QDate anniversaryIn(const QDate &eventDate, int year)
{
    const QDate day(year, eventDate.month(), eventDate.day());
    if (day.isValid())
        return day;
    return QDate(year, 2, 28); // 29 February in a common year
}

Anniversary anniversaryOf(const QDate &eventDate, const QDate &today)
{
    Anniversary a;
    a.days = int(today.daysTo(anniversaryIn(eventDate, today.year())));
    // Next year's anniversary counts when this year's lies about eleven
    // months back. The lower bound admits -365, which happens on 31 December
    // of a leap year for an event of 1 January: that anniversary is tomorrow.
    if (a.days < -334 && a.days > -366) {
        a.days = int(today.daysTo(anniversaryIn(eventDate, today.year() + 1)));
        a.nextYear = 1;
    }
    return a;
}

int MinDays(bool recent)
{
    return recent ? -3 : -1;
}

bool isListed(int days, bool recent)
{
    return days < 31 && days > MinDays(recent);
}

int yearsOf(const QDate &eventDate, const QDate &today, int nextYear)
{
    return nextYear + (today.year() - eventDate.year());
}

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

QString gridDateText(const QDate &day)
{
    return day.toString(QStringLiteral("dd-MM-yyyy"));
}

bool monthRowFor(const QDate &eventDate, const QDate &today, bool recent, MonthRow &row)
{
    const Anniversary a = anniversaryOf(eventDate, today);
    if (!isListed(a.days, recent))
        return false;
    row.days = a.days;
    row.dateText = gridDateText(eventDate);
    row.yearsText = yearsText(yearsOf(eventDate, today, a.nextYear), a.days);
    row.dayText = dayText(a.days);
    row.colourIndex = colourIndexFor(a.days);
    return true;
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
    rows.reserve(size_t(rs.RecordCount()) / 8);
    while (!rs.isEOF()) {
        MonthRow row;
        bool listed = false;
        try {
            listed = monthRowFor(dateOf(field(rs, dates)), today, recent, row);
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
    std::stable_sort(rows.begin(), rows.end(),
                     [](const MonthRow &a, const MonthRow &b) { return a.days < b.days; });
    return rows;
}
