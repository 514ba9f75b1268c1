// SPDX-License-Identifier: GPL-3.0-or-later
// Writes by rowid reach a row only while it is still the row read: the
// WHERE clause that holds a row to its values as read.

#include "store/RecordSet.h"

#include "store/Connection.h"
#include "store/FieldValue.h"
#include "store/RecordSetCommon.h"
#include "store/Statement.h"

#include <bit>
#include <sqlite3.h>

using namespace recordset;

namespace {

// A date cell as the text it was read from: the stored forms are exact, so
// writing them out again gives the same text.
QByteArray storedDate(const Cell &cell)
{
    QString iso = QDate::fromJulianDay(cell.value).toString(Qt::ISODate);
    if (cell.type == Cell::DateTime)
        iso +=
            QLatin1Char(' ') +
            QTime::fromMSecsSinceStartOfDay(int(cell.extra)).toString(QStringLiteral("HH:mm:ss"));
    return iso.toLatin1();
}

} // namespace

// The row by its rowid and every column as it was read: a row deleted or
// changed since, or a new row that took a deleted row's rowid, matches
// nothing. Texts compare exactly, whatever the column's collation.
QString RecordSet::asReadClause(int index) const
{
    QString where = QStringLiteral(" WHERE rowid = ?");
    const size_t base = size_t(index) * size_t(m_names.size());
    for (qsizetype c = 0; c < m_names.size(); ++c) {
        const QString name = quotedName(m_names[c]);
        // A text cell may come from a number or a blob in an untyped column.
        where += m_cells[base + size_t(c)].type == Cell::Text
                     ? QStringLiteral(" AND CAST(") + name +
                           QStringLiteral(" AS TEXT) IS ? COLLATE BINARY")
                     : QStringLiteral(" AND ") + name + QStringLiteral(" IS ? COLLATE BINARY");
    }
    return where;
}

void RecordSet::bindAsRead(Statement &st, int first, int index) const
{
    st.bind(first, m_rowids[size_t(index)]);
    const size_t base = size_t(index) * size_t(m_names.size());
    for (qsizetype c = 0; c < m_names.size(); ++c) {
        const Cell &cell = m_cells[base + size_t(c)];
        const int i = first + 1 + int(c);
        switch (cell.type) {
        case Cell::Null:
            st.bindNull(i);
            break;
        case Cell::Integer:
        case Cell::Bool:
            st.bind(i, cell.value);
            break;
        case Cell::Real:
            st.bind(i, std::bit_cast<double>(cell.value));
            break;
        case Cell::Date:
        case Cell::DateTime: {
            const QByteArray iso = storedDate(cell);
            st.bindText(i, iso);
            break;
        }
        case Cell::Text: {
            // The store outlives the statement.
            const std::string_view text = m_texts.bytes(cell.value, int(cell.extra));
            st.bindStaticText(i, text);
            break;
        }
        }
    }
}

void RecordSet::requireOneChange() const
{
    if (sqlite3_changes(m_connection->handle()) != 1)
        throw DbError(DbErrNo::ReadOnly,
                      QStringLiteral("Row cannot be located for updating. Some values may have "
                                     "been changed since it was last read."));
}
