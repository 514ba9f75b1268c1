// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The event table editor: every event of rsEditor in an editable grid, with
// filtering, the single event dialog, the SQL builder and the date and type
// pickers. It works on the record set it is given and never opens or
// closes it.

#include "platform/Clock.h"

#include <QDialog>
#include <QPointF>
#include <QString>
#include <array>

class Connection;
class EventTableModel;
class Prompts;
class RecordSet;
class GridDelegate;
class QAction;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QMenuBar;
class QTableView;

// Where the type list opens, in twips of the window's inner area: beside
// column 1's left edge and just below the current row's top, or, when that
// would reach past the window's outer height, at
// |outerHeight - listHeight - 900| so that it opens above the bottom edge;
// in any case moved up as far as needed to lie whole inside the inner area.
QPointF typeListPlacement(double column1Left, double rowTop, double listHeight, double outerHeight,
                          double innerHeight);

class Editor final : public QDialog
{
    Q_OBJECT
public:
    // Shows rs (open on db), asks through prompts; new events and the date
    // picker start on the clock's day.
    Editor(Connection &db, RecordSet &rs, Prompts &prompts, Clock clock, QWidget *parent = nullptr);
    // Over the shared connection and rsEditor, the program's prompts and clock.
    explicit Editor(QWidget *parent = nullptr);

    // Requeries rsEditor (its filter stays in force), rebinds the grid with
    // its four columns and clears any selection. Throws what the record set
    // throws.
    void refresh_Data();

    // currentFilter is private to the window; tests read it here.
    QString currentFilterText() const { return currentFilter; }

    void Form_Load();
    void Form_Resize();
    // 0 New Event, 1 Exit.
    void mnuFile_Click(int index);
    // 0 Apply Filter, 1 Remove Filter.
    void mnuEdit_Click(int index);
    // 0, 1 the Outlook holiday files, 3 share file export, 4 import.
    void mnuTools_Click(int index);
    void mnuSQL_Click();
    void refreshData_Click();
    void DataGrid1_Click();
    void DataGrid1_DblClick();
    void DataGrid1_ButtonClick(short ColIndex);
    void ListView1_ItemClick(QListWidgetItem *Item);
    // The Delete key: after a confirmation, deletes the selected rows' events
    // (the current row's when none is selected).
    void DeleteSelectedRows();

    EventTableModel *model() const { return m_model; }

    QMenuBar *menuBar = nullptr;
    QMenu *mnuFiles = nullptr;
    QMenu *mnuTool = nullptr;
    QMenu *mnuEdits = nullptr;
    QMenu *mnuAdvanced = nullptr;
    std::array<QAction *, 2> mnuFile{};
    std::array<QAction *, 10> mnuTools{};
    std::array<QAction *, 2> mnuEdit{};
    QAction *mnuSQL = nullptr;
    QAction *refreshData = nullptr;
    QTableView *DataGrid1 = nullptr;
    QListWidget *ListView1 = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildMenus();
    void buildGrid();
    void setColumnOptions();
    void applyFilter();
    void removeFilter();
    void showTypeList();
    void pickDate();
    int currentRow() const;

    Connection &m_db;
    RecordSet &m_rs;
    Prompts &m_prompts;
    Clock m_clock;
    QString currentFilter;
    QWidget *m_client = nullptr; // the inner area below the menu bar
    EventTableModel *m_model = nullptr;
    GridDelegate *m_delegate = nullptr;
};
