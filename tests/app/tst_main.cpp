// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: the start-up sequence as the user meets it, the month
// list it shows, and one check of each menu, switch and grid command's
// wiring (their rules are the core tests').

#include "app/Main.h"
#include "app/MonthGrid.h"
#include "editing/ui/frmSingle.h"
#include "editor/FileBytes.h"
#include "editor/ui/Editor.h"
#include "platform/Files.h"
#include "platform/Settings.h"
#include "registry/REG_MODULE.h"
#include "store/SharedDb.h"
#include "support/CalendarRows.h"
#include "support/TestDatabase.h"
#include "widgets/Modal.h"
#include "widgets/Twips.h"

#include <QAction>
#include <QDir>
#include <QHeaderView>
#include <QImage>
#include <QLocale>
#include <QMenu>
#include <QSettings>
#include <QTest>
#include <memory>

namespace {

const QDate kToday(2026, 12, 5);

// Every row of the grid below the header: its cells joined by "|", then the
// Event cell's colour, "picture" for a type picture, "marker" for the one-off
// marker and "tall" for a 400-twip row.
QStringList listed(const MonthGrid &g)
{
    const MonthGridModel &m = g.monthModel();
    QStringList out;
    for (int r = 1; r < g.Rows(); ++r)
        out << QStringList{g.TextMatrix(r, 0), g.TextMatrix(r, 1), g.TextMatrix(r, 2),
                           g.TextMatrix(r, 3)}
                       .join(QLatin1Char('|')) +
                   ' ' + m.data(m.index(r, 0), Qt::BackgroundRole).value<QColor>().name() +
                   (m.data(m.index(r, 0), Qt::DecorationRole).isNull() ? "" : " picture") +
                   (m.data(m.index(r, 3), Qt::DecorationRole).isNull() ? "" : " marker") +
                   (g.RowHeight(r) == twipsToPixels(400) ? " tall" : "");
    return out;
}

} // namespace

class TestMain : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        QSettings(QSettings::IniFormat, QSettings::UserScope, "Almarik2", "Almarik2")
            .remove("Settings");
        QDir(userDataFolder()).removeRecursively();
        m_shown.clear();
        m_prompts.boxes.clear();
        onModal([](QDialog &) {});
    }
    void cleanup()
    {
        setModalHandler({});
        m_db.close();
    }
    void startsAndLists();
    void oncePerDay();
    void switches_data();
    void switches();
    void menus();
    void gridCommands();

private:
    // A new database with these events (the VALUES of an insert) and statements.
    QString database(const QStringList &values, const QStringList &statements = {});
    std::unique_ptr<Main> start(const QStringList &arguments, bool shift = false);
    // The modal handler: records each window's class, then runs the action.
    void onModal(const std::function<void(QDialog &)> &action);

    TestEnv m_env;
    ScriptedPrompts m_prompts;
    SharedDb m_db;
    int m_files = 0;
    QStringList m_shown;
    bool m_loaded = false;
};

void TestMain::onModal(const std::function<void(QDialog &)> &action)
{
    setModalHandler([this, action](QDialog &dialog) {
        m_shown << QString::fromLatin1(dialog.metaObject()->className());
        action(dialog);
        return int(QDialog::Accepted);
    });
}

QString TestMain::database(const QStringList &values, const QStringList &statements)
{
    const QString path = m_env.path(QStringLiteral("events%1.mdb").arg(++m_files));
    Connection db;
    newDatabase(path, db, values);
    for (const QString &statement : statements)
        db.Execute(statement);
    return path;
}

std::unique_ptr<Main> TestMain::start(const QStringList &arguments, bool shift)
{
    auto w =
        std::make_unique<Main>(m_db, m_prompts, [] { return QDateTime(kToday, QTime(10, 0)); });
    w->setShiftState([shift] { return shift; });
    w->setProgramFolder(m_env.root()); // holds no Almarik.MDB
    m_loaded = w->Form_Load(arguments);
    return w;
}

void TestMain::startsAndLists()
{
    auto w = start({database({"(#12/05/2016#, 'memorial', 'Bob', Null, False)",
                              "(Null, 'birthday', 'No date 1', Null, False)",
                              "(#12/06/2016#, 'Birthday', 'Capital', Null, False)",
                              "(#12/20/2019#, 'reminder', 'Old one-off', Null, True)",
                              "(#12/04/2026#, 'reminder', 'Yesterday once', Null, True)"})});
    QCOMPARE(w->windowTitle(),
             "This Month's Events for " + QLocale().dayName(kToday.dayOfWeek()) + ", 05-12-2026");
    // "Birthday" is no type key; the colours are the defaults. The one-off of an earlier year is
    // listed at the start whose purge then deletes it.
    QCOMPARE(listed(*w->Grid),
             (QStringList{"Bob|05-12-2016|10 Years| 0 #00ff00 picture tall",
                          "Capital|06-12-2016|10 Years| 1 #ff8040 tall",
                          "Old one-off|20-12-2019|7 Years| 15 #f9fbe3 picture marker tall"}));
    // The row without a date is reported; the fill goes on.
    QCOMPARE(m_prompts.takeBoxes(),
             QStringList{"Almarik (critical, OK): Invalid use of Null\r\nThe database may require "
                         "repair. Use the option under the File Menu"});
    // Yesterday's one-off stays for the recent days.
    QCOMPARE(calendarRows(m_db.dbConnection, "ShowOnce = True"),
             QStringList{"2026-12-04|reminder|Yesterday once|-|true"});
}

void TestMain::oncePerDay()
{
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, "Control Panel\\Desktop\\", "Wallpaper",
                        "/pictures/sea.jpg", m_prompts));
    SaveSetting("StartOnce", "True");
    SaveSetting("LastStart", "04/12/2026");
    // A start that fails on its database (in fact a text file: refused, and
    // left as it is) has already written LastStart.
    const QString path = m_env.path("list.MDB");
    writeBytes(path, "shopping list\n");
    const QString failed = "Almarik (critical, OK): Error- Unrecognized database format '" + path +
                           "'.-2147467259\r\n" + path;
    // The empty list says what to do.
    QCOMPARE(start({path})->Grid->emptyHint(),
             "No events in the next 30 days. Right-click to add one.");
    QCOMPARE(GetSetting("LastStart", {}), "05/12/2026");

    // A further start that day ends at once: no box, nothing written, the
    // database not even looked for; the wallpaper was read before all that.
    const QString ini = m_env.path("config/Almarik2/Almarik2.ini");
    const QByteArray before = fileBytes(ini);
    QCOMPARE(start({})->currentWallpaper(), "/pictures/sea.jpg");
    QVERIFY(!m_loaded && fileBytes(ini) == before && !QFileInfo::exists(userDataFolder()));

    // Unless Shift is held.
    start({path}, true);
    QCOMPARE(m_prompts.takeBoxes(), (QStringList{failed, failed}));
    QCOMPARE(fileBytes(path), QByteArray("shopping list\n"));
}

void TestMain::switches_data()
{
    // Only "Show recent events" refills the list at once; the others act at
    // the next start, where the registry tasks and a new wallpaper run only
    // with their options on (the tasks and the rotation themselves are their
    // own tests').
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("refills");
    QTest::addColumn<QString>("ran"); // the task's value | the wallpaper's kind
    QTest::newRow("Only Start Once per day") << 0 << "StartOnce" << false << "|jpg";
    QTest::newRow("Show recent events") << 1 << "RecentEvents" << true << "|jpg";
    QTest::newRow("Change Wallpaper") << 2 << "ChangeWallpaper" << false << "|bmp";
    QTest::newRow("Registry tasks on Startup") << 3 << "RunRegTool" << false << "/usr/bin/tray|jpg";
}

void TestMain::switches()
{
    QFETCH(int, item);
    QFETCH(QString, key);
    QFETCH(bool, refills);
    const QString desktop = "Control Panel\\Desktop\\", run = "Software\\AlmarikTest\\Run\\";
    QStringList statements{"INSERT INTO RegEdit (hKey, SubKey, [Key], Task, NewValue) VALUES "
                           "(-2147483647, '" +
                           run + "', 'Tray', 'edit', '/usr/bin/tray')"};
    for (const QString &name : {QStringLiteral("a.bmp"), QStringLiteral("b.bmp")}) {
        QImage(4, 4, QImage::Format_RGB32).save(m_env.path(name), "BMP");
        statements << "INSERT INTO Wallpapers (FileName, path, Active) VALUES ('" + name + "', '" +
                          m_env.root() + "', True)";
    }
    const QString path = database({"(#12/04/2026#, 'reminder', 'Yesterday', Null, False)",
                                   "(#12/06/2010#, Null, 'Tomorrow', Null, False)"},
                                  statements);
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, desktop, "Wallpaper", "/pictures/sea.jpg", m_prompts));
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, run, "Tray", "", m_prompts));
    const auto ran = [&]() -> QString {
        return GetRegValue(HKEY_CURRENT_USER, run, "Tray", {}, m_prompts) + '|' +
               GetRegValue(HKEY_CURRENT_USER, desktop, "Wallpaper", {}, m_prompts).section('.', -1);
    };
    const QStringList before{"Tomorrow|06-12-2010|16 Years| 1 #ff8040"};
    const QStringList recent{"Yesterday|04-12-2026|Yesterday|-1 #dfdfdf picture tall", before[0]};
    auto w = start({path});
    QCOMPARE(ran(), "|jpg");
    QAction *action = w->mnuOpt->actions()[item];
    action->trigger(); // as the user's click reaches it
    QCOMPARE(GetSetting(key, {}), "True");
    QCOMPARE(listed(*w->Grid), refills ? recent : before);
    // The next start reads it back.
    QVERIFY(start({path})->mnuOpt->actions()[item]->isChecked());
    QTEST(ran(), "ran");
    action->trigger();
    QCOMPARE(GetSetting(key, {}), "False");
    QCOMPARE(listed(*w->Grid), before);
    QVERIFY(m_prompts.boxes.isEmpty());
}

void TestMain::menus()
{
    // The Options menu's colours and Start at Login, then the File menu.
    auto w = start({database({"(#12/05/2000#, 'birthday', 'Today', Null, False)"})});
    // A pick writes all six entries and refills the list; Cancel keeps the
    // colour the entry had.
    m_prompts.answer(QVariant::fromValue(quint32(0x0000FF))); // red
    w->mnuCol[4]->trigger();
    m_prompts.answer(QVariant());
    w->mnuCol[0]->trigger();
    QCOMPARE(w->Grid->BackColor(), QColor(255, 0, 0));
    QStringList stored;
    for (int i = 0; i < 6; ++i)
        stored << GetSetting("Colour" + QString::number(i), {});
    QCOMPARE(stored.join(' '), "65280 4227327 6008319 65535 255 14671839");
    QCOMPARE(listed(*w->Grid), QStringList{"Today|05-12-2000|26 Years| 0 #00ff00 picture tall"});
    // The dialog starts black, then from the last colour picked in this run.
    QCOMPARE(m_prompts.boxes[0].text + ' ' + m_prompts.boxes[1].text, "0 255");
    // Start at Login's mark is the autostart entry's presence, read as the
    // menu opens.
    w->mnuLogin->trigger();
    QVERIFY(w->mnuLogin->isChecked() &&
            QFile::remove(m_env.path("config/autostart/almarik.desktop")));
    emit w->mnuOpt->aboutToShow();
    QVERIFY(!w->mnuLogin->isChecked());

    // The event editor (which opens and closes rsEditor itself), then the list
    // is refilled; the registry tool leaves the list alone.
    onModal([this](QDialog &dialog) {
        if (qobject_cast<Editor *>(&dialog))
            addEvents(m_db.dbConnection, {"(#12/10/2000#, 'holiday', 'Added', Null, False)"});
    });
    w->mnuEdit[0]->trigger();
    QCOMPARE(w->Grid->TextMatrix(2, 0), "Added");
    w->mnuEdit[3]->trigger();
    QCOMPARE(m_shown, (QStringList{"Editor", "frmRegTool"}));

    // Database Repair: the record set reopened, the list refilled.
    addEvents(m_db.dbConnection, {"(#12/07/2000#, Null, 'New', Null, False)"});
    w->mnuEdit[1]->trigger();
    QCOMPARE(m_prompts.boxes.size(), 2); // no box past the colour dialogs
    QCOMPARE(w->Grid->TextMatrix(2, 0), "New");

    // Exit in the File menu, the top-level Exit and closing the window end it.
    int ends = 0;
    w->setProgramEnd([&] { ++ends; });
    w->mnuEdit[6]->trigger();
    w->mnuExit->trigger();
    w->show();
    w->close();
    QCOMPARE(ends, 3);
}

void TestMain::gridCommands()
{
    auto w = start({database({"(#12/05/2000#, 'birthday', 'First', Null, False)",
                              "(#12/06/2000#, Null, 'Second', Null, False)",
                              "(#12/09/1990#, 'holiday', 'Ann''s party', Null, False)"})});
    QList<QPoint> popups;
    w->setPopupHandler([&](QMenu &, QPoint at) { popups << at; });
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    MonthGrid &g = *w->Grid;
    // A right-click picks the row under the pointer (below the last row: the
    // last; on the titles: the header row) and opens the popup there.
    const auto middle = [&](int r) { return g.RowPos(r) + g.RowHeight(r) / 2; };
    QList<int> rows;
    for (int y : {middle(2), g.RowPos(3) + g.RowHeight(3) + 40}) {
        QTest::mouseClick(g.viewport(), Qt::RightButton, {}, QPoint(10, y));
        rows << g.Row();
    }
    QTest::mouseClick(g.horizontalHeader()->viewport(), Qt::RightButton, {},
                      QPoint(10, g.horizontalHeader()->height() / 2));
    rows << g.Row();
    QCOMPARE(rows, (QList<int>{2, 3, 0}));
    QCOMPARE(popups.size(), 3);
    QCOMPARE(popups.first(), g.viewport()->mapToGlobal(QPoint(10, middle(2))));
    // On the header row, Edit and Delete do nothing.
    w->mnuPopup[1]->trigger();
    w->mnuPopup[2]->trigger();
    QVERIFY(m_shown.isEmpty() && m_prompts.boxes.isEmpty());

    QStringList opened;
    onModal([&](QDialog &shown) {
        auto &single = dynamic_cast<frmSingle &>(shown);
        opened << single.oriDates.toDate().toString(Qt::ISODate) + ' ' +
                      single.oriDescription.toString();
        addEvents(
            m_db.dbConnection,
            {QStringLiteral("(#12/08/1980#, Null, 'Added%1', Null, False)").arg(opened.size())});
    });
    w->mnuPopup[0]->trigger(); // New
    // A double-click as the system delivers it.
    const QPoint at(10, middle(4));
    QTest::mousePress(g.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(g.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(g.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(g.viewport(), Qt::LeftButton, {}, at);
    g.setRow(1);
    w->mnuPopup[1]->trigger(); // Edit
    QCOMPARE(opened, (QStringList{"2026-12-05 ", "1990-12-09 Ann's party", "2000-12-05 First"}));
    // Refilled after each.
    QCOMPARE(g.TextMatrix(5, 0) + g.TextMatrix(6, 0), "Added3Ann's party");

    // Delete, confirmed: gone, and the list refilled, longer than the grid
    // now: its titles stay when it scrolls.
    QStringList later;
    for (int i = 0; i < 60; ++i)
        later
            << QStringLiteral("(#12/%1/2000#, 'birthday', 'Later', Null, False)").arg(10 + i % 20);
    addEvents(m_db.dbConnection, later);
    g.setRow(1);
    m_prompts.answer(QVariant::fromValue(MsgResult::Ok));
    w->mnuPopup[2]->trigger();
    QCOMPARE(calendarRows(m_db.dbConnection).size(), 65);
    QCOMPARE(g.TextMatrix(1, 0), "Second");
    const int top = g.RowPos(0);
    g.scrollToBottom();
    QCOMPARE(g.RowPos(0), top);
    QVERIFY(g.horizontalHeader()->isVisible() && g.rowViewportPosition(1) < 0);
}

QTEST_MAIN(TestMain)
#include "tst_main.moc"
