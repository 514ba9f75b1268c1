// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window: at start-up it finds the event database and lists this
// month's events; afterwards it carries the menus that open the other
// windows, switch the options and set the list's colours.

#include "platform/Clock.h"

#include <QDateTime>
#include <QMainWindow>
#include <QStringList>
#include <array>
#include <functional>

class MonthGrid;
class Prompts;
class SharedDb;
struct AccountOutcome;
class QAction;
class QMenu;

class Main final : public QMainWindow
{
    Q_OBJECT
public:
    // Works on db's connection and record sets, asks through prompts and
    // counts the days from the clock.
    Main(SharedDb &db, Prompts &prompts, Clock clock, QWidget *parent = nullptr);
    // Over the program's shared objects, prompts and clock.
    explicit Main(QWidget *parent = nullptr);

    // The desktop wallpaper read from the registry before anything else.
    QString currentWallpaper() const { return m_currentWallpaper; }
    // The month list.
    MonthGrid *Grid = nullptr;

    // The menu items the tests drive: the File menu's seven items, the
    // Options menu with "Start at Login" and the Colours, the top-level
    // "E&xit" and the grid's popup (New, Edit, Delete); "Calendar
    // Accounts..." ends the Options menu.
    std::array<QAction *, 7> mnuEdit{};
    QMenu *mnuOpt = nullptr;
    QAction *mnuLogin = nullptr; // checked when the autostart entry exists
    std::array<QAction *, 6> mnuCol{};
    QAction *mnuAccounts = nullptr;
    QAction *mnuExit = nullptr;
    std::array<QAction *, 3> mnuPopup{};

    // The start-up sequence; false when the program is to end at once
    // (the window is then never shown).
    bool Form_Load(const QStringList &arguments);
    // Rebuilds the month list from rsMonth.
    void FillEventGrid();

    void mnuEdit_Click(int index);
    void mnuExit_Click();
    void mnuOptions_Click();
    void mnuOption2_Click();
    void mnuWP_Click();
    void mnuRegedit_Click();
    // Writes or removes the autostart entry; a failure is shown.
    void mnuLogin_Click();
    // Installs or removes the daily notification timer; a failure is shown.
    void mnuDaily_Click();
    void mnuCol_Click(int index);
    // Opens the calendar accounts window.
    void mnuAccounts_Click();
    void Grid_DblClick();
    // A mouse button over the grid, position in the grid's coordinates.
    void Grid_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint position);
    void mnuPopup_Click(int index);
    void Form_Resize();
    void Form_Unload();

    // What the start-up takes from the system; tests replace them.
    void setShiftState(std::function<bool()> shiftHeld) { m_shiftHeld = std::move(shiftHeld); }
    void setProgramFolder(const QString &folder) { m_programFolder = folder; }
    // How the program ends at once; tests record it instead.
    void setProgramEnd(std::function<void()> end) { m_end = std::move(end); }
    // Where the popup menu opens; tests record it instead.
    void setPopupHandler(std::function<void(QMenu &, QPoint)> popup) { m_popup = std::move(popup); }

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createMenus();
    void switchOption(QAction *item, const QString &key);
    // Syncs the calendar accounts that have something ticked, in the
    // background; with none, nothing at all happens.
    void startAccountSync();
    void accountSynced(const AccountOutcome &outcome);

    // Full path of the event database file.
    QString Databasename;
    // The registry key of the desktop settings.
    QString SubKey;
    // File menu: Event Editor, Database Repair, Wallpaper Selector, Registry
    // Tool, Check for Update, About, Exit (mnuEdit).
    QMenu *mnuFile = nullptr;
    // Options menu: the four switches, "Start at Login", "Daily
    // Notification" (checked when the systemd timer is there, read as the
    // menu opens), a separator, the Colours submenu and Calendar Accounts.
    QAction *mnuOptions = nullptr;
    QAction *mnuOption2 = nullptr;
    QAction *mnuWP = nullptr;
    QAction *mnuRegedit = nullptr;
    QAction *mnuDaily = nullptr;
    QAction *mnuSpace = nullptr;
    QMenu *mnuColours = nullptr;
    QMenu *mnuPop = nullptr;

    SharedDb &m_db;
    Prompts &m_prompts;
    Clock m_clock;
    std::function<bool()> m_shiftHeld;
    QString m_programFolder;
    std::function<void()> m_end;
    std::function<void(QMenu &, QPoint)> m_popup;
    // The desktop wallpaper as read at step 1 of the start-up.
    QString m_currentWallpaper;
    // The colour dialog keeps its colour from its last use in this run.
    quint32 m_dialogColour = 0;
    // The start-up sync's failures, shown together in the status bar.
    QStringList m_syncFailures;
};
