// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The floors' table model: cells as SQLite gave them, kept in one buffer
// (no allocation per cell) and turned into text only for the cells a view
// paints.

#include <QAbstractTableModel>
#include <string>
#include <string_view>
#include <vector>

class FloorModel final : public QAbstractTableModel
{
public:
    explicit FloorModel(int columns) : m_columns(columns) {}
    // Appends the next cell, row by row.
    void add(std::string_view cell)
    {
        m_text.append(cell);
        m_ends.push_back(m_text.size());
    }
    int rowCount(const QModelIndex & = {}) const override { return int(m_ends.size()) / m_columns; }
    int columnCount(const QModelIndex & = {}) const override { return m_columns; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        const size_t i = size_t(index.row()) * size_t(m_columns) + size_t(index.column());
        const size_t start = i == 0 ? 0 : m_ends[i - 1];
        return QString::fromUtf8(m_text.data() + start, qsizetype(m_ends[i] - start));
    }

private:
    int m_columns;
    std::string m_text;
    std::vector<size_t> m_ends;
};
