// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The stored registry tasks as a table model for the tool's data grid: the
// columns and rows of a record set, read afresh whenever it is bound again.
// A cell edited in the grid is stored in its row at once. Null cells show
// as nullText(), every cell's whole text is its tool tip.

#include <QAbstractTableModel>
#include <functional>

class RecordSet;

class TaskGridModel final : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit TaskGridModel(QObject *parent = nullptr);

    // What a Null cell shows, unlike an empty text.
    static QString nullText() { return QStringLiteral("(Null)"); }

    // Binds the grid to rs (nullptr: to nothing), rebuilding columns and rows;
    // change (a Requery) runs inside the reset, as EventTableModel::rebind
    // does, and what it throws is passed on once the model is consistent.
    void rebind(RecordSet *rs, const std::function<void()> &change = {});
    RecordSet *recordSet() const { return m_rs; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // A value the column refuses returns false after refused() gave the
    // database's error; the cell keeps its stored value.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

signals:
    void refused(const QString &reason);

private:
    RecordSet *m_rs = nullptr;
};
