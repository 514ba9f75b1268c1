// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's commands: the File menu, the option switches, the
// colours, and the grid's double-click and popup.

#include "about/ui/OpenAbout.h"
#include "app/Main.h"
#include "app/MonthGrid.h"
#include "editing/EventRecord.h"
#include "editing/ui/frmSingle.h"
#include "editor/ui/OpenEditor.h"
#include "platform/ErrorStyles.h"
#include "platform/Prompts.h"
#include "platform/Settings.h"
#include "registry/ui/frmRegTool.h"
#include "startup/Autostart.h"
#include "startup/DailyNotification.h"
#include "startup/GridRules.h"
#include "startup/StartupDatabase.h"
#include "startup/StartupSettings.h"
#include "store/SharedDb.h"
#include "sync/ui/AccountsWindow.h"
#include "wallpaper/ui/frmWallPaper.h"
#include "widgets/Modal.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

void Main::mnuEdit_Click(int index)
{
    // Failing steps are skipped without a message; the called parts report
    // their own failures.
    switch (index) {
    case 0: // Event Editor
        openEventEditor(this, m_db.dbConnection, m_db.rsEditor, m_prompts, m_clock);
        FillEventGrid();
        break;
    case 1: // Database Repair
        RepairAndReopen(m_db.dbConnection, m_db.rsMonth, m_prompts);
        FillEventGrid();
        break;
    case 2: // Wallpaper Selector: the list does not change
        try {
            ShowWallpaperSelector(this);
        } catch (const std::exception &) {
        }
        break;
    case 3: { // Registry Tool: the list does not change
        ignoringErrors([this] {
            frmRegTool tool(m_db.dbConnection, m_prompts, this);
            showModal(tool);
        });
        break;
    }
    case 4: // Check for Update: beside the main window
        try {
            showUpdatePage(this);
        } catch (const std::exception &) {
        }
        break;
    case 5: // About: beside the main window
        try {
            showAboutBox(this, Databasename);
        } catch (const std::exception &) {
        }
        break;
    case 6: // Exit
        m_end();
        break;
    default: // the windows of the other items are not part of the program yet
        break;
    }
}

void Main::switchOption(QAction *item, const QString &key)
{
    // The tick shows what is stored: a switch that could not be saved stays.
    const bool on = !item->isChecked();
    if (showingDescription(m_prompts, [&] { SaveSetting(key, boolToSetting(on)); }))
        item->setChecked(on);
}

void Main::mnuOptions_Click()
{
    switchOption(mnuOptions, SettingKey::StartOnce);
}

void Main::mnuOption2_Click()
{
    switchOption(mnuOption2, SettingKey::RecentEvents);
    FillEventGrid();
}

void Main::mnuWP_Click()
{
    switchOption(mnuWP, SettingKey::ChangeWallpaper);
}

void Main::mnuRegedit_Click()
{
    switchOption(mnuRegedit, SettingKey::RunRegTool);
}

void Main::mnuLogin_Click()
{
    const bool enable = !autostartEnabled();
    showingDescription(m_prompts, [&] {
        setAutostart(enable, QCoreApplication::applicationFilePath(),
                     autostartDatabase(Databasename, m_programFolder));
    });
    mnuLogin->setChecked(autostartEnabled());
}

void Main::mnuDaily_Click()
{
    const bool enable = !dailyNotificationEnabled();
    showingDescription(m_prompts, [&] {
        setDailyNotification(
            enable, QCoreApplication::applicationDirPath() + QStringLiteral("/almarik-list"),
            Databasename, systemctlProgram());
    });
    mnuDaily->setChecked(dailyNotificationEnabled());
}

void Main::mnuCol_Click(int index)
{
    // Cancel keeps the colour the entry had; the rest goes on as after a pick.
    ignoringErrors([&] {
        m_dialogColour = m_prompts.ColourDialog(m_dialogColour);
        ColourTable[size_t(index)] = QString::number(m_dialogColour);
    });
    showingDescription(m_prompts, [] { SaveColours(); });
    FillEventGrid();
}

void Main::mnuAccounts_Click()
{
    bool changed = false;
    ignoringErrors([&] {
        AccountsWindow window(m_db.dbConnection, Databasename, m_prompts, this);
        showModal(window);
        changed = window.eventsChanged();
    });
    if (changed)
        FillEventGrid();
}

void Main::Grid_DblClick()
{
    const int row = Grid->Row();
    const auto event = gridEventAt(Grid->TextMatrix(row, 1), Grid->TextMatrix(row, 0));
    if (!event)
        return; // the header row or an empty grid
    ignoringErrors([&] {
        frmSingle single(m_db.dbConnection, m_prompts, m_clock, this);
        single.oriDates = event->date;
        single.oriDescription = event->description;
        showModal(single);
    });
    FillEventGrid();
}

void Main::Grid_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, QPoint position)
{
    if (button != Qt::RightButton)
        return;
    Grid->setRow(
        rowUnderPointer(position.y(), Grid->Rows(), [this](int r) { return Grid->RowPos(r); }));
    m_popup(*mnuPop, Grid->viewport()->mapToGlobal(position));
}

void Main::mnuPopup_Click(int index)
{
    // Failing steps are skipped without a message; the dialog and the
    // delete show their own.
    switch (index) {
    case 0: { // New
        ignoringErrors([this] {
            frmSingle single(m_db.dbConnection, m_prompts, m_clock, this);
            single.oriDates = m_clock().date();
            single.oriDescription = QString();
            showModal(single);
        });
        FillEventGrid();
        break;
    }
    case 1: // Edit
        Grid_DblClick();
        break;
    case 2: { // Delete
        const int row = Grid->Row();
        const auto event = gridEventAt(Grid->TextMatrix(row, 1), Grid->TextMatrix(row, 0));
        // The header row names no event: nothing to delete, nothing to ask.
        if (!event)
            break;
        EventRecord rec;
        rec.Dates = QDateTime(event->date, QTime(0, 0));
        rec.Description = event->description;
        bool deleted = false;
        ignoringErrors([&] { deleted = DeleteEvent(rec, m_db.dbConnection, m_prompts); });
        if (deleted)
            FillEventGrid();
        break;
    }
    default:
        break;
    }
}
