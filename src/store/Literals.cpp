// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/Literals.h"

QString QuoteSql(const QString &text)
{
    if (text.isEmpty())
        return text;
    QString out;
    out.reserve(text.size() + 4);
    for (const QChar c : text) {
        out += c;
        if (c == QLatin1Char('\''))
            out += c;
    }
    return out;
}

QString DateText(const QDate &day)
{
    return QStringLiteral("%1/%2/%3")
        .arg(day.month(), 2, 10, QLatin1Char('0'))
        .arg(day.day(), 2, 10, QLatin1Char('0'))
        .arg(day.year(), 4, 10, QLatin1Char('0'));
}

QString DateLiteral(const QDate &day)
{
    return QLatin1Char('#') + DateText(day) + QLatin1Char('#');
}
