// Start-up without a window: settings and their defaults, the colour table,
// the once-per-day rule, the search for the database, the messages of a
// failed start, and the purge of expired one-off events.

#include "app/StartupDatabase.h"
#include "app/StartupSettings.h"
#include "platform/AppError.h"
#include "platform/Files.h"
#include "platform/Settings.h"
#include "store/Connection.h"
#include "store/RecordSet.h"
#include "store/Repair.h"
#include "store/SharedDb.h"
#include "support/ScriptedPrompts.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QSettings>
#include <QTest>

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void colourDefaults();
    void coloursRoundTrip();
    void colourNumberRefusesText();
    void optionDefaults();
    void optionsRead();
    void oncePerDay_data();
    void oncePerDay();
    void firstStartWhenNeverStarted();
    void lastStartWritten();
    void commandLineJoined();
    void commandLineTakenUnchanged();
    void programFolderFirst();
    void userFolderSecond();
    void firstStartCreatesDatabase();
    void creationFailsThenDialog();
    void dialogCancelled();
    void locateMessages_data();
    void locateMessages();
    void notADatabaseLeftUntouched();
    void purgeStatement_data();
    void purgeStatement();
    void purgeBoundary();
    void purgeFailure();

private:
    QString folder(const QString &name);
    static int count(Connection &db, const QString &where);
    TestEnv m_env;
};

void TestStartup::init()
{
    QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Almarik2"),
              QStringLiteral("Almarik2"))
        .remove(QStringLiteral("Settings"));
    QDir(userDataFolder()).removeRecursively();
    rsMonth.Close();
    dbConnection.Close();
}

QString TestStartup::folder(const QString &name)
{
    const QString path = m_env.path(name);
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return path;
}

int TestStartup::count(Connection &db, const QString &where)
{
    RecordSet rs;
    rs.Open(QStringLiteral("SELECT * FROM Calendar WHERE ") + where, db);
    return rs.RecordCount();
}

void TestStartup::colourDefaults()
{
    LoadColours();
    const QStringList expected = {"65280", "4227327", "6008319", "65535", "14941177", "14671839"};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(ColourTable[size_t(i)], expected[i]);
    QCOMPARE(colourNumber(0), 65280u);
}

void TestStartup::coloursRoundTrip()
{
    LoadColours();
    ColourTable[4] = QStringLiteral("255");
    SaveColours();
    for (int i = 0; i < 6; ++i)
        QCOMPARE(GetSetting(QStringLiteral("Colour") + QString::number(i), QStringLiteral("x")),
                 ColourTable[size_t(i)]);
    ColourTable[4].clear();
    LoadColours();
    QCOMPARE(colourNumber(4), 255u);
}

void TestStartup::colourNumberRefusesText()
{
    SaveSetting(QStringLiteral("Colour2"), QStringLiteral("orange"));
    LoadColours();
    try {
        colourNumber(2);
        QFAIL("a text that is no number was taken as a colour");
    } catch (const AppError &e) {
        QCOMPARE(e.number(), 13);
    }
}

void TestStartup::optionDefaults()
{
    const StartOptions o = readStartOptions();
    QVERIFY(!o.startOnce && !o.recentEvents && !o.changeWallpaper && !o.runRegTool);
    QCOMPARE(readLastStart(), QStringLiteral("01/01/2000"));
}

void TestStartup::optionsRead()
{
    SaveSetting(QStringLiteral("StartOnce"), QStringLiteral("True"));
    SaveSetting(QStringLiteral("RecentEvents"), QStringLiteral("False"));
    SaveSetting(QStringLiteral("ChangeWallpaper"), QStringLiteral("True"));
    const StartOptions o = readStartOptions();
    QVERIFY(o.startOnce);
    QVERIFY(!o.recentEvents);
    QVERIFY(o.changeWallpaper);
    QVERIFY(!o.runRegTool);
}

void TestStartup::oncePerDay_data()
{
    QTest::addColumn<bool>("firstStart");
    QTest::addColumn<QString>("lastStart");
    QTest::addColumn<bool>("startOnce");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<bool>("ends");
    // Today is 5 December 2026 in every row.
    QTest::newRow("started today, once a day") << false << "05/12/2026" << true << false << true;
    QTest::newRow("started today, Shift held") << false << "05/12/2026" << true << true << false;
    QTest::newRow("started today, option off") << false << "05/12/2026" << false << false << false;
    QTest::newRow("started yesterday") << false << "04/12/2026" << true << false << false;
    QTest::newRow("started on this day last year")
        << false << "05/12/2025" << true << false << false;
    QTest::newRow("month and day swapped") << false << "12/05/2026" << true << false << false;
    QTest::newRow("first start ever") << true << "05/12/2026" << true << false << false;
}

void TestStartup::oncePerDay()
{
    QFETCH(bool, firstStart);
    QFETCH(QString, lastStart);
    QFETCH(bool, startOnce);
    QFETCH(bool, shift);
    QTEST(endsAtOnce(firstStart, lastStart, QDate(2026, 12, 5), startOnce, shift), "ends");
}

void TestStartup::firstStartWhenNeverStarted()
{
    // The default LastStart is a real day; a first start on it still runs.
    QVERIFY(isFirstStart());
    QVERIFY(!endsAtOnce(isFirstStart(), readLastStart(), QDate(2000, 1, 1), true, false));
    writeLastStart(QDate(2000, 1, 1));
    QVERIFY(!isFirstStart());
    QVERIFY(endsAtOnce(isFirstStart(), readLastStart(), QDate(2000, 1, 1), true, false));
}

void TestStartup::lastStartWritten()
{
    writeLastStart(QDate(2026, 3, 7));
    QCOMPARE(GetSetting(QStringLiteral("LastStart"), {}), QStringLiteral("07/03/2026"));
}

void TestStartup::commandLineJoined()
{
    QCOMPARE(commandLineText({"/home/a/My", "Events.MDB"}),
             QStringLiteral("/home/a/My Events.MDB"));
    QCOMPARE(commandLineText({}), QString());
}

void TestStartup::commandLineTakenUnchanged()
{
    ScriptedPrompts prompts;
    const QString program = folder(QStringLiteral("program"));
    CreateDatabase(program + QStringLiteral("/Almarik.MDB"));
    const QString quoted = QStringLiteral("\"/nowhere/x.MDB\"");
    QCOMPARE(LocateDatabase(quoted, program, prompts), quoted);
    QVERIFY(prompts.boxes.isEmpty());
    QVERIFY(!QFileInfo::exists(userDataFolder()));
}

void TestStartup::programFolderFirst()
{
    ScriptedPrompts prompts;
    const QString program = folder(QStringLiteral("program"));
    const QString beside = program + QStringLiteral("/Almarik.MDB");
    CreateDatabase(beside);
    QDir().mkpath(userDataFolder());
    CreateDatabase(userDataFolder() + QStringLiteral("/Almarik.MDB"));
    QCOMPARE(LocateDatabase(QString(), program, prompts), beside);
    QVERIFY(prompts.boxes.isEmpty());
}

void TestStartup::userFolderSecond()
{
    ScriptedPrompts prompts;
    const QString program = folder(QStringLiteral("program"));
    QDir().mkpath(userDataFolder());
    const QString own = userDataFolder() + QStringLiteral("/Almarik.MDB");
    CreateDatabase(own);
    QCOMPARE(LocateDatabase(QString(), program, prompts), own);
    QVERIFY(prompts.boxes.isEmpty());
}

void TestStartup::firstStartCreatesDatabase()
{
    ScriptedPrompts prompts;
    const QString program = folder(QStringLiteral("program"));
    const QString own = userDataFolder() + QStringLiteral("/Almarik.MDB");
    QVERIFY(!QFileInfo::exists(userDataFolder()));
    QCOMPARE(LocateDatabase(QString(), program, prompts), own);
    QVERIFY(prompts.boxes.isEmpty());
    QVERIFY(!QFileInfo::exists(program + QStringLiteral("/Almarik.MDB")));
    Connection db;
    db.Open(own);
    RecordSet types;
    types.Open(QStringLiteral("SELECT * FROM Almarik_Type"), db);
    QCOMPARE(types.RecordCount(), 9);
    QCOMPARE(count(db, QStringLiteral("1 = 1")), 0);
}

void TestStartup::creationFailsThenDialog()
{
    ScriptedPrompts prompts;
    const QString program = folder(QStringLiteral("program"));
    // A plain file where the data folder should be: nothing can be made there.
    QDir().mkpath(QFileInfo(userDataFolder()).absolutePath());
    QFile blocker(userDataFolder());
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.write("not a folder");
    blocker.close();
    prompts.answer(QStringLiteral("/picked/Events.mdb"));
    QCOMPARE(LocateDatabase(QString(), program, prompts), QStringLiteral("/picked/Events.mdb"));
    QCOMPARE(prompts.boxes.size(), 1);
    const RecordedBox &box = prompts.boxes[0];
    QCOMPARE(box.kind, QStringLiteral("open"));
    QCOMPARE(box.title, QStringLiteral("Select Almarik DataBase"));
    QCOMPARE(box.extra, QStringLiteral("Access Databases(*.mdb)|*.mdb|All Files (*.*)|*.*|") +
                            program + QStringLiteral("|Almarik.MDB"));
    QFile::remove(userDataFolder());
}

void TestStartup::dialogCancelled()
{
    ScriptedPrompts prompts;
    const QString program = folder(QStringLiteral("program"));
    QDir().mkpath(userDataFolder() +
                  QStringLiteral("/Almarik.MDB")); // a folder: no file, no creation
    prompts.answer(QVariant());
    try {
        LocateDatabase(QString(), program, prompts);
        QFAIL("a cancelled dialog gave a database");
    } catch (const AppError &e) {
        QCOMPARE(e.number(), ErrNo::DialogCancelled);
        QCOMPARE(locateFailureMessage(e, QString()), QString());
    }
}

void TestStartup::locateMessages_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("message");
    const QString access = QStringLiteral("Database access Error, unable to load. ");
    for (int n : {52, 53, 57, 64, 71, 72, 75, 76})
        QTest::addRow("file error %d", n)
            << n << "Some file trouble" << access + "Some file trouble " + QString::number(n);
    QTest::newRow("permission denied") << 70 << "Permission denied"
                                       << "Error- Permission denied 70\r\n/data/Almarik.MDB";
    QTest::newRow("other error")
        << 5 << "Invalid procedure call or argument"
        << "Error- Invalid procedure call or argument 5\r\n/data/Almarik.MDB";
}

void TestStartup::locateMessages()
{
    QFETCH(int, number);
    QFETCH(QString, description);
    QTEST(locateFailureMessage(AppError(number, description), QStringLiteral("/data/Almarik.MDB")),
          "message");
}

void TestStartup::notADatabaseLeftUntouched()
{
    const QString path = m_env.path(QStringLiteral("notes.MDB"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    const QByteArray content = "These are my notes, not a database.\n";
    file.write(content);
    file.close();
    try {
        OpenMonthDatabase(path);
        QFAIL("a text file opened as a database");
    } catch (const AppError &e) {
        QCOMPARE(openFailureMessage(e, path),
                 QStringLiteral("Error- Unrecognized database format '") + path +
                     QStringLiteral("'.-2147467259\r\n") + path);
    }
    QVERIFY(!rsMonth.isOpen());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), content);
}

void TestStartup::purgeStatement_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("statement");
    const QString head = QStringLiteral("DELETE FROM Calendar WHERE ShowOnce = TRUE AND Dates < #");
    QTest::newRow("10 December") << QDateTime(QDate(2026, 12, 10), QTime(9, 30))
                                 << head + "12/08/2026#";
    QTest::newRow("just after midnight")
        << QDateTime(QDate(2026, 12, 10), QTime(0, 0, 1)) << head + "12/08/2026#";
    QTest::newRow("across New Year")
        << QDateTime(QDate(2027, 1, 1), QTime(12, 0)) << head + "12/30/2026#";
    QTest::newRow("1 March of a leap year")
        << QDateTime(QDate(2028, 3, 1), QTime(8, 0)) << head + "02/28/2028#";
}

void TestStartup::purgeStatement()
{
    QFETCH(QDateTime, now);
    QTEST(::purgeStatement(now), "statement");
}

void TestStartup::purgeBoundary()
{
    ScriptedPrompts prompts;
    const QString path = m_env.path(QStringLiteral("purge.mdb"));
    QFile::remove(path);
    CreateDatabase(path);
    Connection db;
    db.Open(path);
    const QString insert =
        QStringLiteral("INSERT INTO Calendar (Dates,icon,Description,Details,ShowOnce) VALUES ");
    db.Execute(insert + "(#12/07/2026#, Null, 'once on the 7th', Null, True)");
    db.Execute(insert + "(#12/08/2026#, Null, 'once on the 8th', Null, True)");
    db.Execute(insert + "(#12/09/2026#, Null, 'once on the 9th', Null, True)");
    db.Execute(insert + "(#11/30/2019#, Null, 'once years ago', Null, True)");
    db.Execute(insert + "(#12/07/2020#, Null, 'yearly on the 7th', Null, False)");
    PurgeExpiredEvents(db, prompts, QDateTime(QDate(2026, 12, 10), QTime(23, 59)));
    QVERIFY(prompts.boxes.isEmpty());
    QCOMPARE(count(db, QStringLiteral("Description = 'once on the 7th'")), 0);
    QCOMPARE(count(db, QStringLiteral("Description = 'once years ago'")), 0);
    QCOMPARE(count(db, QStringLiteral("Description = 'once on the 8th'")), 1);
    QCOMPARE(count(db, QStringLiteral("Description = 'once on the 9th'")), 1);
    QCOMPARE(count(db, QStringLiteral("Description = 'yearly on the 7th'")), 1);
}

void TestStartup::purgeFailure()
{
    ScriptedPrompts prompts;
    const QString path = m_env.path(QStringLiteral("bare.mdb"));
    QFile::remove(path);
    Connection db;
    db.Create(path); // no tables at all
    PurgeExpiredEvents(db, prompts, QDateTime(QDate(2026, 12, 10), QTime(12, 0)));
    QCOMPARE(prompts.boxes.size(), 1);
    QCOMPARE(prompts.boxes[0].text,
             QStringLiteral("no such table: Calendar\r\nThe database may require repair. Use the "
                            "option under the File Menu"));
    QCOMPARE(prompts.boxes[0].title, QStringLiteral("Almarik"));
    QCOMPARE(prompts.boxes[0].buttons, MsgButtons::OkOnly);
}

QTEST_APPLESS_MAIN(TestStartup)
#include "tst_startup.moc"
