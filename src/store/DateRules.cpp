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

QString dayMonthYearText(const QDate &day, char16_t separator)
{
    // Built by hand: formatting by pattern costs the month list about 7% of
    // its fill and a share file more than the rest of a record.
    int year = 0, month = 0, d = 0;
    day.getDate(&year, &month, &d);
    if (year < 1 || year > 9999)
        return day.toString(dayMonthYearPattern().replace(u'-', QChar(separator)));
    // One allocation: the digits written into the text in place.
    QString text(10, Qt::Uninitialized);
    QChar *c = text.data();
    const auto put = [&c](int n, int digits) {
        for (int i = digits - 1; i >= 0; --i, n /= 10)
            c[i] = QLatin1Char(char('0' + n % 10));
        c += digits;
    };
    put(d, 2);
    *c++ = QChar(separator);
    put(month, 2);
    *c++ = QChar(separator);
    put(year, 4);
    return text;
}

QDate dayFromDayMonthYearText(const QString &text)
{
    return QDate::fromString(text.trimmed(), dayMonthYearPattern());
}
