// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The import selection dialog: the events read from a share file, ticked
// where they are new, for the user to choose which to insert and whether
// events of the same description are to be replaced. It touches neither
// the file nor the database.

#include <QDialog>
#include <array>

class ImportListModel;
class QCheckBox;
class QLabel;
class QListView;
class QPushButton;

class frmImport final : public QDialog
{
    Q_OBJECT
public:
    explicit frmImport(QWidget *parent = nullptr);

    void Form_Load();
    void Form_Resize();
    // 0 Select All, 1 Select None, 2 Import, 3 Cancel.
    void cmd_Click(int index);

    // True until Import is pressed: true after the window returns means
    // nothing is to be inserted.
    bool gblCancel = true;

    QLabel *Label1 = nullptr;
    QListView *List1 = nullptr;
    ImportListModel *items = nullptr; // List1's items
    QCheckBox *Check1 = nullptr;
    std::array<QPushButton *, 4> cmd{};

protected:
    void resizeEvent(QResizeEvent *event) override;
};
