// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up without a window: the last start's default, the colour table,
// the once-per-day rule, the search for the database, the messages of a
// failed search, and the purge of expired one-off events.

#include "editor/FileBytes.h"
#include "platform/AppError.h"
#include "platform/Files.h"
#include "platform/Settings.h"
#include "startup/AccessStart.h"
#include "startup/StartupDatabase.h"
#include "startup/StartupSettings.h"
#include "support/CalendarRows.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QSettings>
#include <QTest>
#include <sys/stat.h>

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void init();
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

private:
    TestEnv m_env;
};

void TestStartup::init()
{
    QSettings(QSettings::IniFormat, QSettings::UserScope, "Almarik2", "Almarik2")
        .remove("Settings");
    QDir(userDataFolder()).removeRecursively();
    QFile::remove(userDataFolder());
}

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

    const bool asked = found == QLatin1String("picked") || found == QLatin1String("cancelled");
    QCOMPARE(prompts.boxes.size(), asked ? 1 : 0);
    if (asked)
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
    QTest::newRow("permission denied") << 70 << "Error- Trouble 70\r\n/data/Almarik.MDB";
    QTest::newRow("other error") << 5 << "Error- Trouble 5\r\n/data/Almarik.MDB";
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
    const auto day = [](QDate today) {
        return purgeStatement(QDateTime(today, QTime(23, 59))).section(QLatin1Char('#'), 1, 1);
    };
    QCOMPARE(day(QDate(2027, 1, 1)), "12/30/2026");
    QCOMPARE(day(QDate(2028, 3, 1)), "02/28/2028");
    // That it runs is the main window test's; here, that a failure is shown
    // (the repair hint's full text is the month list test's) and the
    // start-up goes on.
    ScriptedPrompts prompts;
    Connection db;
    newDatabase(m_env.path("purge.mdb"), db);
    db.Execute("DROP TABLE Calendar");
    PurgeExpiredEvents(db, prompts, QDateTime(QDate(2026, 12, 10), QTime(12, 0)));
    const QString boxes = prompts.takeBoxes().join('\n');
    QVERIFY2(boxes.startsWith("Almarik (critical, OK): no such table: Calendar\r\nThe database "
                              "may require") &&
                 !boxes.contains("\nAlmarik"),
             qPrintable(boxes));
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
    QStringList shown = prompts.takeBoxes();
    for (QString &box : shown)
        box.replace(m_env.root(), "~");
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
        QVERIFY(convertAccessAtStart(path, prompts));
        QCOMPARE(prompts.takeBoxes(), QStringList());
    } else {
        QCOMPARE(fileBytes(path), before);
        QVERIFY(!QFileInfo::exists(accessBackupPath(path)));
        QCOMPARE(QDir(m_env.root()).entryList({"Almarik.MDB*"}, QDir::Files | QDir::Hidden),
                 QStringList{"Almarik.MDB"});
    }
}

QTEST_APPLESS_MAIN(TestStartup)
#include "tst_startup.moc"
