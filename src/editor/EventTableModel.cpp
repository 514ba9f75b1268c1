#include "editor/EventTableModel.h"

#include "editor/GridDates.h"
#include "platform/AppError.h"
#include "platform/Prompts.h"
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

QVariant EventTableModel::storedValue(int column, const QVariant &value, bool *refused) const
{
    *refused = false;
    if (column != DatesColumn)
        return value.toString();
    if (value.typeId() == QMetaType::QDate || value.typeId() == QMetaType::QDateTime) {
        if (value.toDateTime().isValid() || value.toDate().isValid())
            return value;
    }
    const QVariant day = parseCellDate(value.toString());
    if (!day.isValid()) {
        *refused = true;
        appPrompts().MsgBox(QLatin1Char('\'') + value.toString() +
                                QStringLiteral("' is not a date. The event was left as it was."),
                            MsgButtons::OkOnly, MsgIcon::Critical);
    }
    return day;
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
    // Nothing typed on the add-new row creates no record.
    if (addNew && value.typeId() == QMetaType::QString && value.toString().trimmed().isEmpty())
        return false;
    bool refused = false;
    const QVariant stored = storedValue(column, value, &refused);
    if (refused)
        return false;
    try {
        if (addNew) {
            m_rs.insertRow({{m_rs.fieldName(f), stored}});
            beginInsertRows({}, m_records + 1, m_records + 1);
            ++m_records;
            endInsertRows();
            emit headerDataChanged(Qt::Vertical, row, row + 1);
        } else {
            if (sameValue(m_rs.valueAt(row, f), stored))
                return true;
            m_rs.setValueAt(row, f, stored);
        }
    } catch (const AppError &e) {
        appPrompts().MsgBox(e.description(), MsgButtons::OkOnly, MsgIcon::Critical);
        return false;
    }
    emit dataChanged(this->index(row, 0), this->index(row, columnCount() - 1));
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

void EventTableModel::deleteRows(QList<int> rows)
{
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int row : std::as_const(rows)) {
        if (row < 0 || row >= m_records || row >= m_rs.RecordCount())
            continue;
        m_rs.deleteAt(row);
        beginRemoveRows({}, row, row);
        --m_records;
        endRemoveRows();
    }
}
