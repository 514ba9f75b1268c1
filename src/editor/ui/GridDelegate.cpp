// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/ui/GridDelegate.h"

#include "editing/EventRecord.h"
#include "editing/ui/TextBox.h"
#include "editor/EventTableModel.h"

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

QRect GridDelegate::buttonRect(const QRect &cell)
{
    const int side = std::min(cell.height(), 18);
    return QRect(cell.right() - side + 1, cell.top() + (cell.height() - side) / 2, side, side);
}

void GridDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.column() == EventTableModel::DetailsColumn)
        option->features |= QStyleOptionViewItem::WrapText;
    else
        option->features &= ~QStyleOptionViewItem::WrapText;
}

void GridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                         const QModelIndex &index) const
{
    if (!hasButton(index.column())) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const QRect button = buttonRect(option.rect);
    QStyleOptionViewItem text = option;
    text.rect.setRight(button.left() - 1);
    QStyledItemDelegate::paint(painter, text, index);

    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    QStyleOptionButton bevel;
    bevel.rect = button;
    bevel.state = QStyle::State_Enabled | QStyle::State_Raised;
    if (m_pressed.isValid() && m_pressed == index)
        bevel.state = QStyle::State_Enabled | QStyle::State_Sunken;
    style->drawControl(QStyle::CE_PushButtonBevel, &bevel, painter, widget);
    QStyleOption arrow;
    arrow.rect = button.adjusted(3, 3, -3, -3);
    arrow.state = QStyle::State_Enabled;
    arrow.palette = option.palette;
    style->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, painter, widget);
}

bool GridDelegate::editorEvent(QEvent *event, QAbstractItemModel *model,
                               const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (hasButton(index.column()) &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease ||
         event->type() == QEvent::MouseButtonDblClick)) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        const bool onButton = mouse->button() == Qt::LeftButton &&
                              buttonRect(option.rect).contains(mouse->position().toPoint());
        if (event->type() == QEvent::MouseButtonPress && onButton) {
            m_pressed = index;
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease && m_pressed.isValid()) {
            const bool same = m_pressed == index;
            m_pressed = QPersistentModelIndex();
            if (same && onButton)
                emit buttonClicked(index);
            return true;
        }
        if (event->type() == QEvent::MouseButtonDblClick && onButton)
            return true; // a quick second click on the button is not a double-click on the row
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}

QWidget *GridDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    // The single event dialog's limits hold while typing.
    if (index.column() == EventTableModel::DetailsColumn)
        return new TextBox(true, kDetailsLength, parent);
    QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto *line = qobject_cast<QLineEdit *>(editor);
        line && index.column() == EventTableModel::DescriptionColumn)
        line->setMaxLength(kDescriptionLength);
    return editor;
}

void GridDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    if (auto *box = qobject_cast<TextBox *>(editor))
        box->setText(index.data(Qt::EditRole).toString());
    else
        QStyledItemDelegate::setEditorData(editor, index);
}

void GridDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                const QModelIndex &index) const
{
    if (auto *box = qobject_cast<TextBox *>(editor))
        model->setData(index, box->text());
    else
        QStyledItemDelegate::setModelData(editor, model, index);
}

void GridDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                        const QModelIndex &index) const
{
    QStyledItemDelegate::updateEditorGeometry(editor, option, index);
    if (index.column() == EventTableModel::DetailsColumn) {
        // Room for a few lines of notes over the rows below.
        QRect r = editor->geometry();
        r.setHeight(std::max(r.height(), option.fontMetrics.lineSpacing() * 4 + 8));
        editor->setGeometry(r);
    } else if (hasButton(index.column())) {
        QRect r = editor->geometry();
        r.setRight(buttonRect(option.rect).left() - 1);
        editor->setGeometry(r);
    }
}
