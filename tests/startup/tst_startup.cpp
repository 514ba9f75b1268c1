// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up without a window: the last start's default, the colour table,
// the once-per-day rule, the search for the database, the messages of a
// failed search, the purge of expired one-off events, and the month list's
// arithmetic (the thirty-day window, the next-year rule at year ends,
// 29 February, the recent days, the years and day texts, the colours),
// reading the list from a real Calendar table and its failures.

#include "editor/FileBytes.h"
#include "platform/AppError.h"
#include "platform/Files.h"
#include "platform/Settings.h"
#include "startup/AccessStart.h"
#include "startup/MonthList.h"
#include "startup/StartupDatabase.h"
#include "startup/StartupSettings.h"
#include "support/CalendarRows.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QSettings>
#include <QTest>
#include <sqlite3.h>
#include <sys/stat.h>

namespace {

// What follows each failure of the month list's fill and the purge.
const QString kRepairHint =
    QStringLiteral("\r\nThe database may require repair. Use the option under the File Menu");

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        QSettings(QSettings::IniFormat, QSettings::UserScope, "Almarik2", "Almarik2")
            .remove("Settings");
        QDir(userDataFolder()).removeRecursively();
        QFile::remove(userDataFolder());
    }
    void settings();
    void oncePerDay_data();
    void oncePerDay();
    void locate_data();
    void locate();
    void locateMessages_data();
    void locateMessages();
    void purge();
    void accessAtStart_data();
    void accessAtStart();
    void row_data();
    void row();
    void readList_data();
    void readList();
    void fillReport();

private:
    static QStringList read(const QStringList &statements);
    TestEnv m_env;
};

void TestStartup::settings()
{
    // Colour defaults and SaveColours are seen through the colour command,
    // the switches through the main window's.
    QCOMPARE(readLastStart(), "01/01/2000");

    // A colour is read as text; one that is no number is no colour.
    SaveSetting("Colour2", "orange");
    LoadColours();
    try {
        colourNumber(2);
        QFAIL("a text that is no number was taken as a colour");
    } catch (const AppError &e) {
        QCOMPARE(e.number(), 13);
    }
}

void TestStartup::oncePerDay_data()
{
    QTest::addColumn<QString>("lastStart"); // null: never started
    QTest::addColumn<bool>("startOnce");
    QTest::addColumn<bool>("ends");
    // Today is 5 December 2026 in every row but the last.
    QTest::newRow("started today, once a day") << "05/12/2026" << true << true;
    QTest::newRow("started today, option off") << "05/12/2026" << false << false;
    QTest::newRow("started yesterday") << "04/12/2026" << true << false;
    QTest::newRow("month and day swapped") << "12/05/2026" << true << false;
    QTest::newRow("first start ever, on the default day") << QString() << true << false;
}

void TestStartup::oncePerDay()
{
    QFETCH(QString, lastStart);
    QFETCH(bool, startOnce);
    const QDate today = lastStart.isNull() ? QDate(2000, 1, 1) : QDate(2026, 12, 5);
    if (!lastStart.isNull())
        SaveSetting("LastStart", lastStart);
    // That the day written by a start is read back, and Shift, are the main
    // window test's.
    QTEST(endsAtOnce(isFirstStart(), readLastStart(), today, startOnce, false), "ends");
}

void TestStartup::locate_data()
{
    // Where databases lie before the search: "program", "user" (the user's
    // data folder), "blocked" (a plain file where that folder should be),
    // "folder" (a folder named Almarik.MDB there). The result: "program",
    // "user", "picked" (the file dialog's answer), "cancelled" or the path.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QString>("found");
    auto row = [](const char *name, const QStringList &arguments, const QStringList &present,
                  const char *found) {
        QTest::newRow(name) << arguments << present << QString(found);
    };
    row("command line: arguments joined by blanks, quotes kept", {"\"/home/a/My", "Events.MDB\""},
        {"program", "user"}, "\"/home/a/My Events.MDB\"");
    row("program folder first", {}, {"program", "user"}, "program");
    row("then the user's data folder", {}, {"user"}, "user");
    row("first start creates it there", {}, {}, "user");
    row("creation fails: the dialog", {}, {"blocked"}, "picked");
    row("dialog cancelled", {}, {"folder"}, "cancelled");
    row("named pipe in the program folder", {}, {"pipe", "user"}, "program"); // not waited on
}

void TestStartup::locate()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, present);
    QFETCH(QString, found);
    ScriptedPrompts prompts;
    const QString program = m_env.path("program");
    QDir(program).removeRecursively();
    QDir().mkpath(program);
    const QString beside = program + "/Almarik.MDB";
    const QString own = userDataFolder() + "/Almarik.MDB";
    // Only whether something lies there counts; its content is not read.
    for (const QString &kind : present) {
        const QString at = kind == "program" || kind == "pipe" ? beside
                           : kind == "blocked"                 ? userDataFolder()
                                                               : own;
        QDir().mkpath(QFileInfo(at).absolutePath());
        if (kind == QLatin1String("pipe"))
            QCOMPARE(::mkfifo(QFile::encodeName(at).constData(), 0600), 0);
        else if (kind == QLatin1String("folder"))
            QDir().mkpath(at);
        else
            QVERIFY(QFile(at).open(QIODevice::WriteOnly));
    }
    prompts.answer(found == QLatin1String("picked") ? QVariant("/picked/Events.mdb") : QVariant());

    QString result;
    try {
        result = LocateDatabase(commandLineText(arguments), program, prompts);
    } catch (const AppError &e) {
        QCOMPARE(e.number(), ErrNo::DialogCancelled);
        QCOMPARE(locateFailureMessage(e, QString()), QString()); // ends quietly
        result = "cancelled";
    }
    const QMap<QString, QString> names = {
        {beside, "program"}, {own, "user"}, {"/picked/Events.mdb", "picked"}};
    QCOMPARE(names.value(result, result), found);

    QCOMPARE(prompts.boxes.size(), int(found == "picked" || found == "cancelled"));
    if (!prompts.boxes.isEmpty())
        QCOMPARE(prompts.boxes[0].kind + '|' + prompts.boxes[0].title + '|' +
                     prompts.boxes[0].extra,
                 "open|Select Almarik DataBase|Access Databases(*.mdb)|*.mdb|All Files (*.*)|*.*|" +
                     program + "|Almarik.MDB");
}

void TestStartup::locateMessages_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("message");
    for (int n : {52, 53, 57, 64, 71, 72, 75, 76})
        QTest::addRow("file error %d", n)
            << n << "Database access Error, unable to load. Trouble " + QString::number(n);
    // Any other error, a permission denied among them, names the file.
    QTest::newRow("permission denied") << 70 << "Error- Trouble 70\r\n/data/Almarik.MDB";
}

void TestStartup::locateMessages()
{
    QFETCH(int, number);
    // (A failed opening's message is met whole in the main window test.)
    QTEST(locateFailureMessage(AppError(number, "Trouble"), "/data/Almarik.MDB"), "message");
}

void TestStartup::purge()
{
    // One-off events up to the day before yesterday go, whatever the time.
    QCOMPARE(purgeStatement(QDateTime(QDate(2026, 12, 10), QTime(0, 0, 1))),
             "DELETE FROM Calendar WHERE ShowOnce <> FALSE AND Dates < #12/08/2026#");
    // That it runs is the main window test's; here, that a failure is shown,
    // once, and the start-up goes on.
    ScriptedPrompts prompts;
    Connection db;
    newDatabase(m_env.path("purge.mdb"), db);
    db.Execute("DROP TABLE Calendar");
    PurgeExpiredEvents(db, prompts, QDateTime(QDate(2026, 12, 10), QTime(12, 0)));
    QCOMPARE(prompts.takeBoxes(),
             QStringList{"Almarik (critical, OK): no such table: Calendar" + kRepairHint});
}

void TestStartup::accessAtStart_data()
{
    // The Windows version's file, the answer to the question, and what
    // follows: the boxes after the question, whether the start goes on.
    QTest::addColumn<QByteArray>("cut"); // the file's bytes from this size on are dropped
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<bool>("goesOn");
    const auto row = [](const char *name, const char *cut, bool ok, const QString &box,
                        bool goesOn) {
        QTest::newRow(name) << QByteArray(cut) << ok << QStringList{box} << goesOn;
    };
    row("converted", "", true,
        "Almarik (information, OK): Converted 15 events, 3 wallpapers and 2 registry tasks.\r\n1 "
        "event had a time of day; only its day was kept.",
        true);
    row("cancelled", "", false,
        "Almarik (information, OK): ~/Almarik.MDB was not converted, so Almarik cannot open it.",
        false);
    row("damaged", "90000", true,
        "Almarik (critical, OK): The Access database '~/Almarik.MDB' is damaged (it ends inside a "
        "page) and cannot be read.\r\n~/Almarik.MDB was not converted.",
        false);
}

void TestStartup::accessAtStart()
{
    QFETCH(QByteArray, cut);
    QFETCH(bool, ok);
    QFETCH(bool, goesOn);
    const QString path = m_env.path("Almarik.MDB");
    QFile::remove(path);
    QFile::remove(accessBackupPath(path));
    QVERIFY(QFile::copy(ACCESS_DATA "/Almarik-small.mdb", path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    if (!cut.isEmpty())
        QVERIFY(QFile::resize(path, cut.toLongLong()));
    const QByteArray before = fileBytes(path);
    ScriptedPrompts prompts;
    prompts.answer(QVariant::fromValue(ok ? MsgResult::Ok : MsgResult::Cancel));
    prompts.setAutoOk(true);
    QCOMPARE(convertAccessAtStart(path, prompts), goesOn);
    const QStringList shown = prompts.takeBoxes().replaceInStrings(m_env.root(), "~");
    QCOMPARE(shown.value(0), "Almarik (question, OK/Cancel): ~/Almarik.MDB was made by the "
                             "Windows version of Almarik. Convert it? The original is kept as "
                             "~/Almarik.MDB.access.");
    QTEST(shown.mid(1), "boxes");
    if (goesOn) {
        QCOMPARE(fileBytes(accessBackupPath(path)), before);
        Connection db;
        db.Open(Connection::connectionStringFor(path));
        QCOMPARE(calendarRows(db).size(), 15);
        // A second start finds its own database and asks nothing.
        QVERIFY(convertAccessAtStart(path, prompts) && prompts.takeBoxes().isEmpty());
    } else {
        QCOMPARE(fileBytes(path), before);
        // No backup nor any other file beside it.
        QCOMPARE(QDir(m_env.root()).entryList({"Almarik.MDB*"}, QDir::Files | QDir::Hidden),
                 QStringList{"Almarik.MDB"});
    }
}

void TestStartup::row_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QDate>("event");
    QTest::addColumn<bool>("recent");
    QTest::addColumn<int>("daysAhead"); // the list program's --days; the window's 30
    // "D|years text|day text|colour entry", or "" when not listed.
    QTest::addColumn<QString>("expected");
    const auto add = [](const char *name, QDate today, QDate event, bool recent, const char *row,
                        int daysAhead = 30) {
        QTest::newRow(name) << today << event << recent << daysAhead << QString::fromUtf8(row);
    };
    using D = QDate;
    add("leap 31 Dec: 1 Jan tomorrow", D(2028, 12, 31), D(1990, 1, 1), false, "1|39 Years| 1|1");
    add("today, this year", D(2026, 6, 15), D(2026, 6, 15), false, "0|Today!!| 0|0");
    add("tomorrow, this year", D(2026, 6, 15), D(2026, 6, 16), false, "1|Tomorrow!| 1|1");
    add("in three days, one year", D(2026, 6, 15), D(2025, 6, 18), false, "3|1 Year| 3|3");
    add("in 31 days", D(2026, 6, 15), D(2000, 7, 16), false, "");
    add("yesterday, recent off", D(2026, 6, 15), D(2026, 6, 14), false, "");
    add("yesterday, recent on", D(2026, 6, 15), D(2026, 6, 14), true, "-1|Yesterday|-1|5");
    add("two days ago, recent on", D(2026, 6, 15), D(2026, 6, 13), true, "-2|2 days ago|-2|5");
    add("three days ago, recent on", D(2026, 6, 15), D(2026, 6, 12), true, "");
    add("one-off next year", D(2026, 6, 15), D(2027, 6, 20), false, "5|in 1 Years| 5|-1");
    add("29 Feb on 28 Feb, common", D(2027, 2, 28), D(2000, 2, 29), false, "0|27 Years| 0|0");
    add("29 Feb on 1 Mar, common", D(2027, 3, 1), D(2000, 2, 29), true, "-1|27 Years|-1|5");
    add("29 Feb on 28 Feb, leap", D(2028, 2, 28), D(2000, 2, 29), false, "1|28 Years| 1|1");
    add("1604 (no year): no years count", D(2026, 6, 15), D(1604, 6, 15), false, "0|| 0|0");
    // Across the year end: the next year's anniversary, counted in its year.
    add("5 Dec: 4 Jan in 30 days", D(2026, 12, 5), D(1990, 1, 4), false, "30|37 Years| 30|-1");
    add("5 Dec: 5 Jan in 31 days", D(2026, 12, 5), D(1990, 1, 5), false, "");
    add("30 Dec: 1 Jan of next year is today's", D(2026, 12, 30), D(2027, 1, 1), false, "2|| 2|2");
    add("2 Jan, recent: 31 Dec is this year's", D(2027, 1, 2), D(2000, 12, 31), true, "");
    // 29 February judged by the leap of the year it falls in.
    add("29 Feb from a common 29 Jan", D(2027, 1, 29), D(2000, 2, 29), false, "30|27 Years| 30|-1");
    add("29 Feb from a leap 30 Jan", D(2028, 1, 30), D(2000, 2, 29), false, "30|28 Years| 30|-1");
    add("29 Feb next year, leap", D(2027, 12, 15), D(2000, 2, 29), false, "76|28 Years| 76|-1", 90);
    add("29 Feb next year, common", D(2026, 12, 15), D(2000, 2, 29), false, "75|27 Years| 75|-1",
        90);
    add("a longer window keeps yesterday", D(2026, 6, 15), D(2000, 6, 14), true, "-1|26 Years|-1|5",
        400);
    add("no days ahead: today only", D(2026, 6, 15), D(2000, 6, 16), false, "", 0);
}

void TestStartup::row()
{
    QFETCH(QDate, today);
    QFETCH(QDate, event);
    QFETCH(bool, recent);
    QFETCH(int, daysAhead);
    MonthRow r;
    QString got;
    // The date text is met whole in the list program's and the window's tests.
    if (MonthListRules(today, recent, daysAhead).rowFor(event, r))
        got = QStringList{QString::number(r.days), r.yearsText(), r.dayText(),
                          QString::number(r.colourIndex)}
                  .join(QLatin1Char('|'));
    QTEST(got, "expected");
}

// Reads the list on 5 December 2026 from a new database after the statements
// ran (one in parentheses is an event's values, "open" opens the set early);
// one line per listed row ("description|years|D|marker|icon") and one per
// failure.
QStringList TestStartup::read(const QStringList &statements)
{
    TestDatabase t;
    RecordSet rs;
    for (const QString &s : statements) {
        if (s == QLatin1String("open"))
            rs.Open("SELECT * FROM calendar", t.db, adOpenDynamic, adLockOptimistic);
        else if (s.startsWith(QLatin1Char('(')))
            addEvents(t.db, {s});
        else if (s.startsWith(QLatin1String("sqlite3: "))) // another program's table
            t.db.check(sqlite3_step(t.db.prepare(s.mid(9)).get()));
        else
            t.db.Execute(s);
    }
    if (!rs.isOpen())
        rs.Open("SELECT * FROM calendar", t.db, adOpenDynamic, adLockOptimistic);
    QStringList out;
    const auto rows = readMonthList(rs, QDate(2026, 12, 5), false, [&out](const AppError &e) {
        out << QStringLiteral("failed %1").arg(e.number());
    });
    if (!rows.empty() && !rs.isEOF())
        out << QStringLiteral("not after its last row");
    for (const MonthRow &r : rows)
        out << QStringList{r.description, r.yearsText(), r.dayText(),
                           r.showOnce ? "once" : QString(), r.hasIcon ? r.icon : "(null)"}
                   .join(QLatin1Char('|'));
    return out;
}

void TestStartup::readList_data()
{
    QTest::addColumn<QStringList>("statements");
    QTest::addColumn<QStringList>("expected");
    // New year walk is next year's; Dan comes after Bob, both today.
    QTest::newRow("listed in date order, a Null date reported and left out")
        << QStringList{"(#01/03/1990#, 'holiday', 'New year walk', Null, True)",
                       "(#12/05/2016#, 'Birthday', 'Bob', Null, False)",
                       "(#12/07/2020#, Null, 'Cleo', Null, False)",
                       "(#12/05/2026#, 'reminder', 'Dan', Null, False)",
                       "(Null, 'birthday', 'No date', Null, False)"}
        << QStringList{"failed 94", "Bob|10 Years| 0||Birthday", "Dan|Today!!| 0||reminder",
                       "Cleo|6 Years| 2||(null)", "New year walk|37 Years| 29|once|holiday"};
    QTest::newRow("no ShowOnce column: each listed row reports it, still listed")
        << QStringList{"DROP TABLE Calendar",
                       "CREATE TABLE Calendar (Dates DATETIME, Icon VARCHAR(15), Description "
                       "VARCHAR(50))",
                       "INSERT INTO Calendar VALUES (#12/06/1999#, 'birthday', 'Eve')"}
        << QStringList{"failed 3265", "Eve|27 Years| 1||birthday"};
    // Read when listed, not when opened; a stored time of day is no matter;
    // a text or number that is no stored date is a type mismatch; a Null
    // ShowOnce counts as false.
    QTest::newRow("what is stored in Dates and ShowOnce, and when it is read")
        << QStringList{"DROP TABLE Calendar",
                       "sqlite3: CREATE TABLE Calendar (Dates DATETIME, Icon VARCHAR(15), "
                       "Description VARCHAR(50), ShowOnce YESNO)",
                       "open",
                       "sqlite3: INSERT INTO Calendar (Dates, Description, ShowOnce) VALUES "
                       "('1999-12-06 23:59:59', 'Timed', 0), ('2027-02-29', 'No day', 0), "
                       "(45000, 'Number', 0), ('1999-12-06 24:00:00', 'No time', 0)",
                       "INSERT INTO Calendar VALUES (#12/06/1999#, Null, 'Gus', Null)"}
        << QStringList{"failed 13", "failed 13", "failed 13", "Timed|27 Years| 1||(null)",
                       "Gus|27 Years| 1||(null)"};
    QTest::newRow("a text column's date-like text is no date")
        << QStringList{"DROP TABLE Calendar",
                       "sqlite3: CREATE TABLE Calendar (Dates TEXT, Description VARCHAR(50))",
                       "sqlite3: INSERT INTO Calendar VALUES ('1999-12-06', 'Text')"}
        << QStringList{"failed 13"};
    QTest::newRow("a failed requery lists nothing, never an earlier reading")
        << QStringList{"(#12/06/1999#, 'birthday', 'Eve', Null, False)", "open",
                       "DROP TABLE Calendar"}
        << QStringList{"failed -2147217900"};
}

void TestStartup::readList()
{
    QFETCH(QStringList, statements);
    QTEST(read(statements), "expected");
}

void TestStartup::fillReport()
{
    // Each distinct failure once per fill, with the repair hint; a new fill
    // starts afresh.
    ScriptedPrompts prompts;
    const AppError damaged(13, "Type mismatch");
    FillFailure failed = fillFailureReport(prompts);
    for (const AppError &e : {damaged, AppError(94, "Invalid use of Null"), damaged})
        failed(e);
    fillFailureReport(prompts)(damaged);
    QCOMPARE(prompts.takeBoxes(),
             (QStringList{"Almarik (critical, OK): Type mismatch" + kRepairHint,
                          "Almarik (critical, OK): Invalid use of Null" + kRepairHint,
                          "Almarik (critical, OK): Type mismatch" + kRepairHint}));
}

QTEST_APPLESS_MAIN(TestStartup)
#include "tst_startup.moc"
