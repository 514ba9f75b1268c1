// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/OwnTables.h"

#include "store/FieldValue.h"

#include <algorithm>

namespace {

QString adDate()
{
    return QStringLiteral("DATETIME");
}
QString adVarWChar(int size)
{
    return QStringLiteral("VARCHAR(%1) COLLATE NOCASE").arg(size);
}
QString adLongVarWChar()
{
    return QStringLiteral("LONGTEXT COLLATE NOCASE");
}
QString adBoolean()
{
    return QStringLiteral("YESNO NOT NULL DEFAULT 0");
}
QString adCurrency()
{
    return QStringLiteral("CURRENCY");
}

bool sameKind(const QString &form, const char *declared)
{
    const QByteArray f = form.toUtf8();
    return kindOfDeclaredType(f.constData()) == kindOfDeclaredType(declared) &&
           sizeOfDeclaredType(f.constData()) == sizeOfDeclaredType(declared);
}

} // namespace

const QList<ColumnDef> &calendarColumns()
{
    static const QList<ColumnDef> columns = {{QStringLiteral("Dates"), adDate()},
                                             {QStringLiteral("Icon"), adVarWChar(15)},
                                             {QStringLiteral("Description"), adVarWChar(50)},
                                             {QStringLiteral("Details"), adLongVarWChar()},
                                             {QStringLiteral("ShowOnce"), adBoolean()}};
    return columns;
}

const QList<ColumnDef> &addedCalendarColumns()
{
    static const QList<ColumnDef> columns = {{QStringLiteral("Dates"), adDate()},
                                             {QStringLiteral("Icon"), adVarWChar(50)},
                                             {QStringLiteral("Description"), adVarWChar(50)},
                                             {QStringLiteral("Details"), adVarWChar(255)},
                                             {QStringLiteral("ShowOnce"), adBoolean()}};
    return columns;
}

const QList<ColumnDef> &typeColumns()
{
    static const QList<ColumnDef> columns = {{QStringLiteral("icon"), adVarWChar(15)},
                                             {QStringLiteral("descr"), adVarWChar(50)}};
    return columns;
}

const QList<ColumnDef> &wallpaperColumns()
{
    // The selector deletes rows by ID and inserts without it.
    static const QList<ColumnDef> columns = {
        {QStringLiteral("FileName"), adVarWChar(255)},
        {QStringLiteral("path"), adLongVarWChar()},
        {QStringLiteral("Active"), adBoolean()},
        {QStringLiteral("ID"), QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT")}};
    return columns;
}

const QList<ColumnDef> &regEditColumns()
{
    static const QList<ColumnDef> columns = {{QStringLiteral("hKey"), adCurrency()},
                                             {QStringLiteral("SubKey"), adLongVarWChar()},
                                             {QStringLiteral("Key"), adVarWChar(255)},
                                             {QStringLiteral("Task"), adVarWChar(50)},
                                             {QStringLiteral("NewValue"), adVarWChar(255)}};
    return columns;
}

const QStringList &ownTableNames()
{
    static const QStringList names = {QStringLiteral("Calendar"), QStringLiteral("Almarik_Type"),
                                      QStringLiteral("Wallpapers"), QStringLiteral("RegEdit")};
    return names;
}

namespace {

QList<ColumnDef> formsOf(const QString &table)
{
    const auto is = [&](const char *name) {
        return table.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
    };
    return is("Calendar")       ? calendarColumns() + addedCalendarColumns()
           : is("Almarik_Type") ? typeColumns()
           : is("Wallpapers")   ? wallpaperColumns()
           : is("RegEdit")      ? regEditColumns()
                                : QList<ColumnDef>();
}

} // namespace

bool isOwnColumn(const QString &table, const QString &column, const char *declared)
{
    const QList<ColumnDef> forms = formsOf(table);
    return std::any_of(forms.cbegin(), forms.cend(), [&](const ColumnDef &c) {
        return c.name.compare(column, Qt::CaseInsensitive) == 0 && sameKind(c.type, declared);
    });
}
