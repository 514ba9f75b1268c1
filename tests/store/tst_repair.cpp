// The database repair: what an empty or partial file gains, what it never
// loses, the boxes a failing step shows, and a brand-new database.

#include "StoreFixture.h"
#include "store/DbError.h"
#include "store/RecordSet.h"
#include "support/ScriptedPrompts.h"

#include <QDir>
#include <QTest>
#include <unistd.h>

using namespace fixture;

class TestRepair : public QObject
{
    Q_OBJECT
private slots:
    void emptyFileGainsEverything_data();
    void emptyFileGainsEverything();
    void typeRowsInOrder();
    void calendarLackingColumns_data();
    void calendarLackingColumns();
    void secondRepairChangesNothing();
    void lowerCaseTypeTableCounts();
    void renamedDisplayNameSurvives();
    void failingStepsShowBoxes_data();
    void failingStepsShowBoxes();
    void calendarFailureEndsQuietly();
    void createDatabaseRefusesExisting();
    void createDatabaseFailureLeavesNothing();
};

namespace {

// "name TYPE" for each column, in order, as SQLite declares them.
QStringList columns(const QString &path, const QString &table)
{
    QStringList out;
    for (const QString &row :
         rawRows(path, QStringLiteral("SELECT name, type FROM pragma_table_info('") + table +
                           QStringLiteral("')")))
        out << row.split(QLatin1Char('|')).join(QLatin1Char(' '));
    return out;
}

QStringList tables(const QString &path)
{
    return rawRows(path, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND "
                                        "name NOT LIKE 'sqlite%' ORDER BY name COLLATE NOCASE"));
}

const QStringList kTypeRows = {
    "anniversary|Anniversary", "bike_race|Bike Race", "birthday|Birthday",
    "car_race|Car Race",       "holiday|Holiday",     "memorial|Memorial",
    "reminder|Reminder",       "unknown|Unknown",     "doctor|Doctor"};

// An empty file, opened; the repair then works on it.
QString emptyDatabase(const TestEnv &env, Connection &db)
{
    const QString path = env.path(QStringLiteral("Almarik.MDB"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.close();
    db.Open(Connection::connectionStringFor(path));
    return path;
}

void exec(Connection &db, const char *sql)
{
    auto stmt = db.prepare(QString::fromUtf8(sql));
    db.check(sqlite3_step(stmt.get()));
}

} // namespace

void TestRepair::emptyFileGainsEverything_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("Calendar") << "Calendar"
                              << QStringList{"Dates DATETIME", "Icon VARCHAR(15)",
                                             "Description VARCHAR(50)", "Details LONGTEXT",
                                             "ShowOnce YESNO"};
    QTest::newRow("Almarik_Type") << "Almarik_Type"
                                  << QStringList{"icon VARCHAR(15)", "descr VARCHAR(50)"};
    QTest::newRow("Wallpapers") << "Wallpapers"
                                << QStringList{"FileName VARCHAR(255)", "path LONGTEXT",
                                               "Active YESNO", "ID INTEGER"};
    QTest::newRow("RegEdit") << "RegEdit"
                             << QStringList{"hKey CURRENCY", "SubKey LONGTEXT", "Key VARCHAR(255)",
                                            "Task VARCHAR(50)", "NewValue VARCHAR(255)"};
}

void TestRepair::emptyFileGainsEverything()
{
    QFETCH(QString, table);
    QFETCH(QStringList, expected);
    TestEnv env;
    ScriptedPrompts prompts;
    Connection db;
    const QString path = emptyDatabase(env, db);
    RepairDatabase(db, prompts);
    QCOMPARE(prompts.boxes.size(), 0);
    QCOMPARE(tables(path), (QStringList{"Almarik_Type", "Calendar", "RegEdit", "Wallpapers"}));
    QCOMPARE(columns(path, table), expected);
    QCOMPARE(rawRows(path, QStringLiteral("SELECT count(*) FROM Calendar")), QStringList{"0"});
}

void TestRepair::typeRowsInOrder()
{
    TestEnv env;
    ScriptedPrompts prompts;
    Connection db;
    const QString path = emptyDatabase(env, db);
    RepairDatabase(db, prompts);
    QCOMPARE(rawRows(path, QStringLiteral("SELECT icon, descr FROM Almarik_Type ORDER BY rowid")),
             kTypeRows);
    // The new Wallpapers table numbers its rows itself.
    db.Execute(QStringLiteral(
        "INSERT INTO WallPapers (FileName,Path,Active) Values ('a.bmp', '/p', TRUE)"));
    db.Execute(QStringLiteral(
        "INSERT INTO WallPapers (FileName,Path,Active) Values ('b.bmp', '/p', TRUE)"));
    QCOMPARE(rawRows(path, QStringLiteral("SELECT ID, FileName, Active FROM Wallpapers")),
             (QStringList{"1|a.bmp|-1", "2|b.bmp|-1"}));
}

void TestRepair::calendarLackingColumns_data()
{
    QTest::addColumn<QString>("create");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("only ShowOnce missing")
        << "CREATE TABLE Calendar (Dates DATETIME, Icon VARCHAR(15) COLLATE NOCASE, Description "
           "VARCHAR(50) COLLATE NOCASE, Details LONGTEXT COLLATE NOCASE)"
        << QStringList{"Dates DATETIME", "Icon VARCHAR(15)", "Description VARCHAR(50)",
                       "Details LONGTEXT", "ShowOnce YESNO"};
    QTest::newRow("Icon and Details added later are 50 and 255")
        << "CREATE TABLE Calendar (Dates DATETIME, Description VARCHAR(50), ShowOnce YESNO)"
        << QStringList{"Dates DATETIME", "Description VARCHAR(50)", "ShowOnce YESNO",
                       "Icon VARCHAR(50)", "Details VARCHAR(255)"};
    QTest::newRow("column names in another case count")
        << "CREATE TABLE calendar (DATES DATETIME, icon VARCHAR(15), description VARCHAR(50), "
           "details "
           "LONGTEXT, showonce YESNO)"
        << QStringList{"DATES DATETIME", "icon VARCHAR(15)", "description VARCHAR(50)",
                       "details LONGTEXT", "showonce YESNO"};
}

void TestRepair::calendarLackingColumns()
{
    QFETCH(QString, create);
    QFETCH(QStringList, expected);
    TestEnv env;
    ScriptedPrompts prompts;
    Connection db;
    const QString path = emptyDatabase(env, db);
    exec(db, create.toUtf8().constData());
    exec(db, "INSERT INTO Calendar (Dates, Description) VALUES ('2026-07-04', 'Ann')");
    RepairDatabase(db, prompts);
    QCOMPARE(prompts.boxes.size(), 0);
    QCOMPARE(columns(path, QStringLiteral("Calendar")), expected);
    QCOMPARE(tables(path).join(QLatin1Char(',')).toLower(),
             QStringLiteral("almarik_type,calendar,regedit,wallpapers"));

    // The old row is kept and reads as not show-once.
    RecordSet rs;
    rs.Open(QStringLiteral("SELECT * FROM calendar"), db, adOpenDynamic, adLockOptimistic);
    QCOMPARE(rs.RecordCount(), 1);
    QCOMPARE(rs.Fields(QStringLiteral("Dates")), QVariant(QDate(2026, 7, 4)));
    QCOMPARE(rs.Fields(QStringLiteral("Description")), QVariant(QStringLiteral("Ann")));
    QVERIFY(!rs.Fields(QStringLiteral("ShowOnce")).toBool());
    QVERIFY(rs.Fields(QStringLiteral("icon")).isNull());
}

void TestRepair::secondRepairChangesNothing()
{
    TestEnv env;
    ScriptedPrompts prompts;
    Connection db;
    const QString path = emptyDatabase(env, db);
    RepairDatabase(db, prompts);
    addEvent(db, QDate(2026, 7, 4), QStringLiteral("birthday"), QStringLiteral("Ann"));
    const QByteArray before = fileBytes(path);
    const QStringList schema = rawRows(path, QStringLiteral("SELECT sql FROM sqlite_master"));
    RepairDatabase(db, prompts);
    QCOMPARE(prompts.boxes.size(), 0);
    QCOMPARE(rawRows(path, QStringLiteral("SELECT sql FROM sqlite_master")), schema);
    QCOMPARE(rawRows(path, QStringLiteral("SELECT count(*) FROM Almarik_Type")), QStringList{"9"});
    QVERIFY(fileBytes(path) == before);
}

void TestRepair::lowerCaseTypeTableCounts()
{
    TestEnv env;
    ScriptedPrompts prompts;
    Connection db;
    const QString path = emptyDatabase(env, db);
    exec(db, "CREATE TABLE almarik_type (icon VARCHAR(15), descr VARCHAR(50))");
    exec(db, "INSERT INTO almarik_type VALUES ('holiday', 'Holiday')");
    RepairDatabase(db, prompts);
    QCOMPARE(prompts.boxes.size(), 0); // creating it again would have failed with a box
    QCOMPARE(rawRows(path, QStringLiteral(
                               "SELECT name FROM sqlite_master WHERE name LIKE 'almarik_type'")),
             QStringList{"almarik_type"});
    QCOMPARE(rawRows(path, QStringLiteral("SELECT icon FROM almarik_type ORDER BY rowid")),
             (QStringList{"holiday", "anniversary", "bike_race", "birthday", "car_race", "memorial",
                          "reminder", "unknown", "doctor"}));
}

void TestRepair::renamedDisplayNameSurvives()
{
    TestEnv env;
    ScriptedPrompts prompts;
    Connection db;
    const QString path = emptyDatabase(env, db);
    RepairDatabase(db, prompts);
    db.Execute(
        QStringLiteral("UPDATE Almarik_Type SET descr = 'Geburtstag' WHERE icon = 'birthday'"));
    db.Execute(QStringLiteral("DELETE FROM Almarik_Type WHERE icon = 'doctor'"));
    RepairDatabase(db, prompts);
    QCOMPARE(prompts.boxes.size(), 0);
    QStringList expected = kTypeRows;
    expected[2] = QStringLiteral("birthday|Geburtstag");
    QCOMPARE(rawRows(path, QStringLiteral("SELECT icon, descr FROM Almarik_Type ORDER BY rowid")),
             expected);
}

void TestRepair::failingStepsShowBoxes_data()
{
    QTest::addColumn<QString>("blocked"); // an index of that name stops the table's creation
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QStringList>("made"); // the tables that exist afterwards

    QStringList typeBoxes{"Error Creating Almarik Type Table"};
    for (int i = 0; i < 9; ++i)
        typeBoxes << QStringLiteral("Error Creating Almarik Type values");
    QTest::newRow("type table") << "Almarik_Type" << typeBoxes
                                << "there is already an index named Almarik_Type"
                                << QStringList{"Calendar", "RegEdit", "t", "Wallpapers"};
    QTest::newRow("wallpapers table")
        << "Wallpapers" << QStringList{"Error Creating Wallpapers Table"}
        << "there is already an index named Wallpapers"
        << QStringList{"Almarik_Type", "Calendar", "RegEdit", "t"};
    QTest::newRow("task table") << "RegEdit" << QStringList{"Error Creating RegEdit Table"}
                                << "there is already an index named RegEdit"
                                << QStringList{"Almarik_Type", "Calendar", "t", "Wallpapers"};
}

void TestRepair::failingStepsShowBoxes()
{
    QFETCH(QString, blocked);
    QFETCH(QStringList, titles);
    QFETCH(QString, description);
    QFETCH(QStringList, made);
    TestEnv env;
    ScriptedPrompts prompts;
    Connection db;
    const QString path = emptyDatabase(env, db);
    exec(db, "CREATE TABLE t (a)");
    exec(db, (QStringLiteral("CREATE INDEX ") + blocked + QStringLiteral(" ON t (a)"))
                 .toUtf8()
                 .constData());
    RepairDatabase(db, prompts);

    QStringList shown;
    for (const RecordedBox &box : prompts.boxes) {
        shown << box.title;
        QCOMPARE(box.kind, QStringLiteral("msg"));
        QCOMPARE(box.icon, MsgIcon::Critical);
        QCOMPARE(box.buttons, MsgButtons::OkOnly);
        if (box.title.endsWith(QLatin1String("Table")))
            QCOMPARE(box.text, description);
        else
            QCOMPARE(box.text, QStringLiteral("no such table: Almarik_Type"));
    }
    QCOMPARE(shown, titles);
    QCOMPARE(tables(path), made); // the repair went on after each box
}

void TestRepair::calendarFailureEndsQuietly()
{
    TestEnv env;
    ScriptedPrompts prompts;
    Connection db;
    const QString path = emptyDatabase(env, db);
    // A Calendar that cannot gain its missing column: the repair stops there.
    exec(db, "CREATE TABLE events (Dates DATETIME, Description VARCHAR(50))");
    exec(db, "CREATE VIEW Calendar AS SELECT * FROM events");
    RepairDatabase(db, prompts);
    QCOMPARE(prompts.boxes.size(), 0);
    QCOMPARE(tables(path), QStringList{"events"});
}

void TestRepair::createDatabaseRefusesExisting()
{
    TestEnv env;
    const QString path = env.path(QStringLiteral("Almarik.MDB"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("my own notes");
    f.close();
    try {
        CreateDatabase(path);
        QFAIL("overwrote an existing file");
    } catch (const DbError &e) {
        QCOMPARE(e.description(),
                 QStringLiteral("Database '") + path + QStringLiteral("' already exists."));
    }
    QCOMPARE(fileBytes(path), QByteArray("my own notes"));
    QCOMPARE(QDir(env.root()).entryList(QDir::Files | QDir::Hidden), QStringList{"Almarik.MDB"});

    // A new one is complete.
    const QString fresh = env.path(QStringLiteral("New.MDB"));
    CreateDatabase(fresh);
    QCOMPARE(tables(fresh), (QStringList{"Almarik_Type", "Calendar", "RegEdit", "Wallpapers"}));
    QCOMPARE(rawRows(fresh, QStringLiteral("SELECT icon, descr FROM Almarik_Type ORDER BY rowid")),
             kTypeRows);
    QCOMPARE(QDir(env.root()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"Almarik.MDB", "New.MDB"}));
}

void TestRepair::createDatabaseFailureLeavesNothing()
{
    TestEnv env;
    const QStringList before = QDir(env.root()).entryList(QDir::AllEntries | QDir::Hidden);
    const QString missing = env.path(QStringLiteral("nowhere/Almarik.MDB"));
    try {
        CreateDatabase(missing);
        QFAIL("created in a missing folder");
    } catch (const DbError &e) {
        QVERIFY2(e.description().contains(missing), qPrintable(e.description()));
        QVERIFY(!e.description().contains(QLatin1String(".new-")));
    }
    QFile notes(env.path(QStringLiteral("notes")));
    QVERIFY(notes.open(QIODevice::WriteOnly));
    notes.close();
    QVERIFY_THROWS_EXCEPTION(DbError,
                             CreateDatabase(env.path(QStringLiteral("notes/Almarik.MDB"))));
    QStringList expected = before;
    expected << QStringLiteral("notes");
    expected.sort();
    QStringList after = QDir(env.root()).entryList(QDir::AllEntries | QDir::Hidden);
    after.sort();
    QCOMPARE(after, expected);

    if (::geteuid() == 0)
        QSKIP("root may write into a read-only folder");
    const QString folder = env.path(QStringLiteral("locked"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    try {
        CreateDatabase(folder + QStringLiteral("/Almarik.MDB"));
        QFAIL("created in a read-only folder");
    } catch (const DbError &e) {
        QVERIFY(e.description().contains(folder + QStringLiteral("/Almarik.MDB")));
        QVERIFY(!e.description().contains(QLatin1String(".new-")));
    }
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{});
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QTEST_APPLESS_MAIN(TestRepair)
#include "tst_repair.moc"
