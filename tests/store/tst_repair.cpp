// SPDX-License-Identifier: GPL-3.0-or-later
// The database repair: what an empty or partial file gains, what it never
// loses, the boxes a failing step shows, and a brand-new database.

#include "StoreFixture.h"
#include "store/Repair.h"
#include "support/ScriptedPrompts.h"

#include <QDir>
#include <QTest>

using namespace fixture;

class TestRepair : public QObject
{
    Q_OBJECT
private slots:
    void emptyFileGainsEverything();
    void partialFile_data();
    void partialFile();
    void failingStepsShowBoxes();
    void typeChecksAdded();
    void othersTablesUntouched_data();
    void othersTablesUntouched();
};

namespace {

// "table.column TYPE" for every column of every table, as SQLite declares them.
QStringList schema(const QString &path)
{
    return rawRows(path, "SELECT m.name || '.' || c.name || ' ' || c.type FROM sqlite_master m, "
                         "pragma_table_info(m.name) c WHERE m.type = 'table' AND m.name NOT LIKE "
                         "'sqlite%' ORDER BY m.name COLLATE NOCASE, c.cid");
}

// A table's schema entries (its own, its indexes', its triggers'), then its rows.
QStringList tableDump(const QString &path, const QString &table)
{
    return rawRows(path, "SELECT sql FROM sqlite_master WHERE tbl_name = '" + table + "'") +
           rawRows(path, "SELECT * FROM " + table + " ORDER BY rowid");
}

// The type checks, and apart the size checks of sized text columns.
const QString kTriggers = QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'trigger' "
                                         "AND name NOT LIKE '% size on %' ORDER BY name");
const QString kSizeChecks = QStringLiteral(
    "SELECT name FROM sqlite_master WHERE type = 'trigger' AND name LIKE '% size on %'");
const QString kTypes = "SELECT icon, descr FROM Almarik_Type ORDER BY rowid";

// An empty file, opened, after the given statements, then repaired (when
// repair is true).
struct Repaired
{
    explicit Repaired(const QStringList &statements = {}, bool repair = true)
    {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.close();
        db.Open(Connection::connectionStringFor(path));
        for (const QString &sql : statements)
            raw(sql);
        if (repair)
            RepairDatabase(db, prompts);
    }
    // SQLite's own text, untranslated, as another program writes.
    void raw(const QString &sql) { runSql(db, "sqlite3: " + sql); }
    TestEnv env;
    ScriptedPrompts prompts;
    Connection db;
    const QString path = env.path("Almarik.MDB");
};

} // namespace

void TestRepair::emptyFileGainsEverything()
{
    Repaired t;
    QCOMPARE(t.prompts.boxes.size(), 0);
    // What each column's type does is the record set's and statements' concern.
    QCOMPARE(schema(t.path).size(), 16);
    QCOMPARE(rawRows(t.path, kTypes).size(), 9);
    QCOMPARE(rawRows(t.path, kTriggers).size(), 2 + 4 + 4); // a date's checks, two yes/no's
    QCOMPARE(rawRows(t.path, kSizeChecks).size(), 2 * 8);   // every text column but the long ones
    const QString made = t.env.path("Made.MDB");
    CreateDatabase(made); // the same, made under another name
    QCOMPARE(schema(made), schema(t.path));

    // An existing file or a missing folder is refused, and nothing is left behind.
    // (The open file's log and its index are the connection's.)
    const auto files = [&] {
        QStringList names = QDir(t.env.root()).entryList(QDir::Files | QDir::Hidden);
        names.removeAll("Almarik.MDB-wal");
        names.removeAll("Almarik.MDB-shm");
        return names.join(' ');
    };
    QCOMPARE(files(), "Almarik.MDB Made.MDB");
    const QByteArray bytes = fileBytes(made);
    QCOMPARE(thrown([&] { CreateDatabase(made); }).description(),
             "Database '" + made + "' already exists.");
    const QString nowhere = t.env.path("nowhere/Almarik.MDB");
    const QString missing = thrown([&] { CreateDatabase(nowhere); }).description();
    QVERIFY2(missing.contains(nowhere) && !missing.contains(QLatin1String(".new-")),
             qPrintable(missing));
    QCOMPARE(files(), "Almarik.MDB Made.MDB");
    QVERIFY(fileBytes(made) == bytes);
}

void TestRepair::partialFile_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("added");
    const auto row = [](const char *name, const char *table, const QStringList &added) {
        QTest::newRow(name) << QString(table) << added;
    };
    row("only ShowOnce missing",
        "Calendar (Dates DATETIME, Icon VARCHAR(15), Description VARCHAR(50), Details LONGTEXT)",
        {"Calendar.ShowOnce YESNO"});
    row("Icon and Details added later are 50 and 255",
        "Calendar (Dates DATETIME, Description VARCHAR(50), ShowOnce YESNO)",
        {"Calendar.Icon VARCHAR(50)", "Calendar.Details VARCHAR(255)"});
    row("names in another case count",
        "calendar (DATES DATETIME, icon VARCHAR(15), description VARCHAR(50), details LONGTEXT, "
        "showonce YESNO)",
        {});
}

void TestRepair::partialFile()
{
    QFETCH(QString, table);
    QFETCH(QStringList, added);
    // A type table named in lower case counts as present: creating it again
    // would fail with a box.
    Repaired t({"CREATE TABLE " + table,
                "INSERT INTO Calendar (Dates, Description) VALUES ('2026-07-04', 'Ann')",
                "CREATE TABLE almarik_type (icon VARCHAR(15), descr VARCHAR(50))",
                "INSERT INTO almarik_type VALUES ('holiday', 'Feiertag')"});
    QCOMPARE(schema(t.path).filter("calendar.", Qt::CaseInsensitive).mid(5 - int(added.size())),
             added);
    QCOMPARE(schema(t.path).size(), 11 + 5);
    QCOMPARE(rawRows(t.path, kTriggers).size(), 6 + 4); // a column added later is checked too
    // The old row is kept and reads as not show-once.
    QCOMPARE(rawRows(t.path, "SELECT Dates, Description, ifnull(ShowOnce, 0) FROM Calendar"),
             QStringList{"2026-07-04|Ann|0"});
    const QStringList types = rawRows(t.path, kTypes);
    QCOMPARE(types.size(), 9);
    QCOMPARE(types.filter("holiday|"), QStringList{"holiday|Feiertag"});
    // A deleted type comes back; a second repair then changes nothing, the
    // renamed display name included, and shows nothing.
    t.db.Execute("DELETE FROM Almarik_Type WHERE icon = 'doctor'");
    RepairDatabase(t.db, t.prompts);
    const QByteArray before = fileBytes(t.path);
    RepairDatabase(t.db, t.prompts);
    QVERIFY(fileBytes(t.path) == before);
    QCOMPARE(rawRows(t.path, kTypes), types);
    QCOMPARE(t.prompts.boxes.size(), 0);
}

void TestRepair::failingStepsShowBoxes()
{
    // An index of a table's name stops the table's creation.
    Repaired t({"CREATE TABLE t (a)", "CREATE INDEX Almarik_Type ON t (a)",
                "CREATE INDEX Wallpapers ON t (a)", "CREATE INDEX RegEdit ON t (a)"});
    // The repair went on after each box.
    const QString error = "Error Creating %1 (critical, OK): ";
    QStringList boxes{error.arg("Almarik Type Table") +
                      "there is already an index named Almarik_Type"};
    for (int i = 0; i < 9; ++i)
        boxes << error.arg("Almarik Type values") + "no such table: Almarik_Type";
    boxes << error.arg("Wallpapers Table") + "there is already an index named Wallpapers"
          << error.arg("RegEdit Table") + "there is already an index named RegEdit";
    QCOMPARE(t.prompts.takeBoxes(), boxes);

    // A Calendar that cannot gain its missing column: the repair stops
    // there, without a box.
    Repaired view({"CREATE TABLE events (Dates DATETIME, Description VARCHAR(50))",
                   "CREATE VIEW Calendar AS SELECT * FROM events"});
    QCOMPARE(view.prompts.boxes.size(), 0);
    QCOMPARE(rawRows(view.path, "SELECT name FROM sqlite_master WHERE type = 'table'"),
             QStringList{"events"});
}

void TestRepair::typeChecksAdded()
{
    // A Calendar made without the checks, holding values the checks would
    // change or refuse.
    Repaired t({"CREATE TABLE Calendar (Dates DATETIME, Icon VARCHAR(15), Description "
                "VARCHAR(50), Details LONGTEXT, ShowOnce YESNO)",
                "INSERT INTO Calendar (Dates, ShowOnce) VALUES ('2026-07-04', 1), ('soon', 0.5), "
                "('2026-07-06', 'abc'), ('2026-07-07', -1)"});
    QCOMPARE(rawRows(t.path, kTriggers).size(), 2 + 4 + 4); // Wallpapers' Active too
    // Non-zero numbers became -1; what is no number or no date is left alone.
    QCOMPARE(rawRows(t.path, "SELECT Dates, ShowOnce FROM Calendar"),
             (QStringList{"2026-07-04|-1", "soon|-1", "2026-07-06|abc", "2026-07-07|-1"}));
    QCOMPARE(thrown([&] { t.db.Execute("UPDATE Calendar SET ShowOnce = 'x'"); }).description(),
             "Data type mismatch in criteria expression.");
}

void TestRepair::othersTablesUntouched_data()
{
    QTest::addColumn<QStringList>("statements"); // another program's, before the repair
    QTest::addColumn<QString>("theirs");         // their table, which must not change
    QTest::addColumn<QString>("insert");         // their row, which must still go in
    QTest::addColumn<QString>("refused");        // the column refused; none when repaired
    // Values Almarik's checks would convert or refuse, beside own tables in their other forms.
    const auto row = [](const char *name, const QStringList &statements, const char *theirs,
                        const char *insert, const char *refused) {
        QTest::newRow(name) << statements << QString(theirs) << QString(insert) << QString(refused);
    };
    row("another table",
        {"CREATE TABLE calendar (Icon VARCHAR(50), Details VARCHAR(255))",
         "CREATE TABLE Wallpapers (FileName VARCHAR(255), path LONGTEXT, Active YESNO, ID INTEGER "
         "PRIMARY KEY AUTOINCREMENT)",
         "CREATE TABLE Tasks (done BOOLEAN, due DATE, name VARCHAR(5))",
         "INSERT INTO Tasks VALUES (1, '2026-07-04', 'a'), (2, '4 July', 'longer')"},
        "Tasks", "INSERT INTO Tasks VALUES ('yes', 'someday', 'longer')", "");
    row("a Calendar of another program",
        {"CREATE TABLE Calendar (id INTEGER PRIMARY KEY, Dates DATE, done BOOLEAN)",
         "INSERT INTO Calendar (Dates, done) VALUES ('2026-07-04', 1)"},
        "Calendar", "INSERT INTO Calendar (Dates, done) VALUES ('4 July', 'yes')", "id INTEGER");
    row("a Calendar whose ShowOnce is a text",
        {"CREATE TABLE Calendar (Dates DATETIME, ShowOnce TEXT)"}, "Calendar",
        "INSERT INTO Calendar VALUES ('4 July', 'no')", "ShowOnce TEXT");
    row("a Calendar of wider texts", {"CREATE TABLE Calendar (Description VARCHAR(80))"},
        "Calendar", "INSERT INTO Calendar VALUES ('4 July')", "Description VARCHAR(80)");
    row("Wallpapers of another program",
        {"CREATE TABLE Wallpapers (FileName VARCHAR(255), Active BOOLEAN, Width)",
         "INSERT INTO Wallpapers VALUES ('a.bmp', 1, 640)"},
        "Wallpapers", "INSERT INTO Wallpapers VALUES ('b.bmp', 'yes', 800)", "Width");
}

void TestRepair::othersTablesUntouched()
{
    QFETCH(QStringList, statements);
    QFETCH(QString, theirs);
    QFETCH(QString, insert);
    QFETCH(QString, refused);
    Repaired t(statements, false);
    const QByteArray bytes = fileBytes(t.path);
    const QStringList before = tableDump(t.path, theirs);
    RepairDatabase(t.db, t.prompts);
    const QString box = "Error Repairing Database (critical, OK): The table '" + theirs +
                        "' is not Almarik's: Almarik's table has no column '" + refused +
                        "'. The repair changed nothing.";
    QCOMPARE(t.prompts.takeBoxes(), refused.isEmpty() ? QStringList() : QStringList{box});
    if (refused.isEmpty())
        QCOMPARE(rawRows(t.path, kTypes).size(), 9);
    else
        QVERIFY(fileBytes(t.path) == bytes);
    // The program's own data definition checks only what it makes.
    t.db.Execute("CREATE TABLE Notes (Seen YESNO)");
    QCOMPARE(tableDump(t.path, theirs), before);
    QCOMPARE(thrown([&] { t.raw(insert); }).description(), "nothing thrown");
}

QTEST_APPLESS_MAIN(TestRepair)
#include "tst_repair.moc"
