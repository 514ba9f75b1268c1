// SPDX-License-Identifier: GPL-3.0-or-later
// The record set's writes: AddNew/Update, grid edits by rowid, deletes.

#include "store/RecordSet.h"

#include "store/Connection.h"
#include "store/FieldValue.h"
#include "store/RecordSetCommon.h"
#include "store/Statement.h"
#include "store/Transaction.h"

#include <QStringList>
#include <sqlite3.h>

using namespace recordset;

void RecordSet::requireWritableLock() const
{
    requireOpen();
    if (m_readOnly)
        throw DbError(DbErrNo::ReadOnly,
                      QStringLiteral("Current Recordset does not support updating. This may be a "
                                     "limitation of the provider, or of the selected locktype."));
}

void RecordSet::requireUpdatable() const
{
    requireWritableLock();
    if (m_table.isEmpty())
        throw DbError(DbErrNo::ReadOnly,
                      QStringLiteral("Cannot update. Database or object is read-only."));
}

QVariant RecordSet::storable(int column, const QVariant &value) const
{
    QVariant stored = toStorable(m_kinds[size_t(column)], m_names[column], value);
    checkSize(m_sizes[size_t(column)], stored);
    return stored;
}

void RecordSet::AddNew()
{
    requireUpdatable();
    m_editMode = EditMode::Add;
    m_pending.clear();
}

void RecordSet::setField(const QString &name, const QVariant &value)
{
    requireUpdatable();
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
    requireWritableLock();
    if (m_editMode == EditMode::Add) {
        const qint64 rowid = insertValues(m_pending);
        m_rowids.push_back(rowid);
        m_cells.resize(m_cells.size() + m_names.size());
        const int index = int(m_rowids.size()) - 1;
        reloadRow(index);
        if (m_filtered)
            m_visible.push_back(index);
        m_pos = visibleCount() - 1;
    } else if (m_editMode == EditMode::Edit) {
        requireCurrent();
        writeRow(rowIndex(m_pos), m_pending);
        reloadRow(rowIndex(m_pos));
    }
    CancelUpdate();
}

void RecordSet::CancelUpdate()
{
    m_editMode = EditMode::None;
    m_pending.clear();
}

void RecordSet::setValueAt(int row, int column, const QVariant &value)
{
    requireUpdatable();
    const int index = checkedRowIndex(row);
    if (column < 0 || column >= fieldCount())
        throw fieldNotFound();
    writeRow(index, {{column, storable(column, value)}});
    reloadRow(index);
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
    requireUpdatable();
    const int index = checkedRowIndex(row);
    Statement stmt(*m_connection,
                   QStringLiteral("DELETE FROM ") + quotedName(m_table) + asReadClause(index));
    bindAsRead(stmt, 1, index);
    stmt.step();
    requireOneChange();
    removeRow(index);
    // The current row stays the same row when an earlier one goes.
    if (row < m_pos)
        --m_pos;
    m_pos = std::min(m_pos, visibleCount());
}

void RecordSet::deleteRows(const QList<int> &rows)
{
    requireUpdatable();
    std::vector<bool> gone(m_rowids.size(), false);
    for (int row : rows)
        gone[size_t(checkedRowIndex(row))] = true;

    {
        Transaction transaction(*m_connection);
        Statement stmt(*m_connection, QStringLiteral("DELETE FROM ") + quotedName(m_table) +
                                          QStringLiteral(" WHERE rowid = ?"));
        for (size_t i = 0; i < gone.size(); ++i) {
            if (!gone[i])
                continue;
            stmt.bind(1, m_rowids[i]);
            stmt.step();
            stmt.reset();
        }
        transaction.commit();
    }

    // Keep the rest in order, each moved once; old places map to new ones.
    const auto width = size_t(m_names.size());
    std::vector<int> moved(gone.size(), -1);
    size_t kept = 0;
    for (size_t i = 0; i < gone.size(); ++i) {
        if (gone[i])
            continue;
        if (kept != i) {
            m_rowids[kept] = m_rowids[i];
            for (size_t c = 0; c < width; ++c)
                m_cells[kept * width + c] = m_cells[i * width + c];
        }
        moved[i] = int(kept++);
    }
    m_rowids.resize(kept);
    m_cells.resize(kept * width);
    // The current row stays the same row; a deleted one gives way to the next.
    int before = 0;
    if (m_filtered) {
        std::vector<int> visible;
        visible.reserve(m_visible.size());
        for (size_t v = 0; v < m_visible.size(); ++v) {
            const int index = m_visible[v];
            if (moved[size_t(index)] >= 0)
                visible.push_back(moved[size_t(index)]);
            else if (int(v) < m_pos)
                ++before;
        }
        m_visible = std::move(visible);
    } else {
        for (size_t i = 0; i < gone.size() && int(i) < m_pos; ++i)
            before += gone[i] ? 1 : 0;
    }
    m_pos = std::min(m_pos - before, visibleCount());
}

void RecordSet::removeRow(int index)
{
    const auto width = qsizetype(m_names.size());
    m_rowids.erase(size_t(index), 1);
    m_cells.erase(size_t(index * width), size_t(width));
    if (m_filtered) {
        std::vector<int> kept;
        kept.reserve(m_visible.size());
        for (int v : m_visible) {
            if (v != index)
                kept.push_back(v > index ? v - 1 : v);
        }
        m_visible = std::move(kept);
    }
}

void RecordSet::writeRow(int index, const QList<QPair<int, QVariant>> &fields)
{
    requireUpdatable();
    if (fields.isEmpty())
        return;
    QStringList sets;
    for (const auto &field : fields)
        sets << quotedName(m_names[field.first]) + QStringLiteral(" = ?");
    Statement stmt(*m_connection, QStringLiteral("UPDATE ") + quotedName(m_table) +
                                      QStringLiteral(" SET ") + sets.join(QStringLiteral(", ")) +
                                      asReadClause(index));
    int i = 1;
    for (const auto &field : fields)
        stmt.bind(i++, field.second);
    bindAsRead(stmt, i, index);
    stmt.step();
    requireOneChange();
}

qint64 RecordSet::insertValues(const QList<QPair<int, QVariant>> &fields)
{
    requireUpdatable();
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
    Statement stmt(*m_connection, sql);
    int i = 1;
    for (const auto &field : fields)
        stmt.bind(i++, field.second);
    stmt.step();
    return sqlite3_last_insert_rowid(m_connection->handle());
}

void RecordSet::reloadRow(int index)
{
    Statement stmt(*m_connection, QStringLiteral("SELECT rowid AS ") + rowidAlias() +
                                      QStringLiteral(", * FROM ") + quotedName(m_table) +
                                      QStringLiteral(" WHERE rowid = ?"));
    stmt.bind(1, m_rowids[size_t(index)]);
    if (!stmt.step())
        return; // the row is gone; keep what was read
    const size_t base = size_t(index) * m_names.size();
    for (int c = 0; c < int(m_names.size()); ++c)
        m_cells[base + size_t(c)] = readCell(stmt.handle(), c + 1, m_kinds[size_t(c)], m_texts);
}
