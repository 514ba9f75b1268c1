// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/JetValue.h"

#include "store/JetDate.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <exception>
#include <new>

namespace jet {

namespace {

constexpr qint64 kJulianDayZero = 2415019; // 30 December 1899
constexpr qint64 kUnixDayZero = 25569;     // 1 January 1970 in days since day zero

qint64 floorDiv(qint64 a, qint64 b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// "yyyy-mm-dd" or "yyyy-mm-dd hh:mm:ss" into buf; the count of characters.
int isoChars(qint64 day, int seconds, char *buf)
{
    int y = 0, m = 0, d = 0;
    civilFromDay(day, &y, &m, &d);
    if (seconds == 0)
        return std::snprintf(buf, 32, "%04d-%02d-%02d", y, m, d);
    return std::snprintf(buf, 32, "%04d-%02d-%02d %02d:%02d:%02d", y, m, d, seconds / 3600,
                         seconds / 60 % 60, seconds % 60);
}

QString usTime(int seconds)
{
    const int h = seconds / 3600;
    return QString::asprintf("%d:%02d:%02d %s", h % 12 == 0 ? 12 : h % 12, seconds / 60 % 60,
                             seconds % 60, h < 12 ? "AM" : "PM");
}

} // namespace

bool serialToDay(double serial, qint64 *day, int *seconds)
{
    if (!std::isfinite(serial) || std::fabs(serial) > 1e7)
        return false;
    // A negative serial holds its time as a fraction counted away from zero:
    // -1.25 is 29 December 1899, 6:00.
    const qint64 total = std::llround(std::fabs(serial) * 86400.0);
    const qint64 days = total / 86400;
    *day = serial < 0 ? -days : days;
    *seconds = int(total % 86400);
    return *day >= kFirstDay && *day <= kLastDay;
}

double dayToSerial(qint64 day, int seconds)
{
    const double fraction = seconds / 86400.0;
    return day >= 0 ? double(day) + fraction : double(day) - fraction;
}

qint64 dayFromCivil(qint64 year, qint64 month, qint64 day)
{
    year += floorDiv(month - 1, 12);
    month = month - 1 - floorDiv(month - 1, 12) * 12 + 1;
    const qint64 y = year - (month <= 2);
    const qint64 era = floorDiv(y, 400);
    const qint64 yoe = y - era * 400;
    const qint64 doy = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5;
    const qint64 doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468 + kUnixDayZero + (day - 1);
}

void civilFromDay(qint64 day, int *year, int *month, int *dayOfMonth)
{
    const qint64 z = day - kUnixDayZero + 719468;
    const qint64 era = floorDiv(z, 146097);
    const qint64 doe = z - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    *dayOfMonth = int(doy - (153 * mp + 2) / 5 + 1);
    *month = int(mp < 10 ? mp + 3 : mp - 9);
    *year = int(yoe + era * 400 + (*month <= 2));
}

int daysInMonth(int year, int month)
{
    return int(dayFromCivil(year, month + 1, 1) - dayFromCivil(year, month, 1));
}

int weekdayOf(qint64 day, int firstDay)
{
    const qint64 sinceSunday = day + 6 - floorDiv(day + 6, 7) * 7; // day zero was a Saturday
    return int((sinceSunday - (firstDay - 1) + 7) % 7) + 1;
}

int weekOfYear(qint64 day, int firstDay)
{
    int y = 0, m = 0, d = 0;
    civilFromDay(day, &y, &m, &d);
    const qint64 jan1 = dayFromCivil(y, 1, 1);
    const qint64 firstWeekStart = jan1 - (weekdayOf(jan1, firstDay) - 1);
    return int((day - firstWeekStart) / 7) + 1;
}

QString isoText(double serial, const char *outOfRange)
{
    qint64 day = 0;
    int seconds = 0;
    if (!serialToDay(serial, &day, &seconds))
        throw Failure{outOfRange};
    char buf[32];
    return QString::fromLatin1(buf, isoChars(day, seconds, buf));
}

QString usDateText(double serial)
{
    qint64 day = 0;
    int seconds = 0;
    if (!serialToDay(serial, &day, &seconds))
        throw Failure{kOverflow};
    int y = 0, m = 0, d = 0;
    civilFromDay(day, &y, &m, &d);
    if (day == 0) // day zero is a bare time, midnight included
        return usTime(seconds);
    const QString date = QString::asprintf("%d/%d/%d", m, d, y);
    return seconds == 0 ? date : date + QLatin1Char(' ') + usTime(seconds);
}

QString numberText(double value)
{
    if (value == 0)
        return QStringLiteral("0");
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15G", value);
    return QString::fromLatin1(buf);
}

QString toText(const Value &value)
{
    switch (value.kind) {
    case Kind::Null:
        return {};
    case Kind::Number:
        // Jet's whole numbers end at 32 bits; beyond, a Double shows 15 digits.
        if (value.integral && value.integer > -1'000'000'000'000'000 &&
            value.integer < 1'000'000'000'000'000)
            return QString::number(value.integer);
        return numberText(value.number);
    case Kind::Text:
        return value.text();
    case Kind::Date:
        return usDateText(value.number);
    }
    return {};
}

bool parseNumber(const QString &text, double *out)
{
    const QString t = text.trimmed();
    QByteArray plain;
    qsizetype i = 0;
    auto digits = [&] {
        const qsizetype from = i;
        while (i < t.size() && t[i].unicode() >= '0' && t[i].unicode() <= '9')
            plain += char(t[i++].unicode());
        return i - from;
    };
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
        plain += char(t[i++].unicode());
    qsizetype mantissa = digits();
    // Thousands separators (US) may stand between the digits of the
    // whole part.
    while (mantissa > 0 && i + 1 < t.size() && t[i] == QLatin1Char(',') && t[i + 1].isDigit()) {
        ++i;
        digits();
    }
    if (i < t.size() && t[i] == QLatin1Char('.')) {
        plain += '.';
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0)
        return false;
    if (i < t.size() && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E'))) {
        plain += 'e';
        ++i;
        if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
            plain += char(t[i++].unicode());
        if (digits() == 0)
            return false;
    }
    if (i != t.size())
        return false;
    bool ok = false;
    *out = plain.toDouble(&ok);
    if (!ok || !std::isfinite(*out))
        throw Failure{kOverflow};
    return true;
}

bool storedSerial(const char *utf8, int bytes, double *serial)
{
    qint64 jd = 0;
    int msecs = -1;
    if ((bytes != 10 && bytes != 19) || !isoToDayAndTime(utf8, bytes, &jd, &msecs))
        return false;
    const qint64 day = jd - kJulianDayZero;
    if (day < kFirstDay || day > kLastDay)
        return false;
    *serial = dayToSerial(day, msecs < 0 ? 0 : msecs / 1000);
    return true;
}

bool parseDate(const QString &text, double *serial)
{
    const std::optional<QString> iso = jetDateToIso(text);
    if (!iso)
        return false;
    const QByteArray utf8 = iso->toUtf8();
    qint64 jd = 0;
    int msecs = -1;
    if (!isoToDayAndTime(utf8.constData(), int(utf8.size()), &jd, &msecs))
        return false;
    const qint64 day = jd - kJulianDayZero;
    if (day < kFirstDay || day > kLastDay)
        return false;
    *serial = dayToSerial(day, msecs < 0 ? 0 : msecs / 1000);
    return true;
}

double toNumber(const Value &value)
{
    double n = 0;
    switch (value.kind) {
    case Kind::Null:
        throw Failure{kInvalidNull};
    case Kind::Number:
        return value.integral ? double(value.integer) : value.number;
    case Kind::Date:
        return value.number;
    case Kind::Text:
        if (parseNumber(value.text(), &n))
            return n;
        break;
    }
    throw mismatch();
}

double toSerial(const Value &value)
{
    qint64 day = 0;
    int seconds = 0;
    double serial = 0;
    switch (value.kind) {
    case Kind::Null:
        throw Failure{kInvalidNull};
    case Kind::Date:
        return value.number;
    case Kind::Number:
        serial = toNumber(value);
        if (!serialToDay(serial, &day, &seconds))
            throw Failure{kOverflow};
        return serial;
    case Kind::Text:
        if (parseDate(value.text(), &serial))
            return serial;
        break;
    }
    throw mismatch();
}

bool toBool(const Value &value)
{
    if (value.kind == Kind::Null)
        return false;
    if (value.kind == Kind::Text) {
        const QString t = value.text().trimmed();
        if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
    }
    return toNumber(value) != 0;
}

qint64 roundToInteger(double value, qint64 min, qint64 max)
{
    double r = std::round(value);
    if (std::fabs(value - std::trunc(value)) == 0.5)
        r = 2 * std::round(value / 2); // a half goes to the even neighbour
    if (!std::isfinite(r) || r < double(min) || r > double(max))
        throw Failure{kOverflow};
    return qint64(r);
}

Digits roundDecimal(double value, int decimals, bool halfEven)
{
    Digits out;
    // Jet keeps 15 significant digits; round those as a decimal text.
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
    std::string digits = std::string(1, buf[0]) + std::string(buf + 2, 14);
    const int point = std::atoi(buf + 17) + 1; // digits before the decimal point
    if (value == 0)
        digits.assign(15, '0');
    const int keep = point + decimals;
    std::string kept;
    if (keep > 0) {
        kept = digits.substr(0, size_t(std::min<int>(keep, int(digits.size()))));
        kept.append(size_t(std::max<int>(0, keep - int(digits.size()))), '0');
    }
    bool up = false;
    if (keep >= 0 && keep < int(digits.size())) {
        const char next = digits[size_t(keep)];
        const bool rest = digits.find_first_not_of('0', size_t(keep) + 1) != std::string::npos;
        const bool odd = !kept.empty() && (kept.back() - '0') % 2 == 1;
        up = next > '5' || (next == '5' && (!halfEven || rest || odd));
    }
    if (up) {
        int i = int(kept.size()) - 1;
        for (; i >= 0 && kept[size_t(i)] == '9'; --i)
            kept[size_t(i)] = '0';
        if (i >= 0)
            ++kept[size_t(i)];
        else
            kept.insert(kept.begin(), '1');
    }
    kept.insert(0, size_t(std::max(0, decimals - int(kept.size()))), '0');
    out.integer = kept.substr(0, kept.size() - size_t(decimals));
    out.fraction = kept.substr(kept.size() - size_t(decimals));
    const size_t lead = out.integer.find_first_not_of('0');
    out.integer.erase(0, lead == std::string::npos ? out.integer.size() : lead);
    return out;
}

Call::Call(sqlite3_context *ctx, int argc, sqlite3_value **argv)
    : m_ctx(ctx), m_argc(argc), m_argv(argv)
{
}

Value Call::arg(int i) const
{
    Value v;
    sqlite3_value *raw = m_argv[i];
    switch (sqlite3_value_type(raw)) {
    case SQLITE_NULL:
        return v;
    case SQLITE_INTEGER:
        v.kind = Kind::Number;
        v.integral = true;
        v.integer = sqlite3_value_int64(raw);
        v.number = double(v.integer);
        return v;
    case SQLITE_FLOAT:
        v.kind = Kind::Number;
        v.number = sqlite3_value_double(raw);
        return v;
    default:
        break;
    }
    v.kind = Kind::Text;
    v.utf8 = reinterpret_cast<const char *>(sqlite3_value_text(raw));
    v.bytes = sqlite3_value_bytes(raw);
    if (!v.utf8)
        throw std::bad_alloc();
    if (sqlite3_value_subtype(raw) == kDateSubtype && storedSerial(v.utf8, v.bytes, &v.number))
        v.kind = Kind::Date;
    return v;
}

bool Call::isNull(int i) const
{
    return sqlite3_value_type(m_argv[i]) == SQLITE_NULL;
}

bool Call::anyNull() const
{
    for (int i = 0; i < m_argc; ++i) {
        if (isNull(i))
            return true;
    }
    return false;
}

qint64 Call::integerArg(int i, qint64 min, qint64 max) const
{
    return roundToInteger(toNumber(arg(i)), min, max);
}

QString Call::textArg(int i) const
{
    const Value v = arg(i);
    if (v.isNull())
        throw Failure{kInvalidNull};
    return toText(v);
}

void Call::setNull()
{
    sqlite3_result_null(m_ctx);
}

void Call::setNumber(double value)
{
    if (!std::isfinite(value))
        throw Failure{kOverflow};
    if (value == std::trunc(value) && std::fabs(value) < 9.0e18)
        setInteger(qint64(value));
    else
        setDouble(value);
}

void Call::setInteger(qint64 value)
{
    sqlite3_result_int64(m_ctx, value);
}

void Call::setDouble(double value)
{
    if (!std::isfinite(value))
        throw Failure{kOverflow};
    sqlite3_result_double(m_ctx, value);
}

void Call::setText(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_result_text(m_ctx, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

void Call::setDate(double serial, const char *outOfRange)
{
    qint64 day = 0;
    int seconds = 0;
    if (!serialToDay(serial, &day, &seconds))
        throw Failure{outOfRange};
    char buf[32];
    sqlite3_result_text(m_ctx, buf, isoChars(day, seconds, buf), SQLITE_TRANSIENT);
    sqlite3_result_subtype(m_ctx, kDateSubtype);
}

void Call::setArg(int i)
{
    sqlite3_result_value(m_ctx, m_argv[i]);
}

namespace {

void dispatch(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    const auto *entry = static_cast<const Entry *>(sqlite3_user_data(ctx));
    try {
        Call call(ctx, argc, argv);
        entry->body(call);
    } catch (const Failure &failure) {
        sqlite3_result_error(ctx, failure.message.constData(), int(failure.message.size()));
        if (failure.mismatch)
            sqlite3_result_error_code(ctx, SQLITE_MISMATCH); // keeps the message
    } catch (const std::bad_alloc &) {
        sqlite3_result_error_nomem(ctx);
    } catch (const std::exception &e) { // nothing may unwind through SQLite
        sqlite3_result_error(ctx, e.what(), -1);
    }
}

} // namespace

void registerEntries(sqlite3 *db, const Entry *begin, const Entry *end)
{
    for (const Entry *e = begin; e != end; ++e) {
        int flags = SQLITE_UTF8 | (e->deterministic ? SQLITE_DETERMINISTIC : 0);
        // Dates travel between functions as tagged texts.
#ifdef SQLITE_SUBTYPE
        flags |= SQLITE_SUBTYPE;
#endif
#ifdef SQLITE_RESULT_SUBTYPE
        flags |= SQLITE_RESULT_SUBTYPE;
#endif
        sqlite3_create_function(db, e->name, e->argc, flags, const_cast<Entry *>(e), dispatch,
                                nullptr, nullptr);
    }
}

} // namespace jet
