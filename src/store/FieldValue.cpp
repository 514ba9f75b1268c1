#include "store/FieldValue.h"

#include "store/DbError.h"
#include "store/JetDate.h"

#include <sqlite3.h>

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

QVariant readColumn(sqlite3_stmt *st, int column, FieldKind kind)
{
    switch (sqlite3_column_type(st, column)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER: {
        const qint64 v = sqlite3_column_int64(st, column);
        if (kind == FieldKind::Bool)
            return v != 0;
        return qlonglong(v);
    }
    case SQLITE_FLOAT:
        return sqlite3_column_double(st, column);
    default: {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st, column));
        const int bytes = sqlite3_column_bytes(st, column);
        if (kind == FieldKind::Date) {
            QVariant date = isoToDateValue(text, bytes);
            if (date.isValid())
                return date;
        }
        return QString::fromUtf8(text, bytes);
    }
    }
}

namespace {

DbError mismatch(const QString &columnName)
{
    return DbError(DbErrNo::Conversion,
                   QStringLiteral("Data type mismatch: the value does not suit the field '") +
                       columnName + QStringLiteral("'."));
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
        if (!iso)
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

void bindValue(sqlite3_stmt *st, int index, const QVariant &value)
{
    if (!value.isValid() || value.isNull()) {
        sqlite3_bind_null(st, index);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
        sqlite3_bind_int64(st, index, value.toLongLong());
        break;
    case QMetaType::Double:
        sqlite3_bind_double(st, index, value.toDouble());
        break;
    default: {
        const QByteArray utf8 = value.toString().toUtf8();
        sqlite3_bind_text(st, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    }
}
