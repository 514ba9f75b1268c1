// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/JetDate.h"

#include "store/DateRules.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <initializer_list>

namespace {

QString isoText(const QDate &d, const std::optional<QTime> &t)
{
    QString s = d.toString(Qt::ISODate);
    if (t)
        s += QLatin1Char(' ') + t->toString(QStringLiteral("HH:mm:ss"));
    return s;
}

std::optional<QTime> parseTime(const QString &text, bool *ok)
{
    *ok = true;
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    static const QRegularExpression re(
        QStringLiteral("^(\\d{1,2}):(\\d{2})(?::(\\d{2}))?\\s*([AaPp][Mm])?$"));
    const auto m = re.match(t);
    if (!m.hasMatch()) {
        *ok = false;
        return std::nullopt;
    }
    int h = m.captured(1).toInt();
    const int mi = m.captured(2).toInt();
    const int s = m.captured(3).isEmpty() ? 0 : m.captured(3).toInt();
    const QString ampm = m.captured(4).toUpper();
    if (!ampm.isEmpty()) {
        if (h < 1 || h > 12) {
            *ok = false;
            return std::nullopt;
        }
        h = (h % 12) + (ampm == QLatin1String("PM") ? 12 : 0);
    }
    const QTime time(h, mi, s);
    if (!time.isValid())
        *ok = false;
    return time;
}

// A date typed in the user's short date form. Qt reads "yy" as 19yy; Jet
// reads a two-digit year as 1930 to 2029, and four digits are welcome too.
QDate localShortDate(const QString &text)
{
    const QLocale locale;
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    const QString wide = withFourDigitYear(format);
    if (wide == format || !format.contains(QLatin1String("yy")))
        return locale.toDate(text, format);
    if (const QDate d = locale.toDate(text, wide); d.isValid())
        return d;
    return withJetYear(locale.toDate(text, format));
}

// The English month names: "Jan 2, 2027", "January 2, 2027", "2-Jan-2027",
// "2 January 2027", each perhaps after a weekday name ("Saturday, ").
bool namedMonthDate(const QString &text, QDate *day, QString *rest)
{
    static const QRegularExpression monthFirst(
        QStringLiteral("^(?:[A-Za-z]+,\\s*)?([A-Za-z]{3,})\\.?\\s+(\\d{1,2}),?\\s+"
                       "(\\d{4}|\\d{2})(?!\\d)(.*)$"));
    static const QRegularExpression dayFirst(
        QStringLiteral("^(?:[A-Za-z]+,\\s*)?(\\d{1,2})([-\\s])([A-Za-z]{3,})\\.?\\2"
                       "(\\d{4}|\\d{2})(?!\\d)(.*)$"));
    static const QStringList names = {
        QStringLiteral("january"), QStringLiteral("february"), QStringLiteral("march"),
        QStringLiteral("april"),   QStringLiteral("may"),      QStringLiteral("june"),
        QStringLiteral("july"),    QStringLiteral("august"),   QStringLiteral("september"),
        QStringLiteral("october"), QStringLiteral("november"), QStringLiteral("december")};
    auto month = [](const QString &word) {
        const QString w = word.toLower();
        for (int i = 0; i < 12; ++i) {
            if (w == names[i] || w == names[i].left(3) || (i == 8 && w == QLatin1String("sept")))
                return i + 1;
        }
        return 0;
    };
    QString monthWord, dayText, yearText;
    if (const auto m = monthFirst.match(text); m.hasMatch()) {
        monthWord = m.captured(1);
        dayText = m.captured(2);
        yearText = m.captured(3);
        *rest = m.captured(4);
    } else if (const auto m2 = dayFirst.match(text); m2.hasMatch()) {
        dayText = m2.captured(1);
        monthWord = m2.captured(3);
        yearText = m2.captured(4);
        *rest = m2.captured(5);
    } else {
        return false;
    }
    const int m = month(monthWord);
    if (m == 0)
        return false;
    *day = QDate(jetYear(yearText.toInt(), yearText.size()), m, dayText.toInt());
    return true;
}

} // namespace

QByteArray isoDateBytes(const QDate &day)
{
    int y = 0, m = 0, d = 0;
    day.getDate(&y, &m, &d);
    if (y < 1 || y > 9999)
        return day.toString(Qt::ISODate).toLatin1();
    const char text[10] = {char('0' + y / 1000),
                           char('0' + y / 100 % 10),
                           char('0' + y / 10 % 10),
                           char('0' + y % 10),
                           '-',
                           char('0' + m / 10),
                           char('0' + m % 10),
                           '-',
                           char('0' + d / 10),
                           char('0' + d % 10)};
    return QByteArray(text, 10);
}

std::optional<QString> jetDateToIso(const QString &inside)
{
    const QString text = inside.trimmed();
    static const QRegularExpression us(
        QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{4}|\\d{2})(?!\\d)(.*)$"));
    static const QRegularExpression iso(
        QStringLiteral("^(\\d{4})([-/])(\\d{1,2})\\2(\\d{1,2})(.*)$"));
    QDate day;
    QString rest;
    if (const auto m = us.match(text); m.hasMatch()) {
        day = QDate(jetYear(m.captured(3).toInt(), m.captured(3).size()), m.captured(1).toInt(),
                    m.captured(2).toInt());
        rest = m.captured(4);
    } else if (const auto m2 = iso.match(text); m2.hasMatch()) {
        day = QDate(m2.captured(1).toInt(), m2.captured(3).toInt(), m2.captured(4).toInt());
        rest = m2.captured(5);
    } else if (!namedMonthDate(text, &day, &rest)) {
        bool ok = false;
        const auto time = parseTime(text, &ok);
        if (!ok || !time)
            return std::nullopt;
        return isoText(QDate(1899, 12, 30), time); // Jet's day zero carries a bare time
    }
    if (!day.isValid() || day.year() < 100 || day.year() > 9999)
        return std::nullopt;
    if (!rest.isEmpty() && !rest[0].isSpace())
        return std::nullopt;
    bool ok = false;
    const auto time = parseTime(rest, &ok);
    if (!ok)
        return std::nullopt;
    if (time && *time == QTime(0, 0))
        return isoText(day, std::nullopt);
    return isoText(day, time);
}

bool isoToParts(const char *s, int n, IsoParts *parts)
{
    // Every stored date passes here when a list is read: the digits are
    // checked all at once and the day against its month without a call.
    const auto digit = [s](int i) { return unsigned(s[i] - '0'); };
    const auto digits = [&digit](std::initializer_list<int> at) {
        return std::all_of(at.begin(), at.end(), [&digit](int i) { return digit(i) <= 9; });
    };
    if (!s || (n != 10 && n != 19) || s[4] != '-' || s[7] != '-' ||
        !digits({0, 1, 2, 3, 5, 6, 8, 9}))
        return false;
    const int y = int(digit(0) * 1000 + digit(1) * 100 + digit(2) * 10 + digit(3));
    const int m = int(digit(5) * 10 + digit(6));
    const int d = int(digit(8) * 10 + digit(9));
    static constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = y % 4 == 0 && (y % 100 != 0 || y % 400 == 0);
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > kMonthDays[m - 1] + (m == 2 && leap ? 1 : 0))
        return false;
    int msecs = -1;
    if (n == 19) {
        const int h = int(digit(11) * 10 + digit(12));
        const int mi = int(digit(14) * 10 + digit(15));
        const int sec = int(digit(17) * 10 + digit(18));
        if (s[10] != ' ' || s[13] != ':' || s[16] != ':' || !digits({11, 12, 14, 15, 17, 18}) ||
            h > 23 || mi > 59 || sec > 59)
            return false;
        msecs = ((h * 60 + mi) * 60 + sec) * 1000;
    }
    *parts = {y, m, d, msecs};
    return true;
}

bool isoToDayAndTime(const char *s, int n, qint64 *julianDay, int *msecsOfDay)
{
    IsoParts parts;
    if (!isoToParts(s, n, &parts))
        return false;
    *julianDay = QDate(parts.year, parts.month, parts.day).toJulianDay();
    *msecsOfDay = parts.msecs;
    return true;
}

QVariant isoToDateValue(const char *s, int n)
{
    qint64 jd = 0;
    int msecs = -1;
    if (!isoToDayAndTime(s, n, &jd, &msecs))
        return {};
    const QDate day = QDate::fromJulianDay(jd);
    if (msecs < 0)
        return day;
    return QDateTime(day, QTime::fromMSecsSinceStartOfDay(msecs));
}

std::optional<QString> dateValueToIso(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QDate:
        if (value.toDate().isValid())
            return isoText(value.toDate(), std::nullopt);
        return std::nullopt;
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        if (!dt.isValid())
            return std::nullopt;
        if (dt.time() == QTime(0, 0))
            return isoText(dt.date(), std::nullopt);
        return isoText(dt.date(), dt.time());
    }
    case QMetaType::QString: {
        const QString text = value.toString().trimmed();
        const QByteArray utf8 = text.toUtf8();
        if (const QVariant stored = isoToDateValue(utf8.constData(), int(utf8.size()));
            stored.isValid())
            return dateValueToIso(stored);
        if (const QDate d = localShortDate(text); d.isValid())
            return isoText(d, std::nullopt);
        if (const QDate d = dayFromDayMonthYearText(text); d.isValid())
            return isoText(d, std::nullopt);
        return jetDateToIso(text);
    }
    default:
        return std::nullopt;
    }
}
