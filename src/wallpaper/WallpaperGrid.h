// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The wallpaper selector's list as a flexible grid: row 0 holds the titles
// "Name", "Path", "ID"; each further row one entry, its ID "0" while it is
// an addition not yet stored. The grid keeps the design's fixed-row rule
// and the yellow first cell of a missing file; a view shows the entries
// (model rows from 0) under the titles (its header).

#include <QAbstractTableModel>
#include <QString>
#include <vector>

class WallpaperGrid final : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    // Rows counting the title row; FixedRows is 1 once an entry was added
    // while the grid held one, 0 again when the last entry is removed.
    int Rows() const { return int(m_rows.size()) + 1; }
    int FixedRows() const { return m_fixedRows; }
    QString TextMatrix(int row, int col) const;
    // Appends name, path and id as a row; fixed rows become 1 when the grid
    // then has more than one row.
    void AddItem(const QString &name, const QString &path, const QString &id);
    // Removes entry row (from 1); with only this entry left the grid has no
    // fixed row any more.
    void RemoveItem(int row);
    // Paints row's first cell yellow (a missing file).
    void markMissing(int row);
    bool isMarkedMissing(int row) const;
    // The entry at row is stored when its ID's numeric value is not 0.
    static qint64 idValue(const QString &id);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct Entry
    {
        QString cells[3];
        bool missing = false;
    };
    std::vector<Entry> m_rows;
    int m_fixedRows = 0;
};
