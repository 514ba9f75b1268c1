// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/JetSchema.h"

#include "store/DbError.h"
#include "store/FieldValue.h"

#include <sqlite3.h>

#include <memory>

JetKind jetKindOfDeclaredType(const char *declaredType)
{
    if (!declaredType || !*declaredType)
        return JetKind::Unknown;
    switch (kindOfDeclaredType(declaredType)) {
    case FieldKind::Date:
        return JetKind::Date;
    case FieldKind::Bool:
        return JetKind::Bool;
    case FieldKind::Text:
        return JetKind::Text;
    case FieldKind::Number:
        break;
    }
    // SQLite's own affinities: a type without INT, REAL, FLOA, DOUB, NUM,
    // DEC or MONEY/CURRENCY may hold anything.
    const QByteArray t = QByteArray(declaredType).toUpper();
    for (const char *number : {"INT", "REAL", "FLOA", "DOUB", "NUM", "DEC", "CURRENCY", "MONEY",
                               "BYTE", "LONG", "SHORT", "SINGLE", "COUNTER"}) {
        if (t.contains(number))
            return JetKind::Number;
    }
    return JetKind::Unknown;
}

JetSchema JetSchema::read(sqlite3 *db)
{
    JetSchema schema;
    sqlite3_stmt *raw = nullptr;
    const char *sql = "SELECT t.name, c.name, c.type FROM pragma_table_list t, "
                      "pragma_table_info(t.name) c WHERE t.schema = 'main'";
    if (sqlite3_prepare_v2(db, sql, -1, &raw, nullptr) != SQLITE_OK)
        throw DbError(DbErrNo::General, QString::fromUtf8(sqlite3_errmsg(db)));
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> stmt(raw, sqlite3_finalize);
    int rc;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        const auto text = [&](int i) {
            return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(raw, i)));
        };
        schema.addColumn(
            text(0), text(1),
            jetKindOfDeclaredType(reinterpret_cast<const char *>(sqlite3_column_text(raw, 2))));
    }
    if (rc != SQLITE_DONE)
        throw DbError(DbErrNo::General, QString::fromUtf8(sqlite3_errmsg(db)));
    return schema;
}

void JetSchema::addColumn(const QString &table, const QString &column, JetKind kind)
{
    m_tables[table.toLower()].insert(column.toLower(), kind);
}

bool JetSchema::hasTable(const QString &table) const
{
    return m_tables.contains(table.toLower());
}

JetKind JetSchema::kindOf(const QString &table, const QString &column) const
{
    const auto t = m_tables.constFind(table.toLower());
    if (t == m_tables.cend())
        return JetKind::Unknown;
    return t->value(column.toLower(), JetKind::Unknown);
}

JetKind JetSchema::kindOf(const QString &column, const QStringList &tables) const
{
    const QString name = column.toLower();
    for (const QString &table : tables) {
        const auto t = m_tables.constFind(table.toLower());
        if (t != m_tables.cend() && t->contains(name))
            return t->value(name);
    }
    if (!tables.isEmpty())
        return JetKind::Unknown;
    bool found = false;
    JetKind kind = JetKind::Unknown;
    for (const auto &t : m_tables) {
        const auto c = t.constFind(name);
        if (c == t.cend())
            continue;
        if (found && *c != kind)
            return JetKind::Unknown;
        kind = *c;
        found = true;
    }
    return kind;
}
