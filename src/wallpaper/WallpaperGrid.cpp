// SPDX-License-Identifier: GPL-3.0-or-later
#include "wallpaper/WallpaperGrid.h"

#include <QColor>

namespace {
const QString kTitles[3] = {QStringLiteral("Name"), QStringLiteral("Path"), QStringLiteral("ID")};
}

QString WallpaperGrid::TextMatrix(int row, int col) const
{
    if (col < 0 || col > 2 || row < 0 || row >= Rows())
        return {};
    return row == 0 ? kTitles[col] : m_rows[size_t(row - 1)].cells[col];
}

void WallpaperGrid::AddItem(const QString &name, const QString &path, const QString &id)
{
    beginInsertRows({}, int(m_rows.size()), int(m_rows.size()));
    m_rows.push_back(Entry{{name, path, id}, false});
    endInsertRows();
    if (Rows() > 1)
        m_fixedRows = 1;
}

void WallpaperGrid::RemoveItem(int row)
{
    if (row < 1 || row >= Rows())
        return;
    if (Rows() == 2)
        m_fixedRows = 0;
    beginRemoveRows({}, row - 1, row - 1);
    m_rows.erase(m_rows.begin() + (row - 1));
    endRemoveRows();
}

void WallpaperGrid::markMissing(int row)
{
    if (row < 1 || row >= Rows())
        return;
    m_rows[size_t(row - 1)].missing = true;
    emit dataChanged(index(row - 1, 0), index(row - 1, 0), {Qt::BackgroundRole});
}

bool WallpaperGrid::isMarkedMissing(int row) const
{
    return row >= 1 && row < Rows() && m_rows[size_t(row - 1)].missing;
}

qint64 WallpaperGrid::idValue(const QString &id)
{
    // As the classic Val: the leading number, 0 when there is none.
    const QString t = id.trimmed();
    qsizetype end = 0;
    if (end < t.size() && (t[end] == QLatin1Char('-') || t[end] == QLatin1Char('+')))
        ++end;
    while (end < t.size() && t[end].isDigit() && t[end].unicode() < 128)
        ++end;
    bool ok = false;
    const qint64 n = t.left(end).toLongLong(&ok);
    return ok ? n : 0;
}

int WallpaperGrid::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int WallpaperGrid::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant WallpaperGrid::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return {};
    const Entry &e = m_rows[size_t(index.row())];
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return e.cells[index.column()];
    // Yellow, colour 14 of the 16-colour palette.
    if (role == Qt::BackgroundRole && index.column() == 0 && e.missing)
        return QColor(0xFF, 0xFF, 0x00);
    return {};
}

QVariant WallpaperGrid::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 3)
        return kTitles[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}
