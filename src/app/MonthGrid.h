// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Grid: the month list control. Row 0 holds the column titles and becomes a
// fixed (header-looking) row only once an event row exists; rows 1 and on
// are the listed events. A model over the listed rows rather than one item
// per cell, so that refilling thousands of rows stays cheap.

#include "startup/MonthList.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QTableView>
#include <array>
#include <optional>
#include <vector>

class MonthGridModel final : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Only the title row, not fixed.
    void clear();
    // The listed rows below the title row, with the nearness colours
    // (ColourTable entries 0 to 5; an unset colour leaves the background).
    void setRows(std::vector<MonthRow> rows, const std::array<std::optional<QColor>, 6> &colours);
    void setBackground(const QColor &colour);

    int fixedRows() const { return m_rows.empty() ? 0 : 1; }
    const MonthRow &eventRow(int row) const { return m_rows[size_t(row - 1)]; }
    QString text(int row, int column) const;
    std::optional<QColor> cellColour(int row, int column) const;
    QColor background() const { return m_background; }

private:
    std::vector<MonthRow> m_rows;
    std::array<std::optional<QColor>, 6> m_colours;
    QColor m_background = Qt::white;
};

class MonthGrid final : public QTableView
{
    Q_OBJECT
public:
    explicit MonthGrid(QWidget *parent = nullptr);

    MonthGridModel &monthModel() { return m_model; }
    const MonthGridModel &monthModel() const { return m_model; }

    // The flexible grid's vocabulary, as the window's handlers use it.
    int Rows() const { return m_model.rowCount(); }
    int FixedRows() const { return m_model.fixedRows(); }
    QString TextMatrix(int row, int column) const { return m_model.text(row, column); }
    int Row() const;
    void setRow(int row);
    // The top of row r in the grid's (viewport's) coordinates; the fixed
    // row 0 lies above the viewport, and rows scrolled away count as at
    // the viewport's top, below it.
    int RowPos(int row) const;
    int RowHeight(int row) const;
    // The hint shown in the empty list's free area ("" once an event is
    // listed); it is no row.
    QString emptyHint() const;
    // The width a cell needs to show text whole in the grid's font (with
    // the one-off marker beside it when withMarker).
    int fittingWidth(const QString &text, bool withMarker = false) const;
    // The list background (ColourTable entry 4).
    void setBackColor(const QColor &colour);
    QColor BackColor() const { return m_model.background(); }

    // Replaces the listed rows and sets their heights: 400 twips for a row
    // whose event has a type (even an unknown one), the normal height else.
    void showRows(std::vector<MonthRow> rows, const std::array<std::optional<QColor>, 6> &colours);
    void clearRows();

signals:
    // Any mouse button pressed over the grid, in viewport coordinates.
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint position);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool headerFixed() const;
    // Row 0 shown as the fixed header once it is fixed, as a plain row before.
    void showFixedRow();

    MonthGridModel m_model;
};

// A colour number of the 0x00BBGGRR form as a QColor.
QColor colourFromNumber(quint32 number);
