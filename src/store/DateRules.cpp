// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/DateRules.h"

#include <QLocale>

int jetYear(int year, qsizetype digits)
{
    if (digits > 2)
        return year;
    return year < 30 ? 2000 + year : 1900 + year;
}

QDate withJetYear(const QDate &readAs19yy)
{
    if (!readAs19yy.isValid())
        return readAs19yy;
    return readAs19yy.addYears(jetYear(readAs19yy.year() % 100) - readAs19yy.year());
}

QString withFourDigitYear(QString pattern)
{
    if (!pattern.contains(QLatin1String("yyyy")))
        pattern.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return pattern;
}

QString shortDateFormat()
{
    return withFourDigitYear(QLocale().dateFormat(QLocale::ShortFormat));
}

QString dayMonthYearPattern()
{
    return QStringLiteral("dd-MM-yyyy");
}

namespace {

QString twoDigits(int n)
{
    return QString(QLatin1Char(char('0' + n / 10))) + QLatin1Char(char('0' + n % 10));
}

} // namespace

QString dayMonthYearText(const QDate &day)
{
    // Built by hand: formatting by pattern costs the month list about 7% of
    // its fill, one text per listed event.
    const int year = day.year();
    if (year > 999 && year < 10000)
        return twoDigits(day.day()) + QLatin1Char('-') + twoDigits(day.month()) + QLatin1Char('-') +
               QString::number(year);
    return day.toString(dayMonthYearPattern());
}

QDate dayFromDayMonthYearText(const QString &text)
{
    return QDate::fromString(text.trimmed(), dayMonthYearPattern());
}
