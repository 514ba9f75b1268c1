#include "editor/GridDates.h"

#include "store/JetDate.h"

#include <QDateTime>
#include <QLocale>

QString gridDateFormat()
{
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

QString gridDateText(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::QDate:
        return QLocale().toString(value.toDate(), gridDateFormat());
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        QString text = QLocale().toString(dt.date(), gridDateFormat());
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

} // namespace

QVariant parseGridDate(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return {};
    const QLocale locale;
    for (const QString &format : {gridDateFormat(), QStringLiteral("dd-MM-yyyy")}) {
        const QDate day = locale.toDate(t, format);
        if (day.isValid())
            return day;
        for (const char *time : {" HH:mm:ss", " H:mm:ss", " H:mm"}) {
            const QDateTime when = locale.toDateTime(t, format + QLatin1String(time));
            if (when.isValid())
                return dateOrDateTime(when.date(), when.time());
        }
    }
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
