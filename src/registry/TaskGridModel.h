#pragma once
// The stored registry tasks as a table model for the tool's data grid: the
// columns and rows of a record set, read afresh whenever it is bound again.
// A cell edited in the grid is stored in its row at once. Null cells show
// as nullText(), every cell's whole text is its tool tip.

#include <QAbstractTableModel>

class Prompts;
class RecordSet;

class TaskGridModel final : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit TaskGridModel(Prompts &prompts, QObject *parent = nullptr);

    // What a Null cell shows, unlike an empty text.
    static QString nullText() { return QStringLiteral("(Null)"); }

    // Binds the grid to rs (nullptr: to nothing), rebuilding columns and rows.
    void setRecordSet(RecordSet *rs);
    RecordSet *recordSet() const { return m_rs; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // A value the column refuses is shown as the database's error and the
    // cell keeps its stored value.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

private:
    Prompts &m_prompts;
    RecordSet *m_rs = nullptr;
};
