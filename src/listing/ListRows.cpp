#include "listing/ListRows.h"

#include "platform/AppError.h"
#include "store/Statement.h"

#include <sqlite3.h>

namespace {

int digits(const unsigned char *t, int from, int count)
{
    int n = 0;
    for (int i = from; i < from + count; ++i) {
        if (t[i] < '0' || t[i] > '9')
            return -1;
        n = n * 10 + (t[i] - '0');
    }
    return n;
}

// A stored date is "yyyy-mm-dd" or "yyyy-mm-dd hh:mm:ss"; only the day counts.
QDate storedDate(const unsigned char *text, int bytes)
{
    if (!text || bytes < 10 || text[4] != '-' || text[7] != '-')
        return QDate();
    return QDate(digits(text, 0, 4), digits(text, 5, 2), digits(text, 8, 2));
}

QString columnText(sqlite3_stmt *st, int column)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, column)),
                             sqlite3_column_bytes(st, column));
}

} // namespace

std::vector<MonthRow> readListedRows(const Connection &db, const MonthListRules &rules,
                                     const FillFailure &failed)
{
    Statement query(db, QStringLiteral("SELECT Dates, Description, icon FROM Calendar"));
    sqlite3_stmt *st = query.handle();
    std::vector<MonthRow> rows;
    while (query.step()) {
        MonthRow row;
        const bool isNull = sqlite3_column_type(st, 0) == SQLITE_NULL;
        const QDate date =
            isNull ? QDate() : storedDate(sqlite3_column_text(st, 0), sqlite3_column_bytes(st, 0));
        if (!date.isValid()) {
            // The window's own reading of the value, and so its message.
            try {
                eventDateOf(isNull ? QVariant() : QVariant(columnText(st, 0)));
            } catch (const AppError &e) {
                failed(e);
            }
            continue;
        }
        if (!rules.rowFor(date, row))
            continue;
        row.description = columnText(st, 1);
        row.hasIcon = sqlite3_column_type(st, 2) != SQLITE_NULL;
        row.icon = columnText(st, 2);
        rows.push_back(std::move(row));
    }
    sortMonthRows(rows);
    return rows;
}
