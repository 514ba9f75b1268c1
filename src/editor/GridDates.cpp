// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/GridDates.h"

#include "store/DateRules.h"
#include "store/JetDate.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

QString cellDateFormat()
{
    return shortDateFormat();
}

QString cellDateText(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::QDate:
        return QLocale().toString(value.toDate(), cellDateFormat());
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        QString text = QLocale().toString(dt.date(), cellDateFormat());
        if (dt.time() != QTime(0, 0))
            text += QLatin1Char(' ') + dt.time().toString(QStringLiteral("HH:mm:ss"));
        return text;
    }
    default:
        return value.toString();
    }
}

namespace {

QVariant dateOrDateTime(const QDate &day, const QTime &time)
{
    if (!day.isValid())
        return {};
    if (!time.isValid() || time == QTime(0, 0))
        return day;
    return QDateTime(day, time);
}

// The grid's own form as typed: one or two digits for day and month, in
// the region's order and with its separator.
QString readingFormat()
{
    // Only the two-digit numbers; "ddd" and "MMM" are names.
    static const QRegularExpression day(QStringLiteral("(?<!d)dd(?!d)"));
    static const QRegularExpression month(QStringLiteral("(?<!M)MM(?!M)"));
    QString format = cellDateFormat();
    format.replace(day, QStringLiteral("d")).replace(month, QStringLiteral("M"));
    return format;
}

// A two-digit year in the grid's own order (Qt reads it as 19yy), put in
// 1930 to 2029 as Jet does.
QDate shortYearDate(const QString &text)
{
    QString format = readingFormat();
    format.replace(QLatin1String("yyyy"), QLatin1String("yy"));
    return withJetYear(QLocale().toDate(text, format));
}

} // namespace

QVariant parseCellDate(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return {};
    const QLocale locale;
    for (const QString &format : {readingFormat(), QStringLiteral("d-M-yyyy")}) {
        const QDate day = locale.toDate(t, format);
        if (day.isValid())
            return day;
        for (const char *time : {" HH:mm:ss", " H:mm:ss", " H:mm"}) {
            const QDateTime when = locale.toDateTime(t, format + QLatin1String(time));
            if (when.isValid())
                return dateOrDateTime(when.date(), when.time());
        }
    }
    if (const QDate day = shortYearDate(t); day.isValid())
        return day;
    // Only the year-first form is read beyond the region's own: reading
    // m/d/yyyy as well would swap day and month of a day-first region
    // without a word.
    static const QRegularExpression yearFirst(QStringLiteral("^\\d{4}-"));
    if (!yearFirst.match(t).hasMatch())
        return {};
    const auto iso = jetDateToIso(t);
    if (!iso)
        return {};
    const QByteArray utf8 = iso->toUtf8();
    const QVariant value = isoToDateValue(utf8.constData(), int(utf8.size()));
    // A bare time is Jet's day zero, not a date anyone typed into this column.
    if (value.typeId() == QMetaType::QDateTime && value.toDateTime().date() == QDate(1899, 12, 30))
        return {};
    return value;
}
