#pragma once
// Conversions between stored column values and the typed QVariants that
// record sets hand out: dates as QDate (QDateTime with a time), yes/no as
// bool, texts as QString, numbers as qlonglong or double, null as a null
// QVariant.

#include "store/RecordSet.h"

struct sqlite3_stmt;

FieldKind kindOfDeclaredType(const char *declaredType);
QVariant readColumn(sqlite3_stmt *stmt, int column, FieldKind kind);
// A value for storing in a column of the kind; throws DbError when it does
// not fit (a text that is not a date, say). Empty texts become null.
QVariant toStorable(FieldKind kind, const QString &columnName, const QVariant &value);
void bindValue(sqlite3_stmt *stmt, int index, const QVariant &value);
