#include "app/MonthList.h"

#include "platform/AppError.h"
#include "store/RecordSet.h"

#include <array>

namespace {

// Julian day of 1 January 1970, where the civil day count below starts.
constexpr qint64 kUnixEpochJd = 2440588;

// The civil (proleptic Gregorian) day count from 1970-01-01 and back, in
// plain integer steps: the fill does this for every event of the table.
qint64 daysFromCivil(qint64 y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + qint64(doe) - 719468;
}

void civilFromDays(qint64 z, int &year, int &month, int &day)
{
    z += 719468;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = int(doy - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = int(qint64(yoe) + era * 400 + (month <= 2));
}

// The parts of a date; years before 1 AD (no year 0 in QDate) go through Qt.
void partsOf(const QDate &date, int &year, int &month, int &day)
{
    const qint64 jd = date.toJulianDay();
    if (jd < 1721426) { // 1 January 1 AD
        date.getDate(&year, &month, &day);
        return;
    }
    civilFromDays(jd - kUnixEpochJd, year, month, day);
}

QString twoDigits(int n)
{
    return QString(QLatin1Char(char('0' + n / 10))) + QLatin1Char(char('0' + n % 10));
}

// Counts days from one start-up day; the fill asks it once per event, so
// it keeps the day's own parts rather than work them out again each time.
class DayCounter
{
public:
    explicit DayCounter(const QDate &today)
        : m_today(today.toJulianDay() - kUnixEpochJd), m_year(today.year())
    {
    }

    // The day count of the date, with 29 February in a common year taken
    // as 28 February.
    static qint64 dayNumber(int year, int month, int day)
    {
        if (month == 2 && day == 29 && !QDate::isLeapYear(year))
            day = 28;
        return daysFromCivil(year, unsigned(month), unsigned(day));
    }

    Anniversary of(int month, int day) const
    {
        Anniversary a;
        a.days = int(dayNumber(m_year, month, day) - m_today);
        // Next year's anniversary counts when this year's lies about eleven
        // months back. The lower bound admits -365, which happens on 31
        // December of a leap year for an event of 1 January: that
        // anniversary is tomorrow.
        if (a.days < -334 && a.days > -366) {
            a.days = int(dayNumber(m_year + 1, month, day) - m_today);
            a.nextYear = 1;
        }
        return a;
    }

    bool rowFor(const QDate &eventDate, bool recent, MonthRow &row) const
    {
        int year = 0;
        int month = 0;
        int day = 0;
        partsOf(eventDate, year, month, day);
        const Anniversary a = of(month, day);
        if (!isListed(a.days, recent))
            return false;
        row.days = a.days;
        row.dateText = year > 999 && year < 10000
                           ? twoDigits(day) + QLatin1Char('-') + twoDigits(month) +
                                 QLatin1Char('-') + QString::number(year)
                           : gridDateText(eventDate);
        row.yearsText = yearsText(a.nextYear + (m_year - year), a.days);
        row.dayText = dayText(a.days);
        row.colourIndex = colourIndexFor(a.days);
        return true;
    }

private:
    qint64 m_today; // days from 1970-01-01
    int m_year;
};

} // namespace

QDate anniversaryIn(const QDate &eventDate, int year)
{
    return QDate::fromJulianDay(DayCounter::dayNumber(year, eventDate.month(), eventDate.day()) +
                                kUnixEpochJd);
}

Anniversary anniversaryOf(const QDate &eventDate, const QDate &today)
{
    return DayCounter(today).of(eventDate.month(), eventDate.day());
}

int MinDays(bool recent)
{
    return recent ? -3 : -1;
}

bool isListed(int days, bool recent)
{
    return days < 31 && days > MinDays(recent);
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

// The rows in ascending order of D, rows of equal D in the order read. D
// lies in the small listed window, so the rows are counted into place.
std::vector<MonthRow> sortedOnDays(std::vector<MonthRow> rows)
{
    constexpr int low = -2; // MinDays(true) + 1
    constexpr int width = 31 - low;
    std::array<size_t, width + 1> start{};
    for (const MonthRow &r : rows)
        ++start[size_t(r.days - low + 1)];
    for (size_t i = 1; i < start.size(); ++i)
        start[i] += start[i - 1];
    std::vector<MonthRow> sorted(rows.size());
    for (MonthRow &r : rows)
        sorted[start[size_t(r.days - low)]++] = std::move(r);
    return sorted;
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
    return sortedOnDays(std::move(rows));
}
