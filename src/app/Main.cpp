// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Main.h"

#include "app/MonthGrid.h"
#include "platform/AppError.h"
#include "platform/ErrorStyles.h"
#include "platform/Prompts.h"
#include "registry/DoRegEdit.h"
#include "registry/REG_MODULE.h"
#include "startup/AccessStart.h"
#include "startup/Autostart.h"
#include "startup/DailyNotification.h"
#include "startup/MonthList.h"
#include "startup/StartupDatabase.h"
#include "startup/StartupSettings.h"
#include "store/DateRules.h"
#include "store/SharedDb.h"
#include "sync/SyncSecrets.h"
#include "sync/ui/AccountsWindow.h"
#include "wallpaper/ui/RotateWallpaper.h"
#include "widgets/ImageList.h"
#include "widgets/Twips.h"
#include "widgets/WaitCursor.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLocale>
#include <QMenuBar>
#include <QSet>
#include <QStatusBar>
#include <algorithm>

#include <optional>

Main::Main(QWidget *parent) : Main(sharedDb(), appPrompts(), appClock(), parent) {}

Main::Main(SharedDb &db, Prompts &prompts, Clock clock, QWidget *parent)
    : QMainWindow(parent), m_db(db), m_prompts(prompts), m_clock(std::move(clock))
{
    m_shiftHeld = [] {
        return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
    };
    m_programFolder = QCoreApplication::applicationDirPath();
    m_end = [] { QCoreApplication::exit(0); };
    m_popup = [](QMenu &menu, QPoint global) { menu.popup(global); };

    setWindowTitle(Prompts::applicationTitle());
    setWindowIcon(appIcon());
    auto *inner = new QWidget(this);
    setCentralWidget(inner);
    inner->installEventFilter(this);
    Grid = new MonthGrid(inner);
    connect(Grid, &MonthGrid::doubleClicked, this, [this] { Grid_DblClick(); });
    connect(Grid, &MonthGrid::mouseDown, this, &Main::Grid_MouseDown);
    createMenus();
    resize(twipsToPixels(9000), twipsToPixels(6000));
}

void Main::createMenus()
{
    mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    const QStringList fileItems = {QStringLiteral("Event Editor"),
                                   QStringLiteral("Database Repair"),
                                   QStringLiteral("Wallpaper Selector"),
                                   QStringLiteral("Registry Tool"),
                                   QStringLiteral("Check for Update"),
                                   QStringLiteral("About"),
                                   QStringLiteral("Exit")};
    for (int i = 0; i < 7; ++i) {
        mnuEdit[size_t(i)] =
            mnuFile->addAction(fileItems[i], this, [this, i] { mnuEdit_Click(i); });
    }

    mnuOpt = menuBar()->addMenu(QStringLiteral("&Options"));
    // A checkable item has toggled its mark by the time it reports the
    // click; the handlers do the toggling themselves, so undo Qt's first.
    auto addSwitch = [this](const QString &caption, void (Main::*handler)()) {
        QAction *item = mnuOpt->addAction(caption);
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, item, handler] {
            item->setChecked(!item->isChecked());
            (this->*handler)();
        });
        return item;
    };
    mnuOptions = addSwitch(QStringLiteral("Only Start Once per day"), &Main::mnuOptions_Click);
    mnuOption2 = addSwitch(QStringLiteral("Show recent events"), &Main::mnuOption2_Click);
    mnuWP = addSwitch(QStringLiteral("Change Wallpaper"), &Main::mnuWP_Click);
    mnuRegedit = addSwitch(QStringLiteral("Registry tasks on Startup"), &Main::mnuRegedit_Click);
    mnuLogin = addSwitch(QStringLiteral("Start at Login"), &Main::mnuLogin_Click);
    mnuDaily = addSwitch(QStringLiteral("Daily Notification"), &Main::mnuDaily_Click);
    // No setting holds them: the files may have been changed by hand since.
    connect(mnuOpt, &QMenu::aboutToShow, this, [this] {
        mnuLogin->setChecked(autostartEnabled());
        mnuDaily->setChecked(dailyNotificationEnabled());
    });
    mnuSpace = mnuOpt->addSeparator();
    mnuColours = mnuOpt->addMenu(QStringLiteral("Colours"));
    const QStringList colourItems = {QStringLiteral("Today"),      QStringLiteral("1 Day"),
                                     QStringLiteral("2 Days"),     QStringLiteral("3 Days"),
                                     QStringLiteral("Background"), QStringLiteral("Recent Events")};
    for (int i = 0; i < 6; ++i)
        mnuCol[size_t(i)] =
            mnuColours->addAction(colourItems[i], this, [this, i] { mnuCol_Click(i); });
    mnuAccounts = mnuOpt->addAction(QStringLiteral("Calendar Accounts..."), this,
                                    [this] { mnuAccounts_Click(); });

    mnuExit = menuBar()->addAction(QStringLiteral("E&xit"), this, [this] { mnuExit_Click(); });

    mnuPop = new QMenu(QStringLiteral("popup"), this);
    const QStringList popupItems = {QStringLiteral("New"), QStringLiteral("Edit"),
                                    QStringLiteral("Delete")};
    for (int i = 0; i < 3; ++i)
        mnuPopup[size_t(i)] =
            mnuPop->addAction(popupItems[i], this, [this, i] { mnuPopup_Click(i); });
}

bool Main::Form_Load(const QStringList &arguments)
{
    // 1. The desktop settings key. The wallpaper change at the end needs the
    // current wallpaper as it was before anything else ran, whatever the
    // options say.
    SubKey = QStringLiteral("Control Panel\\Desktop\\");
    m_currentWallpaper =
        GetRegValue(HKEY_CURRENT_USER, SubKey, QStringLiteral("Wallpaper"), QString(), m_prompts);

    // 2-4. Colours, the option switches and the day of the last start.
    LoadColours();
    const StartOptions options = readStartOptions();
    mnuOptions->setChecked(options.startOnce);
    mnuOption2->setChecked(options.recentEvents);
    mnuWP->setChecked(options.changeWallpaper);
    mnuRegedit->setChecked(options.runRegTool);
    const QString lastStart = readLastStart();
    const bool firstStart = isFirstStart();

    // 5-7. Once a day: a second start today ends here, with no window and
    // nothing written, unless Shift is held.
    ShiftOverride = m_shiftHeld();
    const QDate today = m_clock().date();
    if (endsAtOnce(firstStart, lastStart, today, mnuOptions->isChecked(), ShiftOverride))
        return false;

    // 8-10. This start counts from here on, even if the database fails.
    showingDescription(m_prompts, [&] { writeLastStart(today); });
    TodayDate = today;
    setWindowTitle(QStringLiteral("This Month's Events for ") +
                   QLocale().toString(TodayDate, QStringLiteral("dddd, ") + dayMonthYearPattern()));

    // 11-12. Find the database; a failure ends the program after its message
    // (a cancelled file dialog ends it quietly).
    try {
        Databasename = LocateDatabase(commandLineText(arguments), m_programFolder, m_prompts);
    } catch (const AppError &e) {
        const QString message = locateFailureMessage(e, Databasename);
        if (!message.isEmpty())
            m_prompts.MsgBox(message, MsgButtons::OkOnly, MsgIcon::Critical);
        return false;
    }

    // The Windows version's Access file becomes one of ours first, after one
    // question; the wait cursor shows while it is converted.
    std::optional<WaitCursor> converting;
    if (!convertAccessAtStart(Databasename, m_prompts, [&](qint64 done, qint64 total) {
            if (done < total && !converting)
                converting.emplace();
            else if (done >= total)
                converting.reset();
        }))
        return false;
    converting.reset();

    // 13. Open it, with the month's record set.
    try {
        OpenMonthDatabase(m_db.dbConnection, m_db.rsMonth, Databasename);
    } catch (const AppError &e) {
        m_prompts.MsgBox(openFailureMessage(e, Databasename), MsgButtons::OkOnly,
                         MsgIcon::Critical);
        return false;
    }

    // 14-15. The list, then the purge: expired one-off events still show at
    // the start that deletes them.
    FillEventGrid();
    PurgeExpiredEvents(m_db.dbConnection, m_prompts, m_clock());

    // 16. Another wallpaper from the list, drawn against the one read at step 1.
    if (mnuWP->isChecked())
        RotateWallpaper(m_currentWallpaper, m_db.dbConnection, m_prompts,
                        programWallpaperSeams(SubKey, m_prompts));

    // 17. The registry tasks kept in the database.
    if (mnuRegedit->isChecked())
        DoRegEdit(m_db.dbConnection, m_prompts);

    // The calendar accounts, once the start-up's own work on the database is done.
    startAccountSync();
    return true;
}

void Main::startAccountSync()
{
    // The passwords are read here: the keyring answers on this thread.
    const SyncPlan plan = planSync(readSyncAccounts(), readSyncPassword);
    for (const AccountOutcome &outcome : plan.outcomes)
        accountSynced(outcome);
    if (plan.run.isEmpty())
        return;
    BackgroundSync *sync = backgroundSync(Databasename, plan, this);
    connect(sync, &BackgroundSync::accountDone, this, &Main::accountSynced);
    connect(sync, &QThread::finished, sync, &QObject::deleteLater);
    sync->start();
}

void Main::accountSynced(const AccountOutcome &outcome)
{
    QList<SyncAccount> accounts = readSyncAccounts();
    if (recordOutcome(accounts, outcome))
        ignoringErrors([&] { saveSyncAccounts(accounts); });
    if (outcome.eventsChanged)
        FillEventGrid();
    if (!outcome.ok) {
        m_syncFailures << outcome.account + QStringLiteral(": ") + outcome.text;
        statusBar()->showMessage(m_syncFailures.join(QStringLiteral("  ")));
    }
}

void Main::FillEventGrid()
{
    // Each distinct failure is shown once per fill: a damaged table would
    // otherwise give one box for every row.
    const FillFailure failed = fillFailureReport(m_prompts);

    Grid->clearRows();
    try {
        Grid->setBackColor(colourFromNumber(colourNumber(4)));
    } catch (const AppError &e) {
        failed(e);
    }
    std::vector<MonthRow> rows =
        readMonthList(m_db.rsMonth, TodayDate, mnuOption2->isChecked(), failed);

    // The nearness colours the listed rows use.
    std::array<std::optional<QColor>, 6> colours;
    const std::array<bool, 6> used = coloursUsed(rows);
    for (int i = 0; i < 6; ++i) {
        if (!used[size_t(i)])
            continue;
        try {
            colours[size_t(i)] = colourFromNumber(colourNumber(i));
        } catch (const AppError &e) {
            failed(e);
        }
    }
    Grid->showRows(std::move(rows), colours);
}

void Main::Form_Resize()
{
    if (isMinimized())
        return;
    const QSize inner = centralWidget()->size();
    const int margin = twipsToPixels(30);
    if (inner.height() > margin)
        Grid->resize(Grid->width(), inner.height() - margin);
    Grid->resize(inner.width() - margin, Grid->height());
    Grid->setColumnWidth(0, qRound(Grid->width() / 2.0));
    // The twips widths were made for a narrower font than this desktop's;
    // a column is widened where its widest text would otherwise be cut.
    Grid->setColumnWidth(
        1, std::max(twipsToPixels(900), Grid->fittingWidth(QStringLiteral("00-00-0000"))));
    Grid->setColumnWidth(
        2, std::max({twipsToPixels(850), Grid->fittingWidth(QStringLiteral("in 99 Years")),
                     Grid->fittingWidth(QStringLiteral("2 days ago"))}));
    Grid->setColumnWidth(
        3, std::max(twipsToPixels(500), Grid->fittingWidth(QStringLiteral("-30"), true)));
}

bool Main::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == centralWidget() && event->type() == QEvent::Resize)
        Form_Resize();
    return QMainWindow::eventFilter(watched, event);
}

void Main::closeEvent(QCloseEvent *event)
{
    event->accept();
    Form_Unload();
}

void Main::Form_Unload()
{
    m_end();
}

void Main::mnuExit_Click()
{
    m_end();
}
