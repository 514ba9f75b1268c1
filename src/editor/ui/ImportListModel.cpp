// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/ui/ImportListModel.h"

#include "widgets/ImageList.h"

void ImportListModel::clear()
{
    beginResetModel();
    m_texts.clear();
    m_keys.clear();
    m_checked.clear();
    endResetModel();
}

void ImportListModel::reserve(int items)
{
    m_texts.reserve(items);
    m_keys.reserve(items);
    m_checked.reserve(size_t(items));
}

void ImportListModel::addItem(const QString &text, const QString &typeKey, bool checked)
{
    const int row = int(m_texts.size());
    beginInsertRows({}, row, row);
    m_texts << text;
    m_keys << typeKey;
    m_checked.push_back(checked ? 1 : 0);
    endInsertRows();
}

void ImportListModel::setAllChecked(bool checked)
{
    std::fill(m_checked.begin(), m_checked.end(), checked ? 1 : 0);
    if (!m_texts.isEmpty())
        emit dataChanged(index(0), index(int(m_texts.size()) - 1), {Qt::CheckStateRole});
}

std::vector<bool> ImportListModel::checkedItems() const
{
    return std::vector<bool>(m_checked.begin(), m_checked.end());
}

int ImportListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_texts.size());
}

QVariant ImportListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_texts.size()))
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: // the whole text, notes included, where the list cuts it
        return m_texts[index.row()];
    case Qt::DecorationRole:
        return typeIcon(m_keys[index.row()]);
    case Qt::CheckStateRole:
        return m_checked[size_t(index.row())] ? Qt::Checked : Qt::Unchecked;
    default:
        return {};
    }
}

bool ImportListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || !index.isValid() || index.row() >= int(m_texts.size()))
        return false;
    m_checked[size_t(index.row())] = value.toInt() == Qt::Checked ? 1 : 0;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags ImportListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
}
