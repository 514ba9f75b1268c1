// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MonthGrid.h"

#include "editing/EventTypes.h"
#include "widgets/ImageList.h"
#include "widgets/Twips.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>

namespace {

const std::array<QString, 4> kTitles = {QStringLiteral("Event"), QStringLiteral("Date"),
                                        QStringLiteral("Years in"), QStringLiteral("Days")};

// Type pictures sit at the right of the "Event" cell, vertically centred;
// the one-off marker at the top left of the "Days" cell.
class MonthGridDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.column() == 0) {
            option->decorationPosition = QStyleOptionViewItem::Right;
            option->decorationAlignment = Qt::AlignRight | Qt::AlignVCenter;
            option->decorationSize = QSize(16, 16);
        } else if (index.column() == 3) {
            option->decorationPosition = QStyleOptionViewItem::Left;
            option->decorationAlignment = Qt::AlignLeft | Qt::AlignTop;
            option->decorationSize = QSize(6, 6);
        }
    }
};

} // namespace

QColor colourFromNumber(quint32 number)
{
    return QColor(int(number & 0xFF), int((number >> 8) & 0xFF), int((number >> 16) & 0xFF));
}

int MonthGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size()) + 1;
}

int MonthGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 4;
}

QString MonthGridModel::text(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column > 3)
        return QString();
    if (row == 0)
        return kTitles[size_t(column)];
    const MonthRow &r = eventRow(row);
    switch (column) {
    case 0:
        return r.description;
    case 1:
        return r.dateText();
    case 2:
        return r.yearsText();
    default:
        return r.dayText();
    }
}

std::optional<QColor> MonthGridModel::cellColour(int row, int column) const
{
    if (row < 1 || row >= rowCount() || column != 0)
        return std::nullopt;
    const int i = eventRow(row).colourIndex;
    return i >= 0 ? m_colours[size_t(i)] : std::nullopt;
}

QVariant MonthGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    // The titles again, for the header that stands in for the fixed row.
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 4)
        return kTitles[size_t(section)];
    return QAbstractTableModel::headerData(section, orientation, role);
}

QVariant MonthGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row();
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return text(row, column);
    case Qt::BackgroundRole:
        if (row == 0 && fixedRows() == 1)
            return QGuiApplication::palette().color(QPalette::Button); // a fixed row
        if (const auto colour = cellColour(row, column))
            return *colour;
        return m_background;
    case Qt::DecorationRole:
        if (row == 0)
            return {};
        if (column == 0 && IconInList(eventRow(row).icon))
            return typeIcon(eventRow(row).icon);
        if (column == 3 && eventRow(row).showOnce)
            return redPic();
        return {};
    case Qt::TextAlignmentRole:
        if (row > 0 && column == 3)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::ForegroundRole:
        return QColor(Qt::black);
    default:
        return {};
    }
}

void MonthGridModel::clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void MonthGridModel::setRows(std::vector<MonthRow> rows,
                             const std::array<std::optional<QColor>, 6> &colours)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_colours = colours;
    endResetModel();
}

void MonthGridModel::setBackground(const QColor &colour)
{
    m_background = colour;
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, 3), {Qt::BackgroundRole});
}

MonthGrid::MonthGrid(QWidget *parent) : QTableView(parent)
{
    setModel(&m_model);
    // The column widths are the design's twips, made for an 8 point font;
    // text that does not fit is cut at the cell's edge, not elided.
    QFont small = font();
    small.setPointSizeF(8);
    setFont(small);
    setTextElideMode(Qt::ElideNone);
    setItemDelegate(new MonthGridDelegate(this));
    // A fixed row stays put while the events scroll: once row 0 is fixed,
    // the header shows its titles in its place and the row itself is hidden.
    horizontalHeader()->hide();
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setFixedHeight(fontMetrics().height() + 4);
    horizontalHeader()->viewport()->installEventFilter(this);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    setBackColor(Qt::white);
}

int MonthGrid::Row() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : 0;
}

void MonthGrid::setRow(int row)
{
    if (row < 0 || row >= Rows())
        return;
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    setCurrentIndex(m_model.index(row, column));
}

bool MonthGrid::headerFixed() const
{
    return FixedRows() == 1;
}

void MonthGrid::showFixedRow()
{
    const bool fixed = headerFixed();
    horizontalHeader()->setVisible(fixed);
    setRowHidden(0, fixed);
}

int MonthGrid::RowPos(int row) const
{
    if (!headerFixed())
        return rowViewportPosition(row);
    if (row == 0)
        return viewport()->mapFrom(this, horizontalHeader()->geometry().topLeft()).y();
    // Rows scrolled away lie under the fixed row, not above it: a press on
    // the fixed row must never find one of them.
    return std::max(0, rowViewportPosition(row));
}

int MonthGrid::RowHeight(int row) const
{
    if (row == 0 && headerFixed())
        return horizontalHeader()->height();
    return rowHeight(row);
}

QString MonthGrid::emptyHint() const
{
    if (Rows() > 1)
        return QString();
    return QStringLiteral("No events in the next 30 days. Right-click to add one.");
}

int MonthGrid::fittingWidth(const QString &text, bool withMarker) const
{
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    int width = fontMetrics().horizontalAdvance(text) + 2 * margin + 1; // 1: the grid line
    if (withMarker)
        width += redPic().width() + 2 * margin;
    return width;
}

void MonthGrid::setBackColor(const QColor &colour)
{
    QPalette p = palette();
    p.setColor(QPalette::Base, colour);
    setPalette(p);
    m_model.setBackground(colour);
}

void MonthGrid::clearRows()
{
    m_model.clear();
    showFixedRow();
}

void MonthGrid::showRows(std::vector<MonthRow> rows,
                         const std::array<std::optional<QColor>, 6> &colours)
{
    const int tall = twipsToPixels(400);
    const int normal = fontMetrics().height() + 4;
    qsizetype tallCount = 0;
    for (const MonthRow &r : rows)
        tallCount += r.hasIcon ? 1 : 0;
    // Give the common height as the default and set only the others one by
    // one: a full list of typed events then costs no per-row work at all.
    const bool mostlyTall = tallCount * 2 > qsizetype(rows.size());
    setUpdatesEnabled(false);
    verticalHeader()->setDefaultSectionSize(mostlyTall ? tall : normal);
    m_model.setRows(std::move(rows), colours);
    const int n = Rows();
    if (mostlyTall)
        setRowHeight(0, normal);
    for (int r = 1; r < n; ++r) {
        const bool isTall = m_model.eventRow(r).hasIcon;
        if (isTall != mostlyTall)
            setRowHeight(r, isTall ? tall : normal);
    }
    showFixedRow();
    setUpdatesEnabled(true);
}

void MonthGrid::mousePressEvent(QMouseEvent *event)
{
    emit mouseDown(event->button(), event->modifiers(), event->position().toPoint());
    // The right button's row choice is the window's (its own rule); the
    // view must not move the current cell under the pointer as well.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

bool MonthGrid::eventFilter(QObject *watched, QEvent *event)
{
    // A press on the fixed row is a press on the grid, in the viewport's
    // coordinates (above its top).
    if (watched == horizontalHeader()->viewport() &&
        (event->type() == QEvent::MouseButtonPress ||
         event->type() == QEvent::MouseButtonDblClick)) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        const QPoint at = viewport()->mapFrom(
            this, horizontalHeader()->viewport()->mapTo(this, mouse->position().toPoint()));
        if (event->type() == QEvent::MouseButtonPress)
            emit mouseDown(mouse->button(), mouse->modifiers(), at);
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

void MonthGrid::paintEvent(QPaintEvent *event)
{
    QTableView::paintEvent(event);
    const QString hint = emptyHint();
    if (hint.isEmpty())
        return;
    // Not a row: drawn in the empty area below the titles.
    QRect area = viewport()->rect();
    area.setTop(rowViewportPosition(0) + rowHeight(0));
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
    painter.drawText(area.adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, hint);
}
