// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The registry tool: browse one key at a time under either root, delete a
// value on the spot, and record tasks in table RegEdit that the start-up
// repeats every time.

#include "store/RecordSet.h"
#include "widgets/Modal.h"

#include <QDialog>
#include <array>

class Connection;
class MSFlexGrid;
class Prompts;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class TaskGridModel;

class frmRegTool final : public QDialog, public LoadsOnShow
{
    Q_OBJECT
public:
    // Over the program's connection and prompts.
    explicit frmRegTool(QWidget *parent = nullptr);
    frmRegTool(Connection &db, Prompts &prompts, QWidget *parent = nullptr);
    ~frmRegTool() override;

    void Form_Load() override;
    void Form_Unload();
    void cmd_Click(int index);
    void Grid_Click();
    void Grid_DblClick();

    // HKEY_CURRENT_USER when opt(0) is chosen, otherwise HKEY_LOCAL_MACHINE.
    qint32 SelectedRoot() const;
    // Lists the subkeys, then the values, of txt(0) under the chosen root.
    void RefreshKeyList();
    // Cuts txt(0) back to its parent key; false (txt(0) unchanged) when
    // path has no backslash before its last character.
    bool UpOneLevel(const QString &path);
    // Reads the tasks again and rebuilds DataGrid1 from them.
    void RefreshTaskGrid();
    // The Delete key in DataGrid1: deletes the current task row from table
    // RegEdit once the user confirms.
    void DataGrid1_KeyDelete();

    std::array<QRadioButton *, 2> opt{};
    std::array<QLineEdit *, 2> txt{};
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    MSFlexGrid *Grid = nullptr;
    QTableView *DataGrid1 = nullptr;
    std::array<QPushButton *, 4> cmd{};
    RecordSet taskRecords;

protected:
    void done(int result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void addToList();

    Connection &m_db;
    Prompts &m_prompts;
    TaskGridModel *m_taskModel = nullptr;
};
