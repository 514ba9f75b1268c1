// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The wallpaper selector: browse folders for pictures, preview them, add
// them to the list in table Wallpapers and remove entries from it. Rows
// added here are stored by "Save"; removals take effect at once.

#include "widgets/Modal.h"

#include <QDialog>
#include <QImage>
#include <QSize>
#include <array>

class Connection;
class Prompts;
class QComboBox;
class QFileSystemModel;
class QLabel;
class QListWidget;
class QPushButton;
class QTableView;
class QTreeView;
class WallpaperGrid;

class frmWallPaper final : public QDialog, public LoadsOnShow
{
    Q_OBJECT
public:
    // Over the program's connection and prompts.
    explicit frmWallPaper(QWidget *parent = nullptr);
    frmWallPaper(QWidget *parent, Connection &db, Prompts &prompts);
    ~frmWallPaper() override;

    // Titles and widths of the grid, then the list from the table.
    void Form_Load() override;
    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();
    void File1_DblClick();
    void Grid1_Click();
    void Grid1_DblClick();
    void cmd_Click(int index);

    // The folder the file list shows.
    QString folder() const { return m_folder; }
    // Moves the folder list, and with it the file list, to folder.
    void setFolder(const QString &folder);
    // The picture Picture1 shows; null while none is.
    QImage previewImage() const;
    // Waits for the previews asked for and shows the last (tests).
    void finishPreview();

    QComboBox *Drive1 = nullptr;
    QTreeView *Dir1 = nullptr;
    QListWidget *File1 = nullptr;
    QLabel *Picture1 = nullptr;
    QLabel *Image1 = nullptr;
    QTableView *Grid1 = nullptr;
    WallpaperGrid *grid = nullptr;
    std::array<QPushButton *, 3> cmd{};
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;

private:
    // Appends the file list's entry as a pending row.
    void addFile(const QString &name);
    // The selected grid row counting the title row, 0 when none.
    int selectedRow() const;
    // Loads file into Picture1 away from the window's thread: one load at a
    // time, the last one asked for next. Closing the window waits for none;
    // a load that ends after it is dropped.
    void showPreview(const QString &file);
    void startPreview();
    void previewLoaded(int ticket, const QImage &image);

    Connection &m_db;
    Prompts &m_prompts;
    QFileSystemModel *m_dirs = nullptr;
    QString m_folder;
    QImage m_preview;
    int m_previewTicket = 0;
    bool m_previewRunning = false;
    QString m_nextPreview; // "" when none waits
    QSize m_nextBound;
};

// The menu command: loads the selector with the list and shows it modally.
void ShowWallpaperSelector(QWidget *parent);
