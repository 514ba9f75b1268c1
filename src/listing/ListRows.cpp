// SPDX-License-Identifier: GPL-3.0-or-later
#include "listing/ListRows.h"

#include "platform/AppError.h"
#include "store/JetDate.h"
#include "store/Statement.h"

#include <sqlite3.h>

namespace {

QString columnText(sqlite3_stmt *st, int column)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, column)),
                             sqlite3_column_bytes(st, column));
}

// The column itself, or Null where the table has none: an older file's
// table may lack the type or the show-once column, which the window then
// simply does not show.
QString columnOrNull(const Connection &db, const char *name)
{
    Statement columns(db, QStringLiteral("SELECT 1 FROM pragma_table_info('Calendar') "
                                         "WHERE name = ? COLLATE NOCASE"));
    columns.bindStaticText(1, name);
    return columns.step() ? QLatin1String(name) : QStringLiteral("Null");
}

} // namespace

std::vector<MonthRow> readListedRows(const Connection &db, const MonthListRules &rules,
                                     const FillFailure &failed)
{
    Statement query(db, QStringLiteral("SELECT Dates, Description, ") + columnOrNull(db, "icon") +
                            QStringLiteral(", ") + columnOrNull(db, "ShowOnce") +
                            QStringLiteral(" FROM Calendar"));
    sqlite3_stmt *st = query.handle();
    std::vector<MonthRow> rows;
    // About a twelfth of the events are listed; growing from nothing would
    // move the rows again and again.
    rows.reserve(4096);
    while (query.step()) {
        MonthRow row;
        IsoParts day;
        // A Null reads as no text at all.
        const auto *stored = reinterpret_cast<const char *>(sqlite3_column_text(st, 0));
        if (!isoToParts(stored, sqlite3_column_bytes(st, 0), &day)) {
            // The window's own reading of the value, and so its message.
            try {
                eventDateOf(stored ? QVariant(columnText(st, 0)) : QVariant());
            } catch (const AppError &e) {
                failed(e);
            }
            continue;
        }
        if (!rules.rowFor(day.year, day.month, day.day, row))
            continue;
        row.description = columnText(st, 1);
        row.hasIcon = sqlite3_column_type(st, 2) != SQLITE_NULL;
        row.icon = columnText(st, 2);
        row.showOnce = sqlite3_column_int64(st, 3) != 0; // Null reads false
        rows.push_back(std::move(row));
    }
    sortMonthRows(rows);
    return rows;
}
