// SPDX-License-Identifier: GPL-3.0-or-later
#include "registry/TaskGridModel.h"

#include "platform/AppError.h"
#include "store/RecordSet.h"

TaskGridModel::TaskGridModel(QObject *parent) : QAbstractTableModel(parent) {}

void TaskGridModel::rebind(RecordSet *rs, const std::function<void()> &change)
{
    beginResetModel();
    m_rs = rs;
    try {
        if (change)
            change();
    } catch (...) {
        endResetModel();
        throw;
    }
    endResetModel();
}

int TaskGridModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_rs || !m_rs->isOpen())
        return 0;
    return m_rs->RecordCount();
}

int TaskGridModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_rs || !m_rs->isOpen())
        return 0;
    return m_rs->fieldCount();
}

QVariant TaskGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount() ||
        (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::ToolTipRole))
        return {};
    const QVariant v = m_rs->valueAt(index.row(), index.column());
    if (!v.isNull())
        return v.toString(); // the tip shows the whole of a text cut short
    // A Null must not look like an empty text, yet edits as one.
    return role == Qt::EditRole ? QString() : nullText();
}

QVariant TaskGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    if (!m_rs || section < 0 || section >= m_rs->fieldCount())
        return {};
    return m_rs->fieldName(section);
}

Qt::ItemFlags TaskGridModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && m_rs && m_rs->updatable())
        f |= Qt::ItemIsEditable;
    return f;
}

bool TaskGridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || index.row() >= rowCount() ||
        index.column() >= columnCount())
        return false;
    try {
        m_rs->setValueAt(index.row(), index.column(), value);
    } catch (const AppError &e) {
        emit refused(e.description());
        return false;
    }
    emit dataChanged(index.sibling(index.row(), 0), index.sibling(index.row(), columnCount() - 1));
    return true;
}
