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

// The parts of a stored date, "yyyy-mm-dd" or "yyyy-mm-dd hh:mm:ss" (only
// the day counts); false when the text is no valid date.
bool storedDate(const unsigned char *text, int bytes, int &year, int &month, int &day)
{
    if (!text || bytes < 10 || text[4] != '-' || text[7] != '-')
        return false;
    year = digits(text, 0, 4);
    month = digits(text, 5, 2);
    day = digits(text, 8, 2);
    return QDate::isValid(year, month, day);
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
    // About a twelfth of the events are listed; growing from nothing would
    // move the rows again and again.
    rows.reserve(4096);
    while (query.step()) {
        MonthRow row;
        int year = 0;
        int month = 0;
        int day = 0;
        // A Null reads as no text at all.
        const unsigned char *stored = sqlite3_column_text(st, 0);
        if (!storedDate(stored, sqlite3_column_bytes(st, 0), year, month, day)) {
            // The window's own reading of the value, and so its message.
            try {
                eventDateOf(stored ? QVariant(columnText(st, 0)) : QVariant());
            } catch (const AppError &e) {
                failed(e);
            }
            continue;
        }
        if (!rules.rowFor(year, month, day, row))
            continue;
        row.description = columnText(st, 1);
        row.hasIcon = sqlite3_column_type(st, 2) != SQLITE_NULL;
        row.icon = columnText(st, 2);
        rows.push_back(std::move(row));
    }
    sortMonthRows(rows);
    return rows;
}
