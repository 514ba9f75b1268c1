// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/ui/Editor.h"

#include "editing/EventTypes.h"
#include "editing/ui/frmSQL.h"
#include "editing/ui/frmSingle.h"
#include "editor/EditorRules.h"
#include "editor/EventTableModel.h"
#include "editor/FilterText.h"
#include "editor/GridDates.h"
#include "editor/ui/ExchangeCommands.h"
#include "editor/ui/GridDelegate.h"
#include "editor/ui/frmFilter.h"
#include "platform/AppError.h"
#include "platform/ErrorStyles.h"
#include "platform/Prompts.h"
#include "store/SharedDb.h"
#include "widgets/Calendar.h"
#include "widgets/ImageList.h"
#include "widgets/Modal.h"
#include "widgets/Twips.h"
#include "widgets/WaitCursor.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QHeaderView>
#include <QItemSelection>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenuBar>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// Column widths of the grid, in twips.
constexpr double kColumnWidths[4] = {1739.9, 1094.7, 2505.3, 1739.9};
constexpr double kTypeListWidth = 1800;

QDate dayOf(const QVariant &date)
{
    return date.typeId() == QMetaType::QDateTime ? date.toDateTime().date() : date.toDate();
}

} // namespace

QPointF typeListPlacement(double column1Left, double rowTop, double listHeight, double outerHeight,
                          double innerHeight)
{
    const double x = column1Left + 50;
    double y = rowTop + 240;
    if (outerHeight < y + listHeight)
        y = std::abs(outerHeight - listHeight - 900);
    // The list lives in the inner area, which the outer height overstates.
    y = std::max(0.0, std::min(y, innerHeight - listHeight));
    return {x, y};
}

Editor::Editor(QWidget *parent)
    : Editor(sharedDb().dbConnection, sharedDb().rsEditor, appPrompts(), appClock(), parent)
{
}

Editor::Editor(Connection &db, RecordSet &rs, Prompts &prompts, Clock clock, QWidget *parent)
    : QDialog(parent), m_db(db), m_rs(rs), m_prompts(prompts), m_clock(std::move(clock))
{
    setWindowTitle(QStringLiteral("Almarik Editor"));
    setWindowIcon(appIcon());
    m_client = new QWidget(this);
    buildMenus();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menuBar);
    layout->addWidget(m_client);
    buildGrid();
    m_client->installEventFilter(this);
    resize(twipsRect(0, 0, 8400, 6000).size());
    Form_Load();
}

void Editor::buildMenus()
{
    menuBar = new QMenuBar(this);
    mnuFiles = menuBar->addMenu(QStringLiteral("File"));
    mnuFile[0] = mnuFiles->addAction(QStringLiteral("New Event"));
    mnuFile[1] = mnuFiles->addAction(QStringLiteral("Exit"));
    mnuTool = menuBar->addMenu(QStringLiteral("Tools"));
    mnuTools[0] = mnuTool->addAction(QStringLiteral("Export Outlook File (Office 97)"));
    mnuTools[1] = mnuTool->addAction(QStringLiteral("Export Outlook File (Office 2000, XP)"));
    mnuTools[2] = mnuTool->addSeparator();
    mnuTools[3] = mnuTool->addAction(QStringLiteral("Export Almarik Share File"));
    mnuTools[4] = mnuTool->addAction(QStringLiteral("Import Almarik Share File"));
    mnuTools[5] = mnuTool->addSeparator();
    mnuTools[6] = mnuTool->addAction(QStringLiteral("Export iCalendar File"));
    mnuTools[7] = mnuTool->addAction(QStringLiteral("Import iCalendar File"));
    mnuTools[8] = mnuTool->addAction(QStringLiteral("Import Birthdays from vCard File"));
    mnuTools[9] = mnuTool->addAction(QStringLiteral("Import Events from Access Database"));
    for (int i = 0; i < 10; ++i)
        connect(mnuTools[size_t(i)], &QAction::triggered, this, [this, i] { mnuTools_Click(i); });
    mnuEdits = menuBar->addMenu(QStringLiteral("Filter"));
    mnuEdit[0] = mnuEdits->addAction(QStringLiteral("Apply Filter"));
    mnuEdit[1] = mnuEdits->addAction(QStringLiteral("Remove Filter"));
    mnuAdvanced = menuBar->addMenu(QStringLiteral("Advanced"));
    mnuSQL = mnuAdvanced->addAction(QStringLiteral("SQL"));
    refreshData = menuBar->addAction(QStringLiteral("&Refresh"));

    for (int i = 0; i < 2; ++i) {
        connect(mnuFile[i], &QAction::triggered, this, [this, i] { mnuFile_Click(i); });
        connect(mnuEdit[i], &QAction::triggered, this, [this, i] { mnuEdit_Click(i); });
    }
    connect(mnuSQL, &QAction::triggered, this, [this] { mnuSQL_Click(); });
    connect(refreshData, &QAction::triggered, this, [this] { refreshData_Click(); });
}

void Editor::buildGrid()
{
    DataGrid1 = new QTableView(m_client);
    m_model = new EventTableModel(m_rs, this);
    // The model refuses without a word; the window says why.
    connect(m_model, &EventTableModel::refused, this, [this](const QString &reason) {
        m_prompts.MsgBox(reason, MsgButtons::OkOnly, MsgIcon::Critical);
    });
    DataGrid1->setModel(m_model);
    m_delegate = new GridDelegate(DataGrid1);
    DataGrid1->setItemDelegate(m_delegate);
    // Every row has the same height and no row is measured: the grid costs
    // the same whether it shows ten events or a hundred thousand.
    DataGrid1->setWordWrap(false);
    DataGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    DataGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    DataGrid1->horizontalHeader()->setStretchLastSection(false);
    DataGrid1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    DataGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    // A double-click opens the event; typing, F2 or a second click edits.
    DataGrid1->setEditTriggers(QAbstractItemView::AnyKeyPressed |
                               QAbstractItemView::EditKeyPressed |
                               QAbstractItemView::SelectedClicked);
    DataGrid1->installEventFilter(this);
    DataGrid1->viewport()->installEventFilter(this);
    setColumnOptions();

    connect(DataGrid1, &QTableView::doubleClicked, this, [this] { DataGrid1_DblClick(); });
    // Queued, so that a picker opened from a button is not shown from inside
    // the grid's own mouse handling.
    connect(
        m_delegate, &GridDelegate::buttonClicked, this,
        [this](const QModelIndex &index) {
            if (!index.isValid())
                return;
            DataGrid1->setCurrentIndex(index);
            DataGrid1_ButtonClick(short(index.column()));
        },
        Qt::QueuedConnection);

    ListView1 = new QListWidget(m_client);
    ListView1->setViewMode(QListView::ListMode);
    ListView1->setIconSize(QSize(16, 16));
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->hide();
    ListView1->installEventFilter(this);
    connect(ListView1, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { ListView1_ItemClick(item); });
    connect(ListView1, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        if (ListView1->isVisible())
            ListView1_ItemClick(item);
    });
}

void Editor::setColumnOptions()
{
    for (int c = 0; c < 4; ++c)
        DataGrid1->setColumnWidth(c, twipsToPixels(kColumnWidths[c]));
    // The design's Type width was made for a narrower font: widened only
    // when a type key would otherwise be cut.
    const QFontMetrics metrics = DataGrid1->fontMetrics();
    int widest = 0;
    for (const QString &key : typeKeys())
        widest = std::max(widest, metrics.horizontalAdvance(key));
    const int margin =
        DataGrid1->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, DataGrid1) + 1;
    const int button = GridDelegate::buttonRect(
                           QRect(0, 0, 100, DataGrid1->verticalHeader()->defaultSectionSize()))
                           .width();
    DataGrid1->setColumnWidth(EventTableModel::TypeColumn,
                              std::max(twipsToPixels(kColumnWidths[EventTableModel::TypeColumn]),
                                       widest + 2 * margin + button + 1));
}

void Editor::Form_Load()
{
    currentFilter.clear();
    ListView1->clear();
    for (const QString &key : typeKeys()) {
        auto *item = new QListWidgetItem(typeIcon(key), key, ListView1);
        item->setData(Qt::UserRole, key);
    }
    const int rows = int(typeKeys().size());
    const int rowHeight = std::max(ListView1->sizeHintForRow(0), 16);
    ListView1->resize(twipsToPixels(kTypeListWidth),
                      rows * rowHeight + 2 * ListView1->frameWidth());
}

void Editor::Form_Resize()
{
    if (isMinimized())
        return;
    const QSize inner = m_client->size();
    if (inner.height() > 0)
        DataGrid1->resize(DataGrid1->width(), inner.height());
    DataGrid1->resize(inner.width() - twipsToPixels(10), DataGrid1->height());
}

void Editor::refresh_Data()
{
    m_model->rebind([this] { m_rs.Requery(); });
    DataGrid1->clearSelection();
    setColumnOptions();
}

void Editor::mnuFile_Click(int index)
{
    switch (index) {
    case 0:
        showingDescription(m_prompts, [this] {
            {
                frmSingle single(m_db, m_prompts, m_clock, this);
                single.oriDates = m_clock().date();
                single.oriDescription = QString();
                showModal(single);
            }
            refresh_Data();
        });
        break;
    case 1:
        close();
        break;
    default:
        break;
    }
}

void Editor::mnuEdit_Click(int index)
{
    if (index == 0)
        showingDescription(m_prompts, [this] { applyFilter(); });
    else if (index == 1)
        showingDescription(m_prompts, [this] { removeFilter(); });
}

void Editor::applyFilter()
{
    frmFilter dialog(this);
    const QStringList &keys = typeKeys();
    for (int i = 0; i < int(keys.size()); ++i)
        dialog.Combo1->addItem(keys[i], i);
    showModal(dialog);
    const QString filtertype = dialog.filtertype;
    const QString filterdescr = dialog.filterdescr;
    const bool filterOnce = dialog.filterOnce;

    const QString asked = BuildFilterText(filtertype, filterdescr, filterOnce);
    if (asked.isEmpty()) {
        // Nothing new was asked for: the filter in force stays.
        m_model->rebind([this] { m_rs.setFilter(currentFilter); });
        refresh_Data();
        return;
    }
    const QString previous = currentFilter;
    currentFilter = asked;
    try {
        m_model->rebind([this] { m_rs.setFilter(currentFilter); });
    } catch (...) {
        // The record set keeps its previous filter; so does the window.
        currentFilter = previous;
        throw;
    }
}

void Editor::removeFilter()
{
    currentFilter.clear();
    m_model->rebind([this] { m_rs.setFilter(QString()); });
    refresh_Data();
}

void Editor::mnuTools_Click(int index)
{
    ExchangeCommands commands(
        this, m_db, m_rs, m_prompts,
        [this](const std::function<void()> &change) { m_model->rebind(change); },
        [this] { refresh_Data(); });
    commands.clock = m_clock;
    commands.mnuTools_Click(index);
}

void Editor::mnuSQL_Click()
{
    showingDescription(m_prompts, [this] {
        {
            frmSQL builder(m_db, m_prompts, this);
            showModal(builder);
        }
        refresh_Data();
    });
}

void Editor::refreshData_Click()
{
    showingDescription(m_prompts, [this] { refresh_Data(); });
}

int Editor::currentRow() const
{
    const QModelIndex current = DataGrid1->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void Editor::DataGrid1_Click()
{
    if (ListView1->isVisible())
        ListView1->hide();
}

void Editor::DataGrid1_DblClick()
{
    const QModelIndex current = DataGrid1->currentIndex();
    if (!current.isValid())
        return;
    const int row = current.row();
    const int remembered = current.column();
    DataGrid1->setCurrentIndex(m_model->index(row, EventTableModel::DatesColumn));
    const QVariant day = parseCellDate(m_model->cellText(row, EventTableModel::DatesColumn));
    if (!day.isValid())
        return; // the add-new row, or no date: nothing to open
    frmSingle single(m_db, m_prompts, m_clock, this);
    single.oriDates = day;
    DataGrid1->setCurrentIndex(m_model->index(row, EventTableModel::DescriptionColumn));
    single.oriDescription = m_model->cellText(row, EventTableModel::DescriptionColumn);
    if (remembered >= 0)
        DataGrid1->setCurrentIndex(m_model->index(row, remembered));
    ignoringErrors([&] { showModal(single); });
    ignoringErrors([this] { refresh_Data(); });
}

void Editor::DataGrid1_ButtonClick(short ColIndex)
{
    if (ColIndex == 0)
        pickDate();
    else if (ColIndex == 1)
        showingDescription(m_prompts, [this] { showTypeList(); });
}

void Editor::pickDate()
{
    const int row = currentRow();
    if (row < 0)
        return;
    // The add-new row starts from today, as does a row without a date.
    const QVariant cellDate =
        m_model->isAddNewRow(row)
            ? QVariant()
            : parseCellDate(m_model->cellText(row, EventTableModel::DatesColumn));
    Calendar picker(this);
    picker.Calendar1->setSelectedDate(cellDate.isValid() ? dayOf(cellDate) : m_clock().date());
    picker.DateVal = picker.Calendar1->selectedDate();
    showingDescription(m_prompts, [&] { showModal(picker); });
    if (pickedDateUnchanged(cellDate, picker.DateVal))
        return;
    m_model->setData(m_model->index(row, EventTableModel::DatesColumn), picker.DateVal);
}

void Editor::showTypeList()
{
    const int row = currentRow();
    if (row < 0)
        return;
    QWidget *viewport = DataGrid1->viewport();
    const int column1Left =
        viewport->mapTo(m_client, QPoint(DataGrid1->columnViewportPosition(1), 0)).x();
    const int rowTop =
        viewport->mapTo(m_client, QPoint(0, DataGrid1->rowViewportPosition(row))).y();
    const QPointF at = typeListPlacement(
        pixelsToTwips(column1Left), pixelsToTwips(rowTop), pixelsToTwips(ListView1->height()),
        pixelsToTwips(frameGeometry().height()), pixelsToTwips(m_client->height()));
    ListView1->move(twipsToPixels(at.x()), twipsToPixels(at.y()));
    ListView1->show();
    ListView1->raise();
    ListView1->setFocus();
}

void Editor::ListView1_ItemClick(QListWidgetItem *Item)
{
    if (!Item)
        return;
    const QString key = Item->data(Qt::UserRole).toString();
    const int row = currentRow();
    if (row >= 0)
        m_model->setData(m_model->index(row, EventTableModel::TypeColumn),
                         key == QLatin1String("unknown") ? QString() : key);
    ListView1->hide();
    DataGrid1->setFocus();
}

void Editor::DeleteSelectedRows()
{
    // Rows from the selection's ranges: a few ranges stand for any number
    // of rows, where the selected cells would be four per row.
    std::vector<bool> chosen(size_t(m_model->rowCount()), false);
    QList<int> rows;
    const auto choose = [&](int row) {
        if (row >= 0 && row < int(chosen.size()) && !chosen[size_t(row)] &&
            !m_model->isAddNewRow(row)) {
            chosen[size_t(row)] = true;
            rows << row;
        }
    };
    for (const QItemSelectionRange &range : DataGrid1->selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row)
            choose(row);
    }
    if (rows.isEmpty())
        choose(currentRow());
    if (rows.isEmpty())
        return;
    const QString question = deleteEventsQuestion(
        rows.size(), m_model->cellText(rows.first(), EventTableModel::DescriptionColumn));
    if (m_prompts.MsgBox(question, MsgButtons::OkCancel, MsgIcon::Question) != MsgResult::Ok)
        return;
    const int first = *std::min_element(rows.begin(), rows.end());
    // The deletion resets the model and with it the current cell.
    const int column = std::max(0, DataGrid1->currentIndex().column());
    try {
        const WaitCursor wait;
        m_model->deleteRows(rows);
    } catch (const AppError &e) {
        showDescription(m_prompts, e);
        return;
    }
    // The row after the deleted ones (or the add-new row) becomes current.
    DataGrid1->setCurrentIndex(m_model->index(std::min(first, m_model->rowCount() - 1), column));
}

bool Editor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_client && event->type() == QEvent::Resize) {
        Form_Resize();
    } else if (watched == DataGrid1->viewport() && event->type() == QEvent::MouseButtonPress) {
        DataGrid1_Click();
    } else if (watched == DataGrid1 && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
            DeleteSelectedRows();
            return true;
        }
        const int column = DataGrid1->currentIndex().column();
        const bool dropDown = key->key() == Qt::Key_F4 ||
                              (key->key() == Qt::Key_Down && (key->modifiers() & Qt::AltModifier));
        if (dropDown && GridDelegate::hasButton(column)) {
            DataGrid1_ButtonClick(short(column));
            return true;
        }
    } else if (watched == ListView1 && event->type() == QEvent::KeyPress &&
               static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        ListView1->hide();
        DataGrid1->setFocus();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void Editor::keyPressEvent(QKeyEvent *event)
{
    // Escape closes the type list, never the editor.
    if (event->key() == Qt::Key_Escape) {
        if (ListView1->isVisible()) {
            ListView1->hide();
            DataGrid1->setFocus();
        }
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
