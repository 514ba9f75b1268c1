// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/FieldValue.h"

#include "store/DbError.h"
#include "store/JetDate.h"
#include "store/TypeChecks.h"

FieldKind kindOfDeclaredType(const char *declaredType)
{
    if (!declaredType)
        return FieldKind::Number;
    const QByteArray t = QByteArray(declaredType).toUpper();
    if (t.contains("DATE") || t.contains("TIME"))
        return FieldKind::Date;
    if (t.contains("YESNO") || t.contains("BOOL") || t == "BIT")
        return FieldKind::Bool;
    if (t.contains("CHAR") || t.contains("TEXT") || t.contains("CLOB") || t.contains("MEMO"))
        return FieldKind::Text;
    return FieldKind::Number;
}

int sizeOfDeclaredType(const char *declaredType)
{
    if (!declaredType || kindOfDeclaredType(declaredType) != FieldKind::Text)
        return 0;
    const QByteArray t = QByteArray(declaredType).toUpper();
    if (!t.contains("CHAR"))
        return 0;
    const qsizetype open = t.indexOf('(');
    const qsizetype close = t.indexOf(')', open);
    if (open < 0 || close < 0)
        return 0;
    bool ok = false;
    const int size = t.mid(open + 1, close - open - 1).trimmed().toInt(&ok);
    return ok && size > 0 ? size : 0;
}

namespace {

DbError mismatch(const QString &columnName)
{
    return DbError(DbErrNo::Conversion,
                   QStringLiteral("Data type mismatch: the value does not suit the field '") +
                       columnName + QStringLiteral("'."));
}

// Jet's dates run from the year 100 to 9999; Qt writes no text at all for
// a year past 9999.
bool inJetYears(const QString &iso)
{
    if (iso.size() < 10 || iso.at(4) != QLatin1Char('-'))
        return false;
    const int year = QStringView(iso).left(4).toInt();
    return year >= 100 && year <= 9999;
}

} // namespace

QVariant toStorable(FieldKind kind, const QString &columnName, const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return {};
    if (value.typeId() == QMetaType::QString && value.toString().isEmpty())
        return {};
    switch (kind) {
    case FieldKind::Date: {
        const auto iso = dateValueToIso(value);
        if (!iso || !inJetYears(*iso))
            throw mismatch(columnName);
        return *iso;
    }
    case FieldKind::Bool: {
        if (value.typeId() == QMetaType::Bool)
            return qlonglong(value.toBool() ? -1 : 0);
        const QString t = value.toString().trimmed();
        if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 ||
            t.compare(QLatin1String("Yes"), Qt::CaseInsensitive) == 0)
            return qlonglong(-1);
        if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0 ||
            t.compare(QLatin1String("No"), Qt::CaseInsensitive) == 0)
            return qlonglong(0);
        bool ok = false;
        const double n = t.toDouble(&ok);
        if (!ok)
            throw mismatch(columnName);
        return qlonglong(n != 0 ? -1 : 0);
    }
    case FieldKind::Number: {
        if (value.typeId() == QMetaType::Bool)
            return qlonglong(value.toBool() ? -1 : 0);
        bool ok = false;
        const qlonglong whole = value.toString().trimmed().toLongLong(&ok);
        if (ok)
            return whole;
        const double n = value.toString().trimmed().toDouble(&ok);
        if (!ok)
            throw mismatch(columnName);
        return n;
    }
    case FieldKind::Text:
        if (value.typeId() == QMetaType::QDate)
            return value.toDate().toString(Qt::ISODate);
        return value.toString();
    }
    return {};
}

void checkSize(int size, const QVariant &storable)
{
    if (size <= 0 || storable.typeId() != QMetaType::QString)
        return;
    if (storable.toString().size() > size)
        throw DbError(DbErrNo::General, fieldTooSmallText());
}

QVariant fromStorable(FieldKind kind, const QVariant &storable)
{
    if (storable.isNull())
        return {};
    switch (kind) {
    case FieldKind::Date: {
        const QByteArray utf8 = storable.toString().toUtf8();
        const QVariant date = isoToDateValue(utf8.constData(), int(utf8.size()));
        return date.isValid() ? date : storable;
    }
    case FieldKind::Bool:
        return storable.toLongLong() != 0;
    case FieldKind::Text:
    case FieldKind::Number:
        break;
    }
    return storable;
}
