// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/EventTableModel.h"

#include "editing/EventRecord.h"
#include "editor/GridDates.h"
#include "platform/AppError.h"
#include "store/RecordSet.h"

#include <QDateTime>

#include <algorithm>

namespace {

struct ColumnDef
{
    const char *caption;
    const char *field;
};

constexpr ColumnDef kColumns[4] = {
    {"Dates", "Dates"}, {"Type", "icon"}, {"Description", "Description"}, {"Details", "Details"}};

bool sameValue(const QVariant &stored, const QVariant &wanted)
{
    if (stored.isNull() || !stored.isValid())
        return wanted.isNull() || !wanted.isValid() || wanted.toString().isEmpty();
    if (stored.typeId() != wanted.typeId())
        return false;
    return stored == wanted;
}

} // namespace

EventTableModel::EventTableModel(RecordSet &records, QObject *parent)
    : QAbstractTableModel(parent), m_rs(records)
{
    countRows();
}

QString EventTableModel::caption(int column)
{
    return QLatin1String(kColumns[column].caption);
}

QString EventTableModel::field(int column)
{
    return QLatin1String(kColumns[column].field);
}

void EventTableModel::countRows()
{
    m_open = m_rs.isOpen();
    m_records = m_open ? m_rs.RecordCount() : 0;
    for (int c = 0; c < 4; ++c)
        m_fieldIndex[c] = m_open ? m_rs.fieldIndex(field(c)) : -1;
}

int EventTableModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_open)
        return 0;
    return m_records + 1;
}

int EventTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 4;
}

QString EventTableModel::cellText(int row, int column) const
{
    // The add-new row shows what was given for the record it will become.
    if (isAddNewRow(row) && column >= 0 && column < 4) {
        const QVariant &pending = m_pending[column];
        return column == DatesColumn ? cellDateText(pending) : pending.toString();
    }
    // The record set may have been changed behind the model's back; never
    // read past its rows.
    if (row < 0 || row >= m_records || row >= m_rs.RecordCount() || column < 0 || column > 3 ||
        fieldIndexOf(column) < 0)
        return {};
    const QVariant value = m_rs.valueAt(row, fieldIndexOf(column));
    if (column == DatesColumn)
        return cellDateText(value);
    return value.isNull() ? QString() : value.toString();
}

QVariant EventTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return cellText(index.row(), index.column());
    return {};
}

QVariant EventTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < 4 ? caption(section) : QVariant();
    return isAddNewRow(section) ? QStringLiteral("*") : QString();
}

Qt::ItemFlags EventTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    // The type is picked from the type list, never typed.
    if (index.column() != TypeColumn)
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant EventTableModel::storedValue(int column, const QVariant &value, QString *refusal) const
{
    const QString left = QStringLiteral(" The event was left as it was.");
    switch (column) {
    case DatesColumn: {
        // Only the day is stored, whatever time was typed with it.
        QVariant day = value;
        if (value.typeId() != QMetaType::QDate && value.typeId() != QMetaType::QDateTime)
            day = parseCellDate(value.toString());
        const QDate date =
            day.typeId() == QMetaType::QDateTime ? day.toDateTime().date() : day.toDate();
        if (!date.isValid())
            *refusal =
                QLatin1Char('\'') + value.toString() + QStringLiteral("' is not a date.") + left;
        return date;
    }
    case DescriptionColumn: {
        const QString text = value.toString();
        if (text.isEmpty())
            *refusal = QStringLiteral("Description not complete.") + left;
        else if (text.size() > kDescriptionLength)
            *refusal = QStringLiteral("The description may hold at most ") +
                       QString::number(kDescriptionLength) + QStringLiteral(" characters.") + left;
        return text;
    }
    case DetailsColumn: {
        const QString text = withCrLf(value.toString());
        if (text.size() > kDetailsLength)
            *refusal = QStringLiteral("The details may hold at most ") +
                       QString::number(kDetailsLength) + QStringLiteral(" characters.") + left;
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    default: {
        const QString text = value.toString();
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    }
}

bool EventTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || !m_open)
        return false;
    const int row = index.row();
    const int column = index.column();
    const int f = fieldIndexOf(column);
    if (f < 0 || row > m_records || (row < m_records && row >= m_rs.RecordCount()))
        return false;
    const bool addNew = isAddNewRow(row);
    // Nothing typed on the add-new row changes nothing there.
    if (addNew && value.typeId() == QMetaType::QString && value.toString().trimmed().isEmpty())
        return false;
    QString refusal;
    const QVariant stored = storedValue(column, value, &refusal);
    if (!refusal.isEmpty()) {
        emit refused(refusal);
        return false;
    }
    try {
        if (addNew)
            return setAddNewValue(column, stored);
        if (sameValue(m_rs.valueAt(row, f), stored))
            return true;
        m_rs.setValueAt(row, f, stored);
    } catch (const AppError &e) {
        emit refused(e.description());
        return false;
    }
    emit dataChanged(this->index(row, 0), this->index(row, columnCount() - 1));
    return true;
}

bool EventTableModel::setAddNewValue(int column, const QVariant &stored)
{
    m_pending[column] = stored;
    const int row = m_records;
    // A record exists only once it has a day and a description, as the
    // single event dialog requires.
    if (!m_pending[DatesColumn].isNull() && !m_pending[DescriptionColumn].toString().isEmpty()) {
        QList<QPair<QString, QVariant>> fields;
        for (int c = 0; c < 4; ++c) {
            if (!m_pending[c].isNull())
                fields.append({m_rs.fieldName(fieldIndexOf(c)), m_pending[c]});
        }
        m_rs.insertRow(fields);
        for (QVariant &pending : m_pending)
            pending.clear();
        beginInsertRows({}, m_records + 1, m_records + 1);
        ++m_records;
        endInsertRows();
        emit headerDataChanged(Qt::Vertical, row, row + 1);
    }
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    return true;
}

void EventTableModel::rebind(const std::function<void()> &change)
{
    beginResetModel();
    try {
        change();
    } catch (...) {
        countRows();
        endResetModel();
        throw;
    }
    countRows();
    endResetModel();
}

void EventTableModel::deleteRows(const QList<int> &rows)
{
    // One reset, however many rows go: removing them one by one would move
    // every later row of the view once per row.
    rebind([&] { m_rs.deleteRows(rows); });
}
