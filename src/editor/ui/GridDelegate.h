// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Paints and edits the editor grid's cells: a drop-down button at the right
// of every Dates and Type cell, wrapped text in Details, a multi-line editor
// for Details so that its line breaks survive an edit, and the single event
// dialog's length limits while typing.

#include <QPersistentModelIndex>
#include <QStyledItemDelegate>

class GridDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The button's rectangle inside a cell of a column that has one.
    static QRect buttonRect(const QRect &cell);
    static bool hasButton(int column) { return column == 0 || column == 1; }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;

signals:
    // A click on the drop-down button of the cell at index.
    void buttonClicked(const QModelIndex &index);

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

private:
    QPersistentModelIndex m_pressed; // the cell whose button is held down
};
