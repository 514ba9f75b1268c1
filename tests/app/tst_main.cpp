// The main window: the start-up sequence as the user meets it, the month
// list it shows, and its menus, switches, colours, right-click and repair.

#include "app/EventTypes.h"
#include "app/Main.h"
#include "app/MonthGrid.h"
#include "app/StartupSettings.h"
#include "editing/frmSingle.h"
#include "editor/Editor.h"
#include "platform/Files.h"
#include "platform/Modal.h"
#include "platform/Settings.h"
#include "platform/Twips.h"
#include "registry/REG_MODULE.h"
#include "registry/frmRegTool.h"
#include "store/Repair.h"
#include "store/SharedDb.h"
#include "support/ScriptedPrompts.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTest>
#include <memory>

namespace {

const QDate kToday(2026, 12, 5);

const QString kInsert =
    QStringLiteral("INSERT INTO Calendar (Dates,icon,Description,Details,ShowOnce) VALUES ");

QStringList captions(const QList<QAction *> &actions)
{
    QStringList out;
    for (QAction *a : actions)
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

} // namespace

class TestMain : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startsAndLists();
    void listColoursAndPictures();
    void emptyCalendar();
    void firstStartCreatesDatabase();
    void oncePerDayEndsWithoutWriting();
    void shiftOverridesOncePerDay();
    void failedDatabaseStartWritesLastStart();
    void nonDatabaseFileRefused();
    void purgeAfterFill();
    void failingRowsReported();
    void menus();
    void switches_data();
    void switches();
    void recentEventsRefills();
    void colourChosen();
    void colourCancelled();
    void rightClick();
    void rightClickHeaderThenEdit();
    void popupNew();
    void doubleClickEdits();
    void popupDelete_data();
    void popupDelete();
    void eventEditorFromMenu();
    void registryToolFromMenu();
    void repairFromMenu();
    void exits();
    void resizeLayout();
    void wallpaperReadBeforeAnythingElse();
    void registryTasksAtStart_data();
    void registryTasksAtStart();

private:
    QString database(const QString &name, const QStringList &values);
    std::unique_ptr<Main> start(const QStringList &arguments, bool shift = false,
                                QDate today = kToday);
    QString settingsText() const;

    TestEnv m_env;
    QString m_program;
    int m_ends = 0;
    QList<QPoint> m_popups;
    bool m_loaded = false;
};

void TestMain::init()
{
    QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Almarik2"),
              QStringLiteral("Almarik2"))
        .remove(QStringLiteral("Settings"));
    QDir(userDataFolder()).removeRecursively();
    m_program = m_env.path(QStringLiteral("program"));
    QDir().mkpath(m_program);
    m_ends = 0;
    m_popups.clear();
    setModalHandler([](QDialog &dialog) -> int {
        QTest::qFail(qPrintable(QStringLiteral("unexpected window ") + dialog.windowTitle()),
                     __FILE__, __LINE__);
        return QDialog::Rejected;
    });
}

void TestMain::cleanup()
{
    setModalHandler({});
    rsMonth.Close();
    dbConnection.Close();
}

QString TestMain::database(const QString &name, const QStringList &values)
{
    const QString path = m_env.path(name);
    QFile::remove(path);
    CreateDatabase(path);
    Connection db;
    db.Open(path);
    for (const QString &v : values)
        db.Execute(kInsert + v);
    return path;
}

std::unique_ptr<Main> TestMain::start(const QStringList &arguments, bool shift, QDate today)
{
    auto w = std::make_unique<Main>();
    w->setClock([today] { return QDateTime(today, QTime(10, 0)); });
    w->setShiftState([shift] { return shift; });
    w->setProgramFolder(m_program);
    w->setProgramEnd([this] { ++m_ends; });
    w->setPopupHandler([this](QMenu &, QPoint at) { m_popups << at; });
    m_loaded = w->Form_Load(arguments);
    return w;
}

QString TestMain::settingsText() const
{
    QFile f(m_env.path(QStringLiteral("config/Almarik2/Almarik2.ini")));
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

void TestMain::startsAndLists()
{
    ScriptedPrompts prompts;
    const QString path = database(QStringLiteral("events.mdb"),
                                  {"(#01/03/1990#, 'birthday', 'Ann', Null, False)",
                                   "(#12/05/2016#, 'memorial', 'Bob', Null, False)",
                                   "(#12/07/2026#, Null, 'Cleo', Null, True)",
                                   "(#11/01/2000#, 'doctor', 'Not listed', Null, False)"});
    auto w = start({path});
    QVERIFY(m_loaded);
    QVERIFY(prompts.boxes.isEmpty());
    QCOMPARE(w->windowTitle(), QStringLiteral("This Month's Events for ") +
                                   QLocale().dayName(kToday.dayOfWeek()) +
                                   QStringLiteral(", 05-12-2026"));
    QCOMPARE(w->Databasename, path);
    QCOMPARE(w->SubKey, QStringLiteral("Control Panel\\Desktop\\"));
    QCOMPARE(TodayDate, kToday);
    QCOMPARE(GetSetting(QStringLiteral("LastStart"), {}), QStringLiteral("05/12/2026"));

    MonthGrid &g = *w->Grid;
    QCOMPARE(g.Rows(), 4);
    QCOMPARE(g.FixedRows(), 1);
    const QStringList expected[] = {{"Event", "Date", "Years in", "Days"},
                                    {"Bob", "05-12-2016", "10 Years", " 0"},
                                    {"Cleo", "07-12-2026", "", " 2"},
                                    {"Ann", "03-01-1990", "37 Years", " 29"}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            QCOMPARE(g.TextMatrix(r, c), expected[r][c]);
}

void TestMain::listColoursAndPictures()
{
    ScriptedPrompts prompts;
    const QString path = database(QStringLiteral("pictures.mdb"),
                                  {"(#12/05/2016#, 'birthday', 'Today', Null, False)",
                                   "(#12/06/2016#, 'Birthday', 'Capital', Null, False)",
                                   "(#12/07/2016#, Null, 'No type', Null, True)",
                                   "(#12/08/2016#, 'unknown', 'Three', Null, False)",
                                   "(#12/12/2016#, 'holiday', 'Later', Null, False)"});
    auto w = start({path});
    QVERIFY(m_loaded);
    MonthGrid &g = *w->Grid;
    const MonthGridModel &m = g.monthModel();
    QCOMPARE(g.Rows(), 6);
    QCOMPARE(g.BackColor(), QColor(0xF9, 0xFB, 0xE3)); // 14941177 = 0xE3FBF9
    QCOMPARE(m.cellColour(1, 0), std::optional<QColor>(QColor(0, 255, 0)));
    QCOMPARE(m.cellColour(2, 0), std::optional<QColor>(QColor(0xFF, 0x80, 0x40)));
    QCOMPARE(m.cellColour(3, 0), std::optional<QColor>(QColor(0xFF, 0xAD, 0x5B)));
    QCOMPARE(m.cellColour(4, 0), std::optional<QColor>(QColor(0xFF, 0xFF, 0)));
    QCOMPARE(m.cellColour(5, 0), std::nullopt);
    QCOMPARE(m.data(m.index(5, 0), Qt::BackgroundRole).value<QColor>(), g.BackColor());
    QCOMPARE(m.cellColour(1, 1), std::nullopt); // only the Event cell is coloured

    auto picture = [&](int r, int c) { return m.data(m.index(r, c), Qt::DecorationRole); };
    QVERIFY(!picture(1, 0).isNull()); // birthday
    QVERIFY(picture(2, 0).isNull());  // Birthday: no such key
    QVERIFY(picture(3, 0).isNull());  // no type
    QVERIFY(!picture(4, 0).isNull()); // unknown is a picture too
    QVERIFY(!picture(3, 3).isNull()); // the one-off marker
    QVERIFY(picture(1, 3).isNull());
    const int tall = twipsToPixels(400);
    QCOMPARE(g.RowHeight(1), tall);
    QCOMPARE(g.RowHeight(2), tall); // any type, found or not
    QVERIFY(g.RowHeight(3) < tall);
    QVERIFY(g.RowHeight(0) < tall);
}

void TestMain::emptyCalendar()
{
    ScriptedPrompts prompts;
    auto w = start({database(QStringLiteral("empty.mdb"), {})});
    QVERIFY(m_loaded);
    QCOMPARE(w->Grid->Rows(), 1);
    QCOMPARE(w->Grid->FixedRows(), 0);
    QCOMPARE(w->Grid->TextMatrix(0, 3), QStringLiteral("Days"));
}

void TestMain::firstStartCreatesDatabase()
{
    ScriptedPrompts prompts;
    auto w = start({});
    QVERIFY(m_loaded);
    QVERIFY(prompts.boxes.isEmpty());
    QCOMPARE(w->Databasename, userDataFolder() + QStringLiteral("/Almarik.MDB"));
    QVERIFY(FileExists(w->Databasename));
    QVERIFY(rsMonth.isOpen());
    QCOMPARE(w->Grid->Rows(), 1);
}

void TestMain::oncePerDayEndsWithoutWriting()
{
    ScriptedPrompts prompts;
    SaveSetting(QStringLiteral("StartOnce"), QStringLiteral("True"));
    SaveSetting(QStringLiteral("LastStart"), QStringLiteral("05/12/2026"));
    const QString before = settingsText();
    auto w = start({});
    QVERIFY(!m_loaded);
    QVERIFY(prompts.boxes.isEmpty());
    QCOMPARE(settingsText(), before);
    QVERIFY(w->Databasename.isEmpty());
    QVERIFY(!QFileInfo::exists(userDataFolder())); // the database was not even looked for
    QVERIFY(!w->isVisible());
}

void TestMain::shiftOverridesOncePerDay()
{
    ScriptedPrompts prompts;
    SaveSetting(QStringLiteral("StartOnce"), QStringLiteral("True"));
    SaveSetting(QStringLiteral("LastStart"), QStringLiteral("05/12/2026"));
    auto w = start({database(QStringLiteral("shift.mdb"), {})}, true);
    QVERIFY(m_loaded);
    QVERIFY(ShiftOverride);
    QVERIFY(w->mnuOptions->isChecked());
}

void TestMain::failedDatabaseStartWritesLastStart()
{
    ScriptedPrompts prompts;
    SaveSetting(QStringLiteral("StartOnce"), QStringLiteral("True"));
    SaveSetting(QStringLiteral("LastStart"), QStringLiteral("04/12/2026"));
    const QString quoted = QStringLiteral("\"/nowhere/x.MDB\"");
    auto w = start(QStringList{quoted});
    QVERIFY(!m_loaded);
    QCOMPARE(prompts.boxes.size(), 1);
    QCOMPARE(prompts.boxes[0].text, QStringLiteral("Error- Could not find file '") + quoted +
                                        QStringLiteral("'.-2147467259\r\n") + quoted);
    QCOMPARE(prompts.boxes[0].buttons, MsgButtons::OkOnly);
    QCOMPARE(GetSetting(QStringLiteral("LastStart"), {}), QStringLiteral("05/12/2026"));

    // A further start that day ends at once, with no box, unless Shift is held.
    auto again = start(QStringList{quoted});
    QVERIFY(!m_loaded);
    QCOMPARE(prompts.boxes.size(), 1);
    auto withShift = start(QStringList{quoted}, true);
    QVERIFY(!m_loaded);
    QCOMPARE(prompts.boxes.size(), 2);
}

void TestMain::nonDatabaseFileRefused()
{
    ScriptedPrompts prompts;
    // The per-user database is in fact a text file: refused, and left as it is.
    QDir().mkpath(userDataFolder());
    const QString path = userDataFolder() + QStringLiteral("/Almarik.MDB");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("shopping list\n");
    f.close();
    auto w = start({});
    QVERIFY(!m_loaded);
    QCOMPARE(prompts.boxes.size(), 1);
    QCOMPARE(prompts.boxes[0].text, QStringLiteral("Error- Unrecognized database format '") + path +
                                        QStringLiteral("'.-2147467259\r\n") + path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("shopping list\n"));
}

void TestMain::purgeAfterFill()
{
    ScriptedPrompts prompts;
    const QString path = database(QStringLiteral("purge.mdb"),
                                  {"(#12/20/2019#, 'reminder', 'Old one-off', Null, True)",
                                   "(#12/04/2026#, 'reminder', 'Yesterday once', Null, True)",
                                   "(#12/02/2026#, 'reminder', 'Gone once', Null, True)"});
    auto w = start({path});
    QVERIFY(m_loaded);
    // Listed at this start, deleted by the purge that follows the fill.
    QCOMPARE(w->Grid->TextMatrix(1, 0), QStringLiteral("Old one-off"));
    RecordSet rs;
    rs.Open(QStringLiteral("SELECT * FROM Calendar ORDER BY Dates"), dbConnection);
    QCOMPARE(rs.RecordCount(), 1);
    QCOMPARE(rs.Fields(QStringLiteral("Description")).toString(), QStringLiteral("Yesterday once"));
}

void TestMain::failingRowsReported()
{
    ScriptedPrompts prompts;
    const QString path =
        database(QStringLiteral("nulls.mdb"), {"(Null, 'birthday', 'No date 1', Null, False)",
                                               "(#12/06/2000#, 'birthday', 'Fine', Null, False)",
                                               "(Null, 'birthday', 'No date 2', Null, False)"});
    auto w = start({path});
    QVERIFY(m_loaded);
    QCOMPARE(prompts.boxes.size(), 1);
    QCOMPARE(prompts.boxes[0].text,
             QStringLiteral("Invalid use of Null\r\nThe database may require "
                            "repair. Use the option under the File Menu"));
    QCOMPARE(prompts.boxes[0].title, QStringLiteral("Almarik"));
    QCOMPARE(w->Grid->Rows(), 2);
    QCOMPARE(w->Grid->TextMatrix(1, 0), QStringLiteral("Fine"));
}

void TestMain::menus()
{
    Main w;
    QCOMPARE(captions(w.menuBar()->actions()), (QStringList{"&File", "&Options", "E&xit"}));
    QCOMPARE(w.mnuFile->title(), QStringLiteral("&File"));
    QCOMPARE(captions(w.mnuFile->actions()),
             (QStringList{"Event Editor", "Database Repair", "Wallpaper Selector", "Registry Tool",
                          "Check for Update", "About", "Exit"}));
    for (int i = 0; i < 7; ++i)
        QCOMPARE(w.mnuFile->actions()[i], w.mnuEdit[size_t(i)]);
    for (int i : {0, 1, 3, 6})
        QVERIFY(w.mnuEdit[size_t(i)]->isEnabled());
    for (int i : {2, 4, 5})
        QVERIFY2(!w.mnuEdit[size_t(i)]->isEnabled(), "no window behind it yet");
    QCOMPARE(w.mnuOpt->title(), QStringLiteral("&Options"));
    QCOMPARE(captions(w.mnuOpt->actions()),
             (QStringList{"Only Start Once per day", "Show recent events", "Change Wallpaper",
                          "Registry tasks on Startup", "-", "Colours"}));
    QCOMPARE(w.mnuOpt->actions()[4], w.mnuSpace);
    QCOMPARE(w.mnuOpt->actions()[5]->menu(), w.mnuColours);
    for (QAction *a : {w.mnuOptions, w.mnuOption2, w.mnuWP, w.mnuRegedit})
        QVERIFY(a->isCheckable());
    QCOMPARE(captions(w.mnuColours->actions()),
             (QStringList{"Today", "1 Day", "2 Days", "3 Days", "Background", "Recent Events"}));
    QCOMPARE(w.mnuExit->text(), QStringLiteral("E&xit"));
    QCOMPARE(captions(w.mnuPop->actions()), (QStringList{"New", "Edit", "Delete"}));
    for (QAction *a : w.mnuPopup)
        QVERIFY(a->isEnabled());
    QVERIFY(!w.menuBar()->actions().contains(w.mnuPop->menuAction()));
}

void TestMain::switches_data()
{
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("key");
    QTest::newRow("Only Start Once per day") << 0 << "StartOnce";
    QTest::newRow("Show recent events") << 1 << "RecentEvents";
    QTest::newRow("Change Wallpaper") << 2 << "ChangeWallpaper";
    QTest::newRow("Registry tasks on Startup") << 3 << "RunRegTool";
}

void TestMain::switches()
{
    QFETCH(int, item);
    QFETCH(QString, key);
    ScriptedPrompts prompts;
    auto w = start({database(QStringLiteral("switch.mdb"), {})});
    QAction *action =
        std::array{w->mnuOptions, w->mnuOption2, w->mnuWP, w->mnuRegedit}[size_t(item)];
    QVERIFY(!action->isChecked());
    action->trigger(); // as the user's click reaches it
    QVERIFY(action->isChecked());
    QCOMPARE(GetSetting(key, {}), QStringLiteral("True"));
    action->trigger();
    QVERIFY(!action->isChecked());
    QCOMPARE(GetSetting(key, {}), QStringLiteral("False"));
    // The next start reads the switch back.
    SaveSetting(key, QStringLiteral("True"));
    auto next = start({database(QStringLiteral("switch.mdb"), {})});
    QAction *again =
        std::array{next->mnuOptions, next->mnuOption2, next->mnuWP, next->mnuRegedit}[size_t(item)];
    QVERIFY(again->isChecked());
}

void TestMain::recentEventsRefills()
{
    ScriptedPrompts prompts;
    auto w = start({database(QStringLiteral("recent.mdb"),
                             {"(#12/04/2026#, 'reminder', 'Yesterday', Null, False)",
                              "(#12/03/2010#, 'birthday', 'Two days ago', Null, False)",
                              "(#12/06/2010#, 'birthday', 'Tomorrow', Null, False)"})});
    QCOMPARE(w->Grid->Rows(), 2);
    w->mnuOption2_Click();
    QCOMPARE(GetSetting(QStringLiteral("RecentEvents"), {}), QStringLiteral("True"));
    MonthGrid &g = *w->Grid;
    QCOMPARE(g.Rows(), 4);
    QCOMPARE(g.TextMatrix(1, 0), QStringLiteral("Two days ago"));
    QCOMPARE(g.TextMatrix(1, 2), QStringLiteral("16 Years"));
    QCOMPARE(g.TextMatrix(1, 3), QStringLiteral("-2"));
    QCOMPARE(g.TextMatrix(2, 2), QStringLiteral("Yesterday"));
    QCOMPARE(g.monthModel().cellColour(2, 0), std::optional<QColor>(QColor(0xDF, 0xDF, 0xDF)));
    w->mnuOption2_Click();
    QCOMPARE(g.Rows(), 2);
}

void TestMain::colourChosen()
{
    ScriptedPrompts prompts;
    auto w = start({database(QStringLiteral("colour.mdb"),
                             {"(#12/05/2000#, 'birthday', 'Today', Null, False)"})});
    prompts.answer(QVariant::fromValue(quint32(0x0000FF))); // red
    w->mnuCol_Click(4);
    QCOMPARE(prompts.boxes.last().kind, QStringLiteral("colour"));
    QCOMPARE(prompts.boxes.last().text, QStringLiteral("0")); // the dialog starts black
    QCOMPARE(w->Grid->BackColor(), QColor(255, 0, 0));
    const QStringList stored = {"65280", "4227327", "6008319", "65535", "255", "14671839"};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(GetSetting(QStringLiteral("Colour") + QString::number(i), {}), stored[i]);
    prompts.answer(QVariant::fromValue(quint32(0xFF0000))); // blue
    w->mnuCol_Click(0);
    QCOMPARE(prompts.boxes.last().text, QStringLiteral("255")); // its last colour in this run
    QCOMPARE(w->Grid->monthModel().cellColour(1, 0), std::optional<QColor>(QColor(0, 0, 255)));
    QCOMPARE(GetSetting(QStringLiteral("Colour0"), {}), QStringLiteral("16711680"));
}

void TestMain::colourCancelled()
{
    ScriptedPrompts prompts;
    auto w = start({database(QStringLiteral("cancel.mdb"),
                             {"(#12/05/2000#, 'birthday', 'Today', Null, False)"})});
    prompts.answer(QVariant()); // Cancel
    w->mnuCol_Click(0);
    QCOMPARE(prompts.boxes.size(), 1);
    QCOMPARE(GetSetting(QStringLiteral("Colour0"), {}), QStringLiteral("65280"));
    QCOMPARE(GetSetting(QStringLiteral("Colour5"), {}), QStringLiteral("14671839"));
    QCOMPARE(w->Grid->monthModel().cellColour(1, 0), std::optional<QColor>(QColor(0, 255, 0)));
}

void TestMain::rightClick()
{
    ScriptedPrompts prompts;
    auto w = start(
        {database(QStringLiteral("right.mdb"), {"(#12/05/2000#, 'birthday', 'A', Null, False)",
                                                "(#12/06/2000#, Null, 'B', Null, False)",
                                                "(#12/07/2000#, 'birthday', 'C', Null, False)"})});
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    MonthGrid &g = *w->Grid;
    auto middle = [&](int r) { return g.RowPos(r) + g.RowHeight(r) / 2; };
    auto click = [&](int y) {
        QTest::mouseClick(g.viewport(), Qt::RightButton, {}, QPoint(10, y));
    };
    click(middle(2));
    QCOMPARE(g.Row(), 2);
    click(middle(0));
    QCOMPARE(g.Row(), 0);
    click(g.RowPos(3) + g.RowHeight(3) + 40); // below the last row
    QCOMPARE(g.Row(), 3);
    QCOMPARE(m_popups.size(), 3);
    QCOMPARE(m_popups.last(),
             g.viewport()->mapToGlobal(QPoint(10, g.RowPos(3) + g.RowHeight(3) + 40)));
    w->Grid_MouseDown(Qt::LeftButton, {}, QPoint(10, middle(1))); // only the right button acts
    QCOMPARE(g.Row(), 3);
    QCOMPARE(m_popups.size(), 3);
}

void TestMain::rightClickHeaderThenEdit()
{
    ScriptedPrompts prompts;
    auto w = start(
        {database(QStringLiteral("header.mdb"), {"(#12/05/2000#, 'birthday', 'A', Null, False)"})});
    w->Grid_MouseDown(Qt::RightButton, {}, QPoint(5, w->Grid->RowPos(0) + 1));
    QCOMPARE(w->Grid->Row(), 0);
    w->mnuPopup_Click(1); // nothing happens: the modal handler fails the test if called
    w->Grid_DblClick();
    QVERIFY(prompts.boxes.isEmpty());
}

void TestMain::popupNew()
{
    ScriptedPrompts prompts;
    auto w = start({database(QStringLiteral("new.mdb"), {})});
    QVariant dates;
    QVariant description;
    setModalHandler([&](QDialog &shown) {
        auto *single = qobject_cast<frmSingle *>(&shown);
        if (!single)
            return int(QDialog::Rejected);
        dates = single->oriDates;
        description = single->oriDescription;
        // The user saves a new event; the dialog writes it, the list shows it.
        dbConnection.Execute(kInsert +
                             QStringLiteral("(#12/08/1980#, 'birthday', 'Added', Null, False)"));
        return int(QDialog::Accepted);
    });
    QCOMPARE(w->Grid->Rows(), 1);
    w->mnuPopup[0]->trigger();
    QCOMPARE(dates.toDate(), kToday);
    QVERIFY(description.toString().isEmpty());
    QCOMPARE(w->Grid->Rows(), 2);
    QCOMPARE(w->Grid->TextMatrix(1, 0), QStringLiteral("Added"));
}

void TestMain::doubleClickEdits()
{
    ScriptedPrompts prompts;
    auto w = start({database(QStringLiteral("edit.mdb"),
                             {"(#12/05/2000#, 'birthday', 'First', Null, False)",
                              "(#12/09/1990#, 'holiday', 'Ann''s party', Null, False)"})});
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QList<QPair<QDate, QString>> opened;
    setModalHandler([&](QDialog &shown) {
        auto *single = qobject_cast<frmSingle *>(&shown);
        if (!single)
            return int(QDialog::Rejected);
        opened.append({single->oriDates.toDate(), single->oriDescription.toString()});
        dbConnection.Execute(QStringLiteral("UPDATE Calendar SET Description = 'Changed' WHERE "
                                            "Description = 'Ann''s party'"));
        return int(QDialog::Accepted);
    });
    MonthGrid &g = *w->Grid;
    // A double-click as the system delivers it: press, release, double-click, release.
    const QPoint at(10, g.RowPos(2) + g.RowHeight(2) / 2);
    QTest::mousePress(g.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(g.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(g.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(g.viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened[0].first, QDate(1990, 12, 9));
    QCOMPARE(opened[0].second, QStringLiteral("Ann's party"));
    QCOMPARE(g.TextMatrix(2, 0), QStringLiteral("Changed")); // refilled

    // "Edit" on the popup does the same for the row the right-click chose.
    w->Grid_MouseDown(Qt::RightButton, {}, QPoint(10, g.RowPos(1) + 2));
    w->mnuPopup[1]->trigger();
    QCOMPARE(opened.size(), 2);
    QCOMPARE(opened[1].first, QDate(2000, 12, 5));
    QCOMPARE(opened[1].second, QStringLiteral("First"));
}

void TestMain::popupDelete_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("confirmed") << 1 << true << QStringList{"Stays"};
    QTest::newRow("cancelled") << 1 << false << QStringList{"Goes", "Stays"};
    QTest::newRow("header row asks nothing") << 0 << false << QStringList{"Goes", "Stays"};
}

void TestMain::popupDelete()
{
    QFETCH(int, row);
    QFETCH(bool, confirm);
    QFETCH(QStringList, left);
    ScriptedPrompts prompts;
    prompts.setAutoOk(false);
    auto w = start({database(QStringLiteral("delete.mdb"),
                             {"(#12/05/2000#, 'birthday', 'Goes', Null, False)",
                              "(#12/06/2000#, 'birthday', 'Stays', Null, False)"})});
    w->Grid->setRow(row);
    if (row > 0)
        prompts.answer(QVariant::fromValue(confirm ? MsgResult::Ok : MsgResult::Cancel));
    w->mnuPopup[2]->trigger();
    QCOMPARE(prompts.pendingAnswers(), 0);
    QCOMPARE(prompts.boxes.size(), row > 0 ? 1 : 0);
    if (row > 0)
        QCOMPARE(prompts.boxes[0].text, QStringLiteral("OK to delete Goes ?"));
    QStringList listed;
    for (int r = 1; r < w->Grid->Rows(); ++r)
        listed << w->Grid->TextMatrix(r, 0);
    QCOMPARE(listed, left);
    RecordSet rs;
    rs.Open(QStringLiteral("SELECT * FROM Calendar"), dbConnection);
    QCOMPARE(rs.RecordCount(), int(left.size()));
}

void TestMain::eventEditorFromMenu()
{
    ScriptedPrompts prompts;
    auto w = start({database(QStringLiteral("editor.mdb"),
                             {"(#12/06/2000#, 'birthday', 'Listed', Null, False)",
                              "(#03/01/2000#, 'birthday', 'Later', Null, False)"})});
    bool shown = false;
    setModalHandler([&](QDialog &dialog) {
        if (!qobject_cast<Editor *>(&dialog))
            return int(QDialog::Rejected);
        shown = true;
        // The editor works on every event, by date, with no filter.
        [&] {
            QVERIFY(rsEditor.isOpen());
            QCOMPARE(rsEditor.source(), QStringLiteral("SELECT * FROM Calendar ORDER BY Dates"));
            QCOMPARE(rsEditor.Filter(), QString());
            QCOMPARE(rsEditor.RecordCount(), 2);
        }();
        dbConnection.Execute(kInsert +
                             QStringLiteral("(#12/10/2000#, 'holiday', 'Added', Null, False)"));
        return int(QDialog::Accepted);
    });
    w->mnuEdit[0]->trigger();
    QVERIFY(shown);
    QVERIFY(!rsEditor.isOpen());  // closed again once the editor has closed
    QCOMPARE(w->Grid->Rows(), 3); // and the list refilled
    QCOMPARE(w->Grid->TextMatrix(2, 0), QStringLiteral("Added"));
}

void TestMain::registryToolFromMenu()
{
    ScriptedPrompts prompts;
    auto w = start({database(QStringLiteral("regtool.mdb"), {})});
    bool shown = false;
    setModalHandler([&](QDialog &dialog) {
        shown = qobject_cast<frmRegTool *>(&dialog) != nullptr;
        return int(QDialog::Rejected);
    });
    w->mnuEdit[3]->trigger();
    QVERIFY(shown);
}

void TestMain::repairFromMenu()
{
    ScriptedPrompts prompts;
    auto w = start({database(QStringLiteral("repair.mdb"),
                             {"(#12/06/2000#, 'birthday', 'Kept', Null, False)"})});
    dbConnection.Execute(QStringLiteral("DROP TABLE Almarik_Type"));
    dbConnection.Execute(QStringLiteral("DROP TABLE Wallpapers"));
    dbConnection.Execute(kInsert +
                         QStringLiteral("(#12/07/2000#, 'birthday', 'New', Null, False)"));
    QCOMPARE(w->Grid->Rows(), 2);
    w->mnuEdit[1]->trigger();
    QVERIFY(prompts.boxes.isEmpty());
    QVERIFY(rsMonth.isOpen());
    QCOMPARE(rsMonth.source(), QStringLiteral("SELECT * FROM calendar"));
    RecordSet types;
    types.Open(QStringLiteral("SELECT * FROM Almarik_Type"), dbConnection);
    QCOMPARE(types.RecordCount(), 9);
    RecordSet walls;
    walls.Open(QStringLiteral("SELECT * FROM Wallpapers"), dbConnection);
    QCOMPARE(w->Grid->Rows(), 3); // refilled
    QCOMPARE(w->Grid->TextMatrix(2, 0), QStringLiteral("New"));
}

void TestMain::exits()
{
    ScriptedPrompts prompts;
    auto w = start({database(QStringLiteral("exit.mdb"), {})});
    w->mnuEdit[6]->trigger();
    QCOMPARE(m_ends, 1);
    w->mnuExit->trigger();
    QCOMPARE(m_ends, 2);
    w->show();
    w->close();
    QCOMPARE(m_ends, 3);
}

void TestMain::resizeLayout()
{
    ScriptedPrompts prompts;
    auto w = start({database(QStringLiteral("resize.mdb"), {})});
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    w->resize(801, 500);
    QTRY_COMPARE(w->centralWidget()->width(), 801);
    const QSize inner = w->centralWidget()->size();
    MonthGrid &g = *w->Grid;
    QCOMPARE(g.width(), inner.width() - twipsToPixels(30));
    QCOMPARE(g.height(), inner.height() - twipsToPixels(30));
    QCOMPARE(g.columnWidth(0), qRound(g.width() / 2.0));
    // The design's widths, widened only as far as the font needs.
    const int date = g.fittingWidth(QStringLiteral("00-00-0000"));
    QCOMPARE(g.columnWidth(1), std::max(twipsToPixels(900), date));
    QVERIFY(g.columnWidth(2) >= twipsToPixels(850));
    QVERIFY(g.columnWidth(2) >= g.fittingWidth(QStringLiteral("2 days ago")));
    QVERIFY(g.columnWidth(3) >= twipsToPixels(500));
    QVERIFY(g.columnWidth(3) < twipsToPixels(900));
}


void TestMain::wallpaperReadBeforeAnythingElse()
{
    ScriptedPrompts prompts;
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, QStringLiteral("Control Panel\\Desktop\\"),
                        QStringLiteral("Wallpaper"), QStringLiteral("/pictures/sea.jpg"), prompts));
    // Even a start that the once-a-day rule ends has read it.
    SaveSetting(QStringLiteral("StartOnce"), QStringLiteral("True"));
    SaveSetting(QStringLiteral("LastStart"), QStringLiteral("05/12/2026"));
    auto w = start({});
    QVERIFY(!m_loaded);
    QCOMPARE(w->currentWallpaper(), QStringLiteral("/pictures/sea.jpg"));
    QVERIFY(prompts.boxes.isEmpty());
}

void TestMain::registryTasksAtStart_data()
{
    QTest::addColumn<QString>("runRegTool");
    QTest::addColumn<bool>("runs");
    QTest::newRow("option on") << QStringLiteral("True") << true;
    QTest::newRow("option off") << QStringLiteral("False") << false;
    QTest::newRow("option never set") << QString() << false;
}

void TestMain::registryTasksAtStart()
{
    QFETCH(QString, runRegTool);
    QFETCH(bool, runs);
    ScriptedPrompts prompts;
    const QString key = QStringLiteral("Software\\AlmarikTest\\Run\\");
    if (!runRegTool.isNull())
        SaveSetting(QStringLiteral("RunRegTool"), runRegTool);
    const QString path = database(QStringLiteral("tasks.mdb"), {});
    {
        Connection db;
        db.Open(path);
        db.Execute(QStringLiteral("INSERT INTO RegEdit (hKey, SubKey, [Key], Task, NewValue) "
                                  "VALUES (-2147483647, '") +
                   key + QStringLiteral("', 'Tray', 'edit', '/usr/bin/tray')"));
    }
    DeleteRegKeyValue(HKEY_CURRENT_USER, key, QStringLiteral("Tray"), prompts);
    auto w = start({path});
    QVERIFY(m_loaded);
    QCOMPARE(w->mnuRegedit->isChecked(), runs);
    QCOMPARE(GetRegValue(HKEY_CURRENT_USER, key, QStringLiteral("Tray"), QStringLiteral("none"),
                         prompts),
             runs ? QStringLiteral("/usr/bin/tray") : QStringLiteral("none"));
    QVERIFY(prompts.boxes.isEmpty());
}

QTEST_MAIN(TestMain)
#include "tst_main.moc"
