// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A flexible grid on a QTableWidget: row 0 is the fixed header row (the
// table's header), rows 1 and on are the table's rows, filled by AddItem
// from tab-separated text. Column widths are given in twips.

#include "registry/FlexGrid.h"

#include <QTableWidget>

class MSFlexGrid final : public QTableWidget, public FlexGrid
{
    Q_OBJECT
public:
    explicit MSFlexGrid(int cols, QWidget *parent = nullptr);

    void AddItem(const QString &item) override;
    // Row 0, the table's header, is the one fixed row there can be.
    void setFixedRows(int) override {}

    // Rows counting the header row.
    int Rows() const { return rowCount() + 1; }
    // Keeps the header row and the first rows - 1 rows.
    void setRows(int rows);
    // Empties every cell, the header's too.
    void Clear();
    // "<Value|<Data": header texts, each after its alignment mark (< left,
    // ^ centre, > right).
    void setFormatString(const QString &format);
    QString TextMatrix(int row, int col) const;
    // The current row counting the header row (0 when no row is current).
    int Row() const { return currentRow() < 0 ? 0 : currentRow() + 1; }
    void setRowCol(int row, int col);
    void setColWidth(int col, double twips);
};
