// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The import selection list: one checkable item per share-file record with
// its type picture, held as plain arrays so that 100,000 items open at once.

#include <QAbstractListModel>
#include <QStringList>
#include <vector>

class ImportListModel final : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void clear();
    // Adds an item with text, the picture of typeKey ("unknown" for none)
    // and its check box ticked or not.
    void addItem(const QString &text, const QString &typeKey, bool checked);
    // Makes many addItem calls cost one reset.
    void reserve(int items);
    void setAllChecked(bool checked);

    bool isChecked(int row) const { return m_checked.at(size_t(row)) != 0; }
    QString text(int row) const { return m_texts.at(row); }
    // The check state of every item, in order.
    std::vector<bool> checkedItems() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    QStringList m_texts;
    QStringList m_keys;
    std::vector<char> m_checked;
};
