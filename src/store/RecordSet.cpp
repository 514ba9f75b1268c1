// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/RecordSet.h"

#include "store/Connection.h"
#include "store/FieldValue.h"
#include "store/JetDate.h"
#include "store/JetSql.h"
#include "store/RecordSetCommon.h"

#include <QRegularExpression>
#include <QSet>
#include <bit>
#include <sqlite3.h>

using namespace recordset;

namespace {

// Column names match without regard to case; most names are ASCII and
// differ in length, so this rarely gets past the first test.
bool sameName(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return false;
    const QChar *p = a.constData();
    const QChar *q = b.constData();
    for (qsizetype i = 0; i < a.size(); ++i) {
        const char16_t x = p[i].unicode();
        const char16_t y = q[i].unicode();
        if (x == y)
            continue;
        if (x >= 0x80 || y >= 0x80)
            return a.compare(b, Qt::CaseInsensitive) == 0;
        if ((x | 0x20) != (y | 0x20) || (x | 0x20) < u'a' || (x | 0x20) > u'z')
            return false;
    }
    return true;
}

// Inline in the loading loop: a large table makes millions of these calls.
// keep(text, bytes) keeps a text value and returns the place of its copy.
template <typename Keep>
inline Cell readValue(sqlite3_stmt *st, int column, FieldKind kind, Keep &&keep)
{
    // One column call, then the value's own accessors, which skip the
    // statement's checks.
    sqlite3_value *value = sqlite3_column_value(st, column);
    Cell cell;
    const auto keepText = [&](const unsigned char *text, int bytes) {
        cell.value = keep(reinterpret_cast<const char *>(text), bytes);
        cell.extra = quint32(bytes);
        cell.type = Cell::Text;
        return cell;
    };
    if (kind == FieldKind::Text || kind == FieldKind::Date) {
        // A text column's value is text whatever SQLite stored; a null
        // pointer is a null value.
        const unsigned char *text = sqlite3_value_text(value);
        if (!text)
            return cell;
        const int bytes = sqlite3_value_bytes(value);
        int msecs = -1;
        if (kind == FieldKind::Date &&
            isoToDayAndTime(reinterpret_cast<const char *>(text), bytes, &cell.value, &msecs)) {
            cell.type = msecs < 0 ? Cell::Date : Cell::DateTime;
            cell.extra = quint32(msecs < 0 ? 0 : msecs);
            return cell;
        }
        return keepText(text, bytes);
    }
    switch (sqlite3_value_type(value)) {
    case SQLITE_NULL:
        return cell;
    case SQLITE_INTEGER:
        cell.value = sqlite3_value_int64(value);
        cell.type = kind == FieldKind::Bool ? Cell::Bool : Cell::Integer;
        return cell;
    case SQLITE_FLOAT:
        cell.value = std::bit_cast<qint64>(sqlite3_value_double(value));
        cell.type = Cell::Real;
        return cell;
    default:
        return keepText(sqlite3_value_text(value), sqlite3_value_bytes(value));
    }
}

inline Cell readValue(sqlite3_stmt *st, int column, FieldKind kind, TextStore &texts)
{
    return readValue(st, column, kind,
                     [&texts](const char *text, int bytes) { return texts.add(text, bytes); });
}

} // namespace

RecordSet::RecordSet() = default;

RecordSet::~RecordSet() = default;

void RecordSet::Open(const QString &source, Connection &connection, CursorTypeEnum cursorType,
                     LockTypeEnum lockType)
{
    if (isOpen())
        throw DbError(DbErrNo::AlreadyOpen,
                      QStringLiteral("Operation is not allowed when the object is open."));
    connection.handle(); // a closed connection refuses here
    const QString translated = translateStatement(source, connection.schema());
    // Rows of one table keep their rowid; any other query is read-only.
    static const QRegularExpression simple(
        QStringLiteral("^\\s*SELECT\\s+\\*\\s+FROM\\s+(\"?)([A-Za-z_][A-Za-z0-9_]*)\\1"
                       "((?:\\s+(?:WHERE|ORDER)\\b.*)?)\\s*;?\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    // Only column names in the order: a function (Rnd, Now) may read
    // otherwise on the next read of the same data.
    static const QRegularExpression columnOrder(
        QStringLiteral("^(\\s+ORDER\\s+BY\\s+\"?[A-Za-z_][A-Za-z0-9_]*\"?(\\s+(ASC|DESC))?"
                       "(\\s*,\\s*\"?[A-Za-z_][A-Za-z0-9_]*\"?(\\s+(ASC|DESC))?)*)?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = simple.match(translated);
    QString table;
    QString query;
    m_repeatable = false;
    if (m.hasMatch()) {
        table = m.captured(2);
        m_repeatable = columnOrder.match(m.captured(3)).hasMatch();
        query = QStringLiteral("SELECT rowid AS ") + rowidAlias() + QStringLiteral(", * FROM ") +
                quotedName(table) + m.captured(3);
    } else {
        QString inner = translated.trimmed();
        if (inner.endsWith(QLatin1Char(';')))
            inner.chop(1);
        query = QStringLiteral("SELECT row_number() OVER () - 1 AS ") + rowidAlias() +
                QStringLiteral(", * FROM (") + inner + QLatin1Char(')');
    }
    m_source = source;
    m_table = table;
    m_readOnly = lockType == adLockReadOnly;
    m_query = query;
    m_connection = &connection;
    // A server cursor over a table's rows reads them as they are first
    // used, as a dynamic cursor shows them; any other reads them now.
    const bool deferred =
        m_repeatable && m_cursorLocation == adUseServer && cursorType == adOpenDynamic;
    try {
        if (deferred)
            readColumns(m_connection->prepare(m_query).get());
        else
            load();
    } catch (...) {
        Close();
        throw;
    }
    m_deferred = deferred;
    m_afterLast = false;
    m_filter.clear();
    m_filtered = false;
    m_visible.clear();
    m_pos = 0;
}

Cell RecordSet::readCell(sqlite3_stmt *st, int column, FieldKind kind, TextStore &texts)
{
    return readValue(st, column, kind, texts);
}

void RecordSet::load()
{
    // Taken before the read: a commit during it makes the next Requery read.
    const Connection::DataStamp stamp = m_connection->dataStamp();
    auto stmt = m_connection->prepare(m_query);
    sqlite3_stmt *st = stmt.get();
    const int columns = sqlite3_column_count(st) - 1;
    const std::vector<FieldKind> kinds = columnKinds(st);
    Chunked<qint64> rowids;
    Chunked<Cell> cells;
    TextStore texts;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        rowids.push_back(sqlite3_column_int64(st, 0));
        for (int c = 0; c < columns; ++c)
            cells.push_back(readValue(st, c + 1, kinds[size_t(c)], texts));
    }
    m_connection->check(rc);
    // Only a complete read replaces what the set holds.
    readColumns(st);
    m_rowids = std::move(rowids);
    m_cells = std::move(cells);
    m_texts = std::move(texts);
    m_readStamp = stamp;
    m_deferred = false;
    CancelUpdate();
}

std::vector<FieldKind> RecordSet::columnKinds(sqlite3_stmt *st)
{
    std::vector<FieldKind> kinds;
    for (int c = 1; c < sqlite3_column_count(st); ++c)
        kinds.push_back(kindOfDeclaredType(sqlite3_column_decltype(st, c)));
    return kinds;
}

void RecordSet::readColumns(sqlite3_stmt *st)
{
    QStringList names;
    std::vector<int> sizes;
    for (int c = 1; c < sqlite3_column_count(st); ++c) {
        names << QString::fromUtf8(sqlite3_column_name(st, c));
        sizes.push_back(sizeOfDeclaredType(sqlite3_column_decltype(st, c)));
    }
    if (names != m_names)
        forgetNameHits();
    m_names = std::move(names);
    m_kinds = columnKinds(st);
    m_sizes = std::move(sizes);
}

void RecordSet::readDeferred() const
{
    // Reading is not a change the caller sees: the rows were always there.
    auto *self = const_cast<RecordSet *>(this);
    self->load();
    self->applyFilter();
    self->m_pos = m_afterLast ? visibleCount() : 0;
}

void RecordSet::scan(const QStringList &names, const std::function<void(const ScanRow &)> &each)
{
    requireConnection();
    // The columns as the table has them now, and only those asked for.
    readColumns(m_connection->prepare(m_query).get());
    std::vector<int> columns;
    std::vector<FieldKind> kinds;
    QStringList selected;
    for (const QString &name : names) {
        const int column = fieldIndex(name);
        columns.push_back(column < 0 ? -1 : int(selected.size()));
        kinds.push_back(column < 0 ? FieldKind::Text : m_kinds[size_t(column)]);
        if (column >= 0)
            selected << quotedName(m_names[column]);
    }
    QString sql = QStringLiteral("SELECT ") +
                  (selected.isEmpty() ? QStringLiteral("NULL") : selected.join(QLatin1Char(','))) +
                  QStringLiteral(" FROM (") + m_query + QLatin1Char(')');
    if (m_filtered)
        sql += QStringLiteral(" WHERE (") +
               translateCriteria(m_filter, m_connection->schema(),
                                 m_table.isEmpty() ? QStringList() : QStringList{m_table}) +
               QLatin1Char(')');
    auto stmt = m_connection->prepare(sql);
    // The rows kept so far are no longer what the table holds.
    m_rowids = {};
    m_cells = {};
    m_texts = {};
    m_visible.clear();
    CancelUpdate();
    m_deferred = true;
    m_afterLast = true;
    const ScanRow row(stmt.get(), columns, kinds);
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW)
        each(row);
    m_connection->check(rc);
}

QVariant RecordSet::ScanRow::value(int i) const
{
    if (m_columns[size_t(i)] < 0)
        throw fieldNotFound();
    static const TextStore none;
    QString text;
    const Cell cell = readValue(m_st, m_columns[size_t(i)], m_kinds[size_t(i)],
                                [&text](const char *t, int bytes) {
                                    text = QString::fromUtf8(t, bytes);
                                    return qint64(0);
                                });
    return cell.type == Cell::Text ? QVariant(text) : cellValue(cell, none);
}

bool RecordSet::ScanRow::dateParts(int i, IsoParts *parts) const
{
    if (m_columns[size_t(i)] < 0)
        throw fieldNotFound();
    if (m_kinds[size_t(i)] != FieldKind::Date)
        return false;
    sqlite3_value *v = sqlite3_column_value(m_st, m_columns[size_t(i)]);
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(v));
    return text && isoToParts(text, sqlite3_value_bytes(v), parts);
}

void RecordSet::Requery()
{
    requireConnection();
    CancelUpdate();
    if (m_deferred) {
        // Read at first use, whenever that comes.
        m_afterLast = false;
        return;
    }
    if (!m_repeatable || m_connection->dataStamp() != m_readStamp)
        load();
    applyFilter();
    m_pos = 0;
}

void RecordSet::Close()
{
    m_connection = nullptr;
    m_source.clear();
    m_query.clear();
    m_table.clear();
    m_repeatable = false;
    m_deferred = false;
    m_afterLast = false;
    m_readStamp = {};
    m_names.clear();
    forgetNameHits();
    m_kinds.clear();
    m_sizes.clear();
    m_rowids = {};
    m_cells = {};
    m_texts = {};
    m_visible.clear();
    m_filtered = false;
    m_filter.clear();
    CancelUpdate();
    m_pos = 0;
}

void RecordSet::requireConnection() const
{
    if (!isOpen())
        throw DbError(DbErrNo::Closed,
                      QStringLiteral("Operation is not allowed when the object is closed."));
}

void RecordSet::requireOpen() const
{
    requireConnection();
    ensureRows();
}

void RecordSet::requireCurrent() const
{
    requireOpen();
    if (m_pos < 0 || m_pos >= visibleCount())
        throw noCurrentRow();
}

void RecordSet::MoveFirst()
{
    requireOpen();
    m_pos = 0;
}

void RecordSet::MoveNext()
{
    requireOpen();
    if (isEOF())
        throw noCurrentRow();
    ++m_pos;
}

void RecordSet::MoveLast()
{
    requireOpen();
    m_pos = visibleCount() > 0 ? visibleCount() - 1 : 0;
}

void RecordSet::setPosition(int row)
{
    requireOpen();
    m_pos = std::clamp(row, -1, visibleCount());
}

std::vector<qint64> RecordSet::matchingRowids(const QString &criteria) const
{
    const QString sql =
        QStringLiteral("SELECT ") + rowidAlias() + QStringLiteral(" FROM (") + m_query +
        QStringLiteral(") WHERE (") +
        translateCriteria(criteria, m_connection->schema(),
                          m_table.isEmpty() ? QStringList() : QStringList{m_table}) +
        QLatin1Char(')');
    auto stmt = m_connection->prepare(sql);
    std::vector<qint64> ids;
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW)
        ids.push_back(sqlite3_column_int64(stmt.get(), 0));
    m_connection->check(rc);
    return ids;
}

void RecordSet::applyFilter()
{
    const bool filtered = !m_filter.trimmed().isEmpty();
    std::vector<int> visible;
    if (filtered) {
        const std::vector<qint64> ids = matchingRowids(m_filter);
        const QSet<qint64> wanted(ids.begin(), ids.end());
        for (int i = 0; i < int(m_rowids.size()); ++i) {
            if (wanted.contains(m_rowids[size_t(i)]))
                visible.push_back(i);
        }
    }
    m_visible = std::move(visible);
    m_filtered = filtered;
}

void RecordSet::setFilter(const QString &jetCriteria)
{
    if (!isOpen() && jetCriteria.trimmed().isEmpty()) {
        m_filter.clear(); // callers clear the filter before opening
        return;
    }
    requireOpen();
    const QString previous = m_filter;
    m_filter = jetCriteria;
    try {
        applyFilter();
    } catch (...) {
        m_filter = previous; // a refused filter leaves the rows as they were
        throw;
    }
    m_pos = 0;
}

int RecordSet::fieldIndex(const QString &name) const
{
    if (const int column = hitColumn(name); column >= 0)
        return column;
    for (int i = 0; i < int(m_names.size()); ++i) {
        if (sameName(m_names[i], name)) {
            m_nameHits[m_nextHit] = {name, i};
            m_lastHit = m_nextHit;
            m_nextHit = (m_nextHit + 1) % kNameHits;
            m_usedHits = std::max(m_usedHits, m_nextHit == 0 ? kNameHits : m_nextHit);
            return i;
        }
    }
    return -1;
}

void RecordSet::forgetNameHits()
{
    for (NameHit &hit : m_nameHits)
        hit = {};
    m_usedHits = 0;
    m_nextHit = 0;
    m_lastHit = 0;
}

int RecordSet::requireField(const QString &name) const
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw fieldNotFound();
    return i;
}

// Inline (and only used here): every field read goes through it.
inline const Cell &RecordSet::cellAt(int index, int column) const
{
    return m_cells[size_t(index) * m_names.size() + size_t(column)];
}

int RecordSet::checkedRowIndex(int visibleRow) const
{
    requireOpen();
    if (visibleRow < 0 || visibleRow >= visibleCount())
        throw noCurrentRow();
    return rowIndex(visibleRow);
}

QVariant RecordSet::Fields(const QString &name) const
{
    requireOpen();
    int column = hitColumn(name);
    if (column < 0)
        column = requireField(name);
    if (m_editMode != EditMode::None) {
        for (const auto &[c, v] : m_pending) {
            if (c == column)
                return fromStorable(m_kinds[size_t(column)], v);
        }
        if (m_editMode == EditMode::Add)
            return {};
    }
    if (m_pos < 0 || m_pos >= visibleCount())
        throw noCurrentRow();
    return cellValue(cellAt(rowIndex(m_pos), column), m_texts);
}

QVariant RecordSet::valueAt(int row, int column) const
{
    const int index = checkedRowIndex(row);
    if (column < 0 || column >= fieldCount())
        throw fieldNotFound();
    return cellValue(cellAt(index, column), m_texts);
}

qint64 RecordSet::rowidAt(int row) const
{
    return m_rowids[size_t(checkedRowIndex(row))];
}
