// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/TypeChecks.h"

#include "store/Connection.h"
#include "store/DbError.h"
#include "store/FieldValue.h"
#include "store/RecordSetCommon.h"
#include "store/Statement.h"
#include "store/Transaction.h"

#include <QList>
#include <QSet>
#include <functional>
#include <sqlite3.h>

using recordset::quotedName;

namespace {

struct Trigger
{
    QString name;
    QString sql;
};

// The checks of one column, each with a name that stays the same from one
// repair to the next so that a check is never added twice.
QList<Trigger> checksOf(const QString &table, const QString &column, FieldKind kind, int size)
{
    const QString t = quotedName(table);
    const QString c = quotedName(column);
    const QString v = QStringLiteral("NEW.") + c;
    const QString refuse = QStringLiteral(" BEGIN SELECT RAISE(ABORT, '") + typeMismatchText() +
                           QStringLiteral("'); END");
    const auto named = [&](const char *what) -> QString {
        return table + QLatin1Char('.') + column + QLatin1Char(' ') + QString::fromLatin1(what);
    };
    const auto trigger = [&](const char *what, const QString &body) -> Trigger {
        const QString name = named(what);
        return Trigger{name, QStringLiteral("CREATE TRIGGER IF NOT EXISTS ") + quotedName(name) +
                                 QLatin1Char(' ') + body};
    };
    const QString onInsert = QStringLiteral(" INSERT ON ") + t;
    const QString onUpdate = QStringLiteral(" UPDATE OF ") + c + QStringLiteral(" ON ") + t;
    if (kind == FieldKind::Text) {
        // length() counts characters, as Jet's sizes do.
        const QString bad = QStringLiteral(" WHEN length(%1) > %2").arg(v).arg(size);
        const QString tooLong = QStringLiteral(" BEGIN SELECT RAISE(ABORT, '") +
                                fieldTooSmallText() + QStringLiteral("'); END");
        return {trigger("size on insert", QStringLiteral("BEFORE") + onInsert + bad + tooLong),
                trigger("size on update", QStringLiteral("BEFORE") + onUpdate + bad + tooLong)};
    }
    if (kind == FieldKind::Date) {
        // The stored forms only, checked digit by digit; julianday() moves
        // 31 April on to 1 May, so a day that does not exist comes back
        // different. Everything else (numbers, other texts) is refused.
        const QString digits = QStringLiteral("[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]");
        const QString bad =
            QStringLiteral(" WHEN %1 IS NOT NULL AND NOT coalesce(typeof(%1) = 'text' AND (%1 "
                           "GLOB '%2' OR (%1 GLOB '%2 [0-2][0-9]:[0-5][0-9]:[0-5][0-9]' AND "
                           "substr(%1, 12, 2) < '24')) AND substr(%1, 1, 4) >= '0100' AND "
                           "date(julianday(substr(%1, 1, 10))) = substr(%1, 1, 10), 0)")
                .arg(v, digits);
        return {trigger("date on insert", QStringLiteral("BEFORE") + onInsert + bad + refuse),
                trigger("date on update", QStringLiteral("BEFORE") + onUpdate + bad + refuse)};
    }
    // The column's numeric affinity has already turned a text such as '1'
    // into a number by the time the triggers see it.
    const QString bad =
        QStringLiteral(" WHEN %1 IS NOT NULL AND typeof(%1) NOT IN ('integer', 'real')").arg(v);
    const QString other = QStringLiteral(" WHEN typeof(%1) = 'real' OR %1 NOT IN (0, -1)").arg(v);
    const QString store = QStringLiteral(" BEGIN UPDATE %1 SET %2 = CASE WHEN %2 <> 0 THEN -1 "
                                         "ELSE 0 END WHERE rowid = NEW.rowid; END")
                              .arg(t, c);
    return {trigger("yes/no on insert", QStringLiteral("BEFORE") + onInsert + bad + refuse),
            trigger("yes/no on update", QStringLiteral("BEFORE") + onUpdate + bad + refuse),
            trigger("yes/no -1 on insert", QStringLiteral("AFTER") + onInsert + other + store),
            trigger("yes/no -1 on update", QStringLiteral("AFTER") + onUpdate + other + store)};
}

QString textAt(sqlite3_stmt *st, int column)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, column)));
}

void exec(Connection &db, const QString &sql)
{
    Statement(db, sql).step();
}

// Adds the checks each column that wanted accepts lacks.
void addChecks(Connection &db,
               const std::function<bool(const QString &table, const QString &column)> &wanted)
{
    QSet<QString> present;
    {
        Statement st(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'trigger'"));
        while (st.step())
            present.insert(textAt(st.handle(), 0));
    }
    QList<Trigger> missing;
    QStringList normalise; // yes/no columns whose checks are new
    {
        // A table without rowids is left alone: the -1 needs the rowid to
        // find its row, and a trigger naming a missing rowid would refuse
        // every insert.
        Statement st(
            db, QStringLiteral(
                    "SELECT t.name, c.name, c.type FROM pragma_table_list t, "
                    "pragma_table_info(t.name) c "
                    "WHERE t.schema = 'main' AND t.type = 'table' AND t.wr = 0 AND t.name NOT LIKE "
                    "'sqlite\\_%' ESCAPE '\\' ORDER BY t.name, c.cid"));
        while (st.step()) {
            const auto *declared =
                reinterpret_cast<const char *>(sqlite3_column_text(st.handle(), 2));
            const FieldKind kind = kindOfDeclaredType(declared);
            const int size = sizeOfDeclaredType(declared);
            if (kind != FieldKind::Date && kind != FieldKind::Bool &&
                !(kind == FieldKind::Text && size > 0))
                continue;
            const QString table = textAt(st.handle(), 0);
            const QString column = textAt(st.handle(), 1);
            if (!wanted(table, column))
                continue;
            bool added = false;
            for (const Trigger &t : checksOf(table, column, kind, size)) {
                if (!present.contains(t.name)) {
                    missing << t;
                    added = true;
                }
            }
            if (added && kind == FieldKind::Bool)
                normalise << QStringLiteral("UPDATE %1 SET %2 = CASE WHEN %2 <> 0 THEN -1 ELSE 0 "
                                            "END WHERE typeof(%2) = 'real' OR (typeof(%2) = "
                                            "'integer' AND %2 NOT IN (0, -1))")
                                 .arg(quotedName(table), quotedName(column));
        }
    }
    if (missing.isEmpty())
        return;
    // All of them or none; inside a caller's transaction as well.
    Transaction transaction(db);
    for (const QString &sql : std::as_const(normalise))
        exec(db, sql);
    for (const Trigger &t : std::as_const(missing))
        exec(db, t.sql);
    transaction.commit();
}

} // namespace

QString typeMismatchText()
{
    return QString::fromLatin1(kTypeMismatch);
}

QString fieldTooSmallText()
{
    return QStringLiteral("The field is too small to accept the amount of data you attempted to "
                          "add. Try inserting or pasting less data.");
}

QStringList typeCheckNames(const QString &table, const QString &column)
{
    QStringList names;
    for (const FieldKind kind : {FieldKind::Date, FieldKind::Bool, FieldKind::Text}) {
        for (const Trigger &t : checksOf(table, column, kind, 1))
            names << t.name;
    }
    return names;
}

ColumnNames columnNames(Connection &db)
{
    ColumnNames names;
    Statement st(db, QStringLiteral("SELECT t.name, c.name FROM pragma_table_list t, "
                                    "pragma_table_info(t.name) c WHERE t.schema = 'main' AND "
                                    "t.type = 'table'"));
    while (st.step())
        names.insert({textAt(st.handle(), 0), textAt(st.handle(), 1)});
    return names;
}

void addTypeChecks(Connection &db, const QStringList &tables)
{
    addChecks(db, [&](const QString &table, const QString &) {
        return tables.contains(table, Qt::CaseInsensitive);
    });
}

void addTypeChecksToNewColumns(Connection &db, const ColumnNames &before)
{
    addChecks(db, [&](const QString &table, const QString &column) {
        return !before.contains({table, column});
    });
}
