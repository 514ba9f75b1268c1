// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The editor's grid model: the rows of a record set over Calendar shown as
// four columns (Dates, icon, Description, Details) plus an add-new row at
// the end. Edits go straight to the row's table row through the record set;
// nothing is copied into widgets, so 100,000 events cost no more than their
// record set.

#include <QAbstractTableModel>
#include <QString>
#include <functional>

class RecordSet;

class EventTableModel final : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        DatesColumn = 0,
        TypeColumn = 1,
        DescriptionColumn = 2,
        DetailsColumn = 3
    };

    explicit EventTableModel(RecordSet &records, QObject *parent = nullptr);

    // Caption and field of a grid column.
    static QString caption(int column);
    static QString field(int column);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Stores the value at once (a typed text, or a QDate for Dates; of a
    // date only the day). The single event dialog's rules hold: a text that
    // is no date, an empty description and texts over their length are
    // refused, and the row is kept as it was. Details are stored with CR LF
    // line breaks. On the add-new row values are held until a day and a
    // description are given, which creates the record. A refusal or a
    // failed write returns false after refused() said why; the window that
    // owns the view shows it.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

signals:
    // A write was refused: the rule broken or the database's error text.
    void refused(const QString &reason);

public:
    // The row where typing creates a record (the last one).
    int addNewRow() const { return m_records; }
    bool isAddNewRow(int row) const { return row == m_records; }
    // The text a cell shows.
    QString cellText(int row, int column) const;

    // Runs change (a Requery, a new Filter) as a reset of the whole model.
    // Whatever changes the record set's rows must run through here;
    // what change throws is passed on after the model is consistent again.
    void rebind(const std::function<void()> &change);
    // Deletes the records of the given rows at once, as one reset of the
    // model. Throws what the record set throws; nothing is deleted then.
    void deleteRows(const QList<int> &rows);

private:
    void countRows();
    int fieldIndexOf(int column) const { return m_fieldIndex[column]; }
    // The value to store for what was given; refusal says why it cannot be.
    QVariant storedValue(int column, const QVariant &value, QString *refusal) const;
    bool setAddNewValue(int column, const QVariant &stored);

    RecordSet &m_rs;
    int m_records = 0; // record rows shown, not counting the add-new row
    bool m_open = false;
    int m_fieldIndex[4] = {-1, -1, -1, -1};
    QVariant m_pending[4]; // the add-new row's values, by column
};
