// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Conversions between stored column values and the typed QVariants that
// record sets hand out: dates as QDate (QDateTime with a time), yes/no as
// bool, texts as QString, numbers as qlonglong or double, null as a null
// QVariant.

#include "store/RecordSet.h"
#include "store/TextStore.h"

#include <QDateTime>
#include <bit>

FieldKind kindOfDeclaredType(const char *declaredType);
// The length n of a text column declared VARCHAR(n) or CHAR(n); 0 when the
// declared type sets no limit.
int sizeOfDeclaredType(const char *declaredType);
// A value for storing in a column of the kind; throws DbError when it does
// not fit (a text that is not a date, a date outside the years 100 to
// 9999, a yes/no that is no number). Empty texts become null.
QVariant toStorable(FieldKind kind, const QString &columnName, const QVariant &value);
// Throws DbError when a stored text is longer than the column's size.
void checkSize(int size, const QVariant &storable);
// A storable value as Fields() hands it out.
QVariant fromStorable(FieldKind kind, const QVariant &storable);

// One value of a record set, kept compactly; the QVariant is built when the
// value is asked for.
struct Cell
{
    enum Type : quint8
    {
        Null,
        Integer,
        Real,
        Bool,
        Date,
        DateTime,
        Text
    };
    qint64 value = 0;  // integer, double's bits, bool, Julian day, or the text's place
    quint32 extra = 0; // the text's length in bytes, or the time of day in milliseconds
    Type type = Null;
};

// Inline: record sets call it for every field read.
inline QVariant cellValue(const Cell &cell, const TextStore &texts)
{
    switch (cell.type) {
    case Cell::Null:
        return {};
    case Cell::Integer:
        return qlonglong(cell.value);
    case Cell::Real:
        return std::bit_cast<double>(cell.value);
    case Cell::Bool:
        return cell.value != 0;
    case Cell::Date:
        return QDate::fromJulianDay(cell.value);
    case Cell::DateTime:
        return QDateTime(QDate::fromJulianDay(cell.value),
                         QTime::fromMSecsSinceStartOfDay(int(cell.extra)));
    case Cell::Text:
        return texts.at(cell.value, int(cell.extra));
    }
    return {};
}
