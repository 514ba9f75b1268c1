#include "store/RecordSet.h"

#include "store/Connection.h"
#include "store/DbError.h"
#include "store/FieldValue.h"
#include "store/JetSql.h"

#include <QHash>
#include <QRegularExpression>
#include <sqlite3.h>

namespace {

const QString kRowid = QStringLiteral("\"@rowid\"");

DbError noCurrentRow()
{
    return DbError(DbErrNo::NoCurrentRow,
                   QStringLiteral("Either BOF or EOF is True, or the current record has been "
                                  "deleted. Requested operation requires a current record."));
}

QString quotedName(const QString &name)
{
    QString n = name;
    n.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

} // namespace

void RecordSet::Open(const QString &source, Connection &connection, CursorTypeEnum, LockTypeEnum)
{
    if (isOpen())
        throw DbError(DbErrNo::General,
                      QStringLiteral("Operation is not allowed when the object is open."));
    connection.handle(); // a closed connection refuses here
    m_source = source;
    const QString translated = translateStatement(source);
    // Rows of one table keep their rowid; any other query is read-only.
    static const QRegularExpression simple(
        QStringLiteral("^\\s*SELECT\\s+\\*\\s+FROM\\s+(\"?)([A-Za-z_][A-Za-z0-9_]*)\\1"
                       "((?:\\s+(?:WHERE|ORDER)\\b.*)?)\\s*;?\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto m = simple.match(translated);
    if (m.hasMatch()) {
        m_table = m.captured(2);
        m_query = QStringLiteral("SELECT rowid AS ") + kRowid + QStringLiteral(", * FROM ") +
                  quotedName(m_table) + m.captured(3);
    } else {
        m_table.clear();
        QString inner = translated.trimmed();
        if (inner.endsWith(QLatin1Char(';')))
            inner.chop(1);
        m_query = QStringLiteral("SELECT row_number() OVER () - 1 AS ") + kRowid +
                  QStringLiteral(", * FROM (") + inner + QLatin1Char(')');
    }
    m_connection = &connection;
    try {
        load();
    } catch (...) {
        m_connection = nullptr;
        throw;
    }
    m_filter.clear();
    m_filtered = false;
    m_pos = 0;
}

void RecordSet::load()
{
    auto stmt = m_connection->prepare(m_query);
    sqlite3_stmt *st = stmt.get();
    const int columns = sqlite3_column_count(st) - 1;
    m_names.clear();
    m_kinds.clear();
    std::vector<int> sizes;
    for (int c = 0; c < columns; ++c) {
        m_names << QString::fromUtf8(sqlite3_column_name(st, c + 1));
        const char *decl = sqlite3_column_decltype(st, c + 1);
        m_kinds.push_back(kindOfDeclaredType(decl));
    }
    m_rowids.clear();
    m_values.clear();
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        m_rowids.push_back(sqlite3_column_int64(st, 0));
        for (int c = 0; c < columns; ++c)
            m_values.push_back(readColumn(st, c + 1, m_kinds[size_t(c)]));
    }
    m_connection->check(rc);
    m_editMode = EditMode::None;
    m_pending.clear();
}

void RecordSet::Requery()
{
    requireOpen();
    load();
    applyFilter();
    m_pos = 0;
}

void RecordSet::Close()
{
    m_connection = nullptr;
    m_names.clear();
    m_kinds.clear();
    m_rowids.clear();
    m_values.clear();
    m_visible.clear();
    m_filtered = false;
    m_filter.clear();
    m_editMode = EditMode::None;
    m_pending.clear();
    m_pos = 0;
}

void RecordSet::requireOpen() const
{
    if (!isOpen())
        throw DbError(DbErrNo::Closed,
                      QStringLiteral("Operation is not allowed when the object is closed."));
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

void RecordSet::MovePrevious()
{
    requireOpen();
    if (isBOF())
        throw noCurrentRow();
    --m_pos;
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
    const QString sql = QStringLiteral("SELECT ") + kRowid + QStringLiteral(" FROM (") + m_query +
                        QStringLiteral(") WHERE (") + translateCriteria(criteria) +
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
    m_visible.clear();
    m_filtered = !m_filter.trimmed().isEmpty();
    if (!m_filtered)
        return;
    const std::vector<qint64> ids = matchingRowids(m_filter);
    QSet<qint64> wanted(ids.begin(), ids.end());
    for (int i = 0; i < int(m_rowids.size()); ++i) {
        if (wanted.contains(m_rowids[size_t(i)]))
            m_visible.push_back(i);
    }
}

void RecordSet::setFilter(const QString &jetCriteria)
{
    requireOpen();
    const QString previous = m_filter;
    m_filter = jetCriteria;
    try {
        applyFilter();
    } catch (...) {
        m_filter = previous;
        applyFilter();
        throw;
    }
    m_pos = 0;
}

void RecordSet::Find(const QString &criteria, int skip, SearchDirectionEnum direction, int start)
{
    requireOpen();
    const std::vector<qint64> ids = matchingRowids(criteria);
    QSet<qint64> wanted(ids.begin(), ids.end());
    const int step = direction == adSearchBackward ? -1 : 1;
    int row = (start < 0 ? m_pos : start) + step * skip;
    for (; row >= 0 && row < visibleCount(); row += step) {
        if (wanted.contains(m_rowids[size_t(rowIndex(row))])) {
            m_pos = row;
            return;
        }
    }
    m_pos = step > 0 ? visibleCount() : -1;
}

int RecordSet::fieldIndex(const QString &name) const
{
    for (int i = 0; i < int(m_names.size()); ++i) {
        if (m_names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int RecordSet::requireField(const QString &name) const
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw DbError(DbErrNo::NotFound,
                      QStringLiteral("Item cannot be found in the collection corresponding to the "
                                     "requested name or ordinal."));
    return i;
}

QVariant RecordSet::Fields(const QString &name) const
{
    requireOpen();
    const int column = requireField(name);
    for (const auto &[c, v] : m_pending) {
        if (c == column)
            return v;
    }
    if (m_editMode == EditMode::Add)
        return {};
    requireCurrent();
    return m_values[size_t(rowIndex(m_pos)) * m_names.size() + size_t(column)];
}

QVariant RecordSet::valueAt(int row, int column) const
{
    return m_values[size_t(rowIndex(row)) * m_names.size() + size_t(column)];
}

qint64 RecordSet::rowidAt(int row) const
{
    return m_rowids[size_t(rowIndex(row))];
}

QVariant RecordSet::storable(int column, const QVariant &value) const
{
    return toStorable(m_kinds[size_t(column)], m_names[column], value);
}

void RecordSet::AddNew()
{
    requireOpen();
    if (!updatable())
        throw DbError(DbErrNo::ReadOnly, QStringLiteral("Cannot update. Database or object is read-only."));
    m_editMode = EditMode::Add;
    m_pending.clear();
}

void RecordSet::setField(const QString &name, const QVariant &value)
{
    requireOpen();
    const int column = requireField(name);
    const QVariant stored = storable(column, value);
    if (m_editMode == EditMode::None) {
        requireCurrent();
        m_editMode = EditMode::Edit;
    }
    for (auto &[c, v] : m_pending) {
        if (c == column) {
            v = stored;
            return;
        }
    }
    m_pending.append({column, stored});
}

void RecordSet::Update()
{
    requireOpen();
    if (m_editMode == EditMode::Add) {
        const qint64 rowid = insertValues(m_pending);
        m_rowids.push_back(rowid);
        m_values.resize(m_values.size() + m_names.size());
        reloadRow(int(m_rowids.size()) - 1);
        if (m_filtered)
            m_visible.push_back(int(m_rowids.size()) - 1);
        m_pos = visibleCount() - 1;
    } else if (m_editMode == EditMode::Edit) {
        requireCurrent();
        writeRow(rowidAt(m_pos), m_pending);
        reloadRow(rowIndex(m_pos));
    }
    m_editMode = EditMode::None;
    m_pending.clear();
}

void RecordSet::CancelUpdate()
{
    m_editMode = EditMode::None;
    m_pending.clear();
}

void RecordSet::Delete()
{
    requireCurrent();
    deleteAt(m_pos);
}

void RecordSet::setValueAt(int row, int column, const QVariant &value)
{
    requireOpen();
    writeRow(rowidAt(row), {{column, storable(column, value)}});
    reloadRow(rowIndex(row));
}

int RecordSet::insertRow(const QList<QPair<QString, QVariant>> &fields)
{
    AddNew();
    try {
        for (const auto &[name, value] : fields)
            setField(name, value);
        Update();
    } catch (...) {
        CancelUpdate();
        throw;
    }
    return m_pos;
}

void RecordSet::deleteAt(int row)
{
    requireOpen();
    if (!updatable())
        throw DbError(DbErrNo::ReadOnly, QStringLiteral("Cannot update. Database or object is read-only."));
    const int index = rowIndex(row);
    auto stmt = m_connection->prepare(QStringLiteral("DELETE FROM ") + quotedName(m_table) +
                                      QStringLiteral(" WHERE rowid = ?"));
    sqlite3_bind_int64(stmt.get(), 1, m_rowids[size_t(index)]);
    m_connection->check(sqlite3_step(stmt.get()));
    const size_t width = m_names.size();
    m_rowids.erase(m_rowids.begin() + index);
    m_values.erase(m_values.begin() + qsizetype(size_t(index) * width),
                   m_values.begin() + qsizetype(size_t(index + 1) * width));
    if (m_filtered) {
        std::vector<int> kept;
        kept.reserve(m_visible.size());
        for (int v : m_visible) {
            if (v != index)
                kept.push_back(v > index ? v - 1 : v);
        }
        m_visible = std::move(kept);
    }
    m_pos = std::min(m_pos, visibleCount());
}

void RecordSet::writeRow(qint64 rowid, const QList<QPair<int, QVariant>> &fields)
{
    if (!updatable())
        throw DbError(DbErrNo::ReadOnly, QStringLiteral("Cannot update. Database or object is read-only."));
    if (fields.isEmpty())
        return;
    QStringList sets;
    for (const auto &field : fields)
        sets << quotedName(m_names[field.first]) + QStringLiteral(" = ?");
    auto stmt = m_connection->prepare(QStringLiteral("UPDATE ") + quotedName(m_table) +
                                      QStringLiteral(" SET ") + sets.join(QStringLiteral(", ")) +
                                      QStringLiteral(" WHERE rowid = ?"));
    int i = 1;
    for (const auto &field : fields)
        bindValue(stmt.get(), i++, field.second);
    sqlite3_bind_int64(stmt.get(), i, rowid);
    m_connection->check(sqlite3_step(stmt.get()));
}

qint64 RecordSet::insertValues(const QList<QPair<int, QVariant>> &fields)
{
    QString sql = QStringLiteral("INSERT INTO ") + quotedName(m_table);
    if (fields.isEmpty()) {
        sql += QStringLiteral(" DEFAULT VALUES");
    } else {
        QStringList names, marks;
        for (const auto &field : fields) {
            names << quotedName(m_names[field.first]);
            marks << QStringLiteral("?");
        }
        sql += QStringLiteral(" (") + names.join(QLatin1Char(',')) + QStringLiteral(") VALUES (") +
               marks.join(QLatin1Char(',')) + QLatin1Char(')');
    }
    auto stmt = m_connection->prepare(sql);
    int i = 1;
    for (const auto &field : fields)
        bindValue(stmt.get(), i++, field.second);
    m_connection->check(sqlite3_step(stmt.get()));
    return sqlite3_last_insert_rowid(m_connection->handle());
}

void RecordSet::reloadRow(int index)
{
    auto stmt = m_connection->prepare(QStringLiteral("SELECT rowid AS ") + kRowid +
                                      QStringLiteral(", * FROM ") + quotedName(m_table) +
                                      QStringLiteral(" WHERE rowid = ?"));
    sqlite3_bind_int64(stmt.get(), 1, m_rowids[size_t(index)]);
    const int rc = sqlite3_step(stmt.get());
    m_connection->check(rc);
    if (rc != SQLITE_ROW)
        return; // the row is gone; keep what was read
    const size_t base = size_t(index) * m_names.size();
    for (int c = 0; c < int(m_names.size()); ++c)
        m_values[base + size_t(c)] = readColumn(stmt.get(), c + 1, m_kinds[size_t(c)]);
}
