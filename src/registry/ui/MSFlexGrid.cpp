// SPDX-License-Identifier: GPL-3.0-or-later
#include "registry/ui/MSFlexGrid.h"

#include "widgets/Twips.h"

#include <QHeaderView>

MSFlexGrid::MSFlexGrid(int cols, QWidget *parent) : QTableWidget(0, cols, parent)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(false);
    Clear();
}

void MSFlexGrid::AddItem(const QString &item)
{
    const QStringList cells = item.split(QLatin1Char('\t'));
    const int row = rowCount();
    insertRow(row);
    for (int col = 0; col < columnCount(); ++col)
        setItem(row, col, new QTableWidgetItem(col < cells.size() ? cells[col] : QString()));
}

void MSFlexGrid::setRows(int rows)
{
    setRowCount(std::max(rows - 1, 0));
}

void MSFlexGrid::Clear()
{
    for (int row = 0; row < rowCount(); ++row) {
        for (int col = 0; col < columnCount(); ++col) {
            if (QTableWidgetItem *cell = item(row, col))
                cell->setText(QString());
        }
    }
    for (int col = 0; col < columnCount(); ++col)
        setHorizontalHeaderItem(col, new QTableWidgetItem(QString()));
}

void MSFlexGrid::setFormatString(const QString &format)
{
    const QStringList parts = format.split(QLatin1Char('|'));
    for (int col = 0; col < columnCount() && col < parts.size(); ++col) {
        QString text = parts[col];
        Qt::Alignment align = Qt::AlignLeft;
        if (text.startsWith(QLatin1Char('<'))) {
            text.remove(0, 1);
        } else if (text.startsWith(QLatin1Char('^'))) {
            align = Qt::AlignHCenter;
            text.remove(0, 1);
        } else if (text.startsWith(QLatin1Char('>'))) {
            align = Qt::AlignRight;
            text.remove(0, 1);
        }
        auto *header = new QTableWidgetItem(text);
        header->setTextAlignment(align | Qt::AlignVCenter);
        setHorizontalHeaderItem(col, header);
        for (int row = 0; row < rowCount(); ++row) {
            if (QTableWidgetItem *cell = item(row, col))
                cell->setTextAlignment(align | Qt::AlignVCenter);
        }
    }
}

QString MSFlexGrid::TextMatrix(int row, int col) const
{
    const QTableWidgetItem *cell = row == 0 ? horizontalHeaderItem(col) : item(row - 1, col);
    return cell ? cell->text() : QString();
}

void MSFlexGrid::setRowCol(int row, int col)
{
    if (row >= 1)
        setCurrentCell(row - 1, col);
}

void MSFlexGrid::setColWidth(int col, double twips)
{
    setColumnWidth(col, twipsToPixels(twips));
}
