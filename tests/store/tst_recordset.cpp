// Record sets as the program's procedures use them: requery, filter, find,
// counting, typed and null fields, and writes that reach the very row shown.

#include "StoreFixture.h"
#include "store/RecordSet.h"
#include "store/SharedDb.h"

#include <QDate>
#include <QTest>

using namespace fixture;

class TestRecordSet : public QObject
{
    Q_OBJECT
private slots:
    void requerySeesExecute();
    void filter_data();
    void filter();
    void filterKeptRefusedCleared();
    void find_data();
    void find();
    void typedValues_data();
    void typedValues();
    void addNewUpdate();
    void editCurrentRow();
    void largeSets();
    void gridWritesReachTheRowShown();
    void dateTextsAsTyped_data();
    void dateTextsAsTyped();
    void badValueRefused_data();
    void badValueRefused();
    void errors();
    void sharedSetsLiveToTheEnd();
};

namespace {

const QString kAll = QStringLiteral("SELECT * FROM Calendar ORDER BY Dates");
const QString kRows = QStringLiteral(
    "SELECT rowid, Dates, Icon, Description, Details, ShowOnce FROM Calendar ORDER BY rowid");

QStringList descriptions(RecordSet &rs)
{
    QStringList out;
    for (rs.MoveFirst(); !rs.isEOF(); rs.MoveNext())
        out << rs.Fields(QStringLiteral("Description")).toString();
    return out;
}

// The editor's kind of table, in date order: o'b in several spellings,
// non-ASCII initials, a null type.
const QStringList kEditorEvents = {"#12/24/1999#, 'Holiday', '50% off', Null, False",
                                   "#1/5/2026#, 'birthday', 'Jo''bs birthday', Null, True",
                                   "#2/6/2026#, 'birthday', 'JO''B''S PARTY', Null, True",
                                   "#3/7/2026#, 'reminder', 'Jo''b at work', Null, True",
                                   "#4/8/2026#, 'birthday', 'Jo''bs anniversary', Null, False",
                                   "#5/9/2026#, 'birthday', 'Bob', Null, True",
                                   "#6/10/2026#, 'holiday', 'Äpfel pflücken', Null, False",
                                   "#7/11/2026#, Null, 'äpfel kaufen', 'at the market', False"};

// A new database holding events, and a set over them opened for changes.
struct Opened : NewDatabase
{
    explicit Opened(const QStringList &events = {"#7/4/2026#, 'birthday', 'Ann', Null, False"},
                    const QString &source = kAll)
    {
        addEvents(db, events);
        rs.Open(source, db, adOpenDynamic, adLockOptimistic);
    }
    RecordSet rs;
};

} // namespace

void TestRecordSet::requerySeesExecute()
{
    Opened t;
    addEvents(t.db, {"#7/5/2026#, 'reminder', 'Bob', Null, False"});
    t.db.Execute(
        QStringLiteral("UPDATE Calendar SET Description = 'Anna' WHERE Description = 'Ann'"));
    QCOMPARE(descriptions(t.rs), QStringList{"Ann"}); // not yet
    t.rs.Requery();
    QCOMPARE(descriptions(t.rs), (QStringList{"Anna", "Bob"}));
    t.db.Execute(QStringLiteral("DELETE FROM Calendar WHERE Description = 'Anna'"));
    t.rs.MoveLast();
    t.rs.Requery();
    QCOMPARE(t.rs.position(), 0);
    QCOMPARE(descriptions(t.rs), QStringList{"Bob"});
}

void TestRecordSet::filter_data()
{
    QTest::addColumn<QString>("criteria");
    QTest::addColumn<QStringList>("expected"); // in date order

    QTest::newRow("the editor's example")
        << "Description like '*o''b*' and icon = 'birthday' and ShowOnce = True"
        << QStringList{"Jo'bs birthday", "JO'B'S PARTY"};
    QTest::newRow("type compared without case")
        << "icon = 'HOLIDAY'" << QStringList{"50% off", "Äpfel pflücken"};
    QTest::newRow("not show once")
        << "ShowOnce = False"
        << QStringList{"50% off", "Jo'bs anniversary", "Äpfel pflücken", "äpfel kaufen"};
    QTest::newRow("non-ASCII like ignores case")
        << "Description like 'ä*'" << QStringList{"Äpfel pflücken", "äpfel kaufen"};
    QTest::newRow("non-ASCII equality ignores case")
        << "Description = 'ÄPFEL KAUFEN'" << QStringList{"äpfel kaufen"};
    QTest::newRow("? is one character") << "Description like 'B?b'" << QStringList{"Bob"};
    QTest::newRow("% a wild card")
        << "Description like 'Jo''b%work'" << QStringList{"Jo'b at work"};
    QTest::newRow("bracketed % literal") << "Description like '*[%]*'" << QStringList{"50% off"};
    QTest::newRow("null type") << "icon Is Null" << QStringList{"äpfel kaufen"};
    QTest::newRow("date range") << "Dates >= #5/9/2026# AND Dates < #7/11/2026#"
                                << QStringList{"Bob", "Äpfel pflücken"};
    QTest::newRow("nothing passes") << "Description like '*zzz*'" << QStringList{};
}

void TestRecordSet::filter()
{
    QFETCH(QString, criteria);
    QFETCH(QStringList, expected);
    Opened t(kEditorEvents);
    t.rs.MoveLast();
    t.rs.setFilter(criteria);
    QCOMPARE(t.rs.Filter(), criteria);
    QCOMPARE(t.rs.position(), 0);
    t.rs.MoveLast();
    if (expected.isEmpty()) {
        QVERIFY(t.rs.isEOF() && t.rs.isBOF());
        QCOMPARE(thrown([&] { t.rs.Fields(QStringLiteral("Dates")); }).number(),
                 DbErrNo::NoCurrentRow);
    } else {
        QCOMPARE(t.rs.Fields(QStringLiteral("Description")).toString(), expected.last());
    }
    t.rs.MoveFirst();
    QCOMPARE(t.rs.RecordCount(), int(expected.size()));
    QCOMPARE(descriptions(t.rs), expected);
}

void TestRecordSet::filterKeptRefusedCleared()
{
    Opened t(kEditorEvents);
    t.rs.setFilter(QStringLiteral("icon = 'reminder'"));
    addEvents(t.db, {"#12/1/2026#, 'reminder', 'Dentist', Null, False"});
    t.rs.Requery();
    const QStringList reminders = {"Jo'b at work", "Dentist"};
    QCOMPARE(descriptions(t.rs), reminders);
    for (const char *bad : {"Description like 'abc", "Dates = #13/45/2026#", "NoSuchField = 1",
                            "icon = 'x'; DELETE FROM Calendar"}) {
        QVERIFY(thrown([&] { t.rs.setFilter(QString::fromUtf8(bad)); }).number() != 0);
        QCOMPARE(t.rs.Filter(), QStringLiteral("icon = 'reminder'"));
        QCOMPARE(descriptions(t.rs), reminders);
    }
    t.rs.setFilter(QString());
    QCOMPARE(t.rs.RecordCount(), 9);
}

void TestRecordSet::find_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("criteria");
    QTest::addColumn<int>("start"); // -1: from the current row, the first
    QTest::addColumn<int>("skip");
    QTest::addColumn<QString>("found"); // empty: the end was reached
    const QString none;
    QTest::newRow("first match") << none << "icon = 'birthday'" << -1 << 0 << "Jo'bs birthday";
    QTest::newRow("the start row counts")
        << none << "icon = 'birthday'" << 2 << 0 << "JO'B'S PARTY";
    QTest::newRow("skip passes the start row")
        << none << "icon = 'birthday'" << 2 << 1 << "Jo'bs anniversary";
    QTest::newRow("case ignored, quote doubled")
        << none << "Description = 'jo''B AT work'" << -1 << 0 << "Jo'b at work";
    QTest::newRow("by date") << none << "Dates = #05/09/2026#" << -1 << 0 << "Bob";
    QTest::newRow("no match") << none << "Description = 'Dora'" << -1 << 0 << none;
    QTest::newRow("match only before the start") << none << "icon = 'reminder'" << 4 << 0 << none;
    QTest::newRow("under a filter") << "ShowOnce = False"
                                    << "icon = 'birthday'" << -1 << 0 << "Jo'bs anniversary";
}

void TestRecordSet::find()
{
    QFETCH(QString, filter);
    QFETCH(QString, criteria);
    QFETCH(int, start);
    QFETCH(int, skip);
    QFETCH(QString, found);
    Opened t(kEditorEvents);
    t.rs.setFilter(filter);
    t.rs.MoveFirst();
    t.rs.Find(criteria, skip, adSearchForward, start);
    QCOMPARE(t.rs.isEOF(), found.isEmpty());
    if (!found.isEmpty())
        QCOMPARE(t.rs.Fields(QStringLiteral("Description")).toString(), found);
}

void TestRecordSet::typedValues_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("expected");
    const QString leap = QStringLiteral("SELECT * FROM Calendar WHERE Description = 'leap'");
    const QString timed = QStringLiteral("SELECT * FROM Calendar WHERE ShowOnce = False");

    QTest::newRow("date on 29 February") << leap << "Dates" << QVariant(QDate(2024, 2, 29));
    QTest::newRow("yes/no, name in another case") << leap << "showonce" << QVariant(true);
    QTest::newRow("text") << leap << "ICON" << QVariant(QStringLiteral("birthday"));
    QTest::newRow("date with a time")
        << timed << "Dates" << QVariant(QDateTime(QDate(2026, 1, 5), QTime(13, 30)));
    QTest::newRow("null type is null, not \"Null\"") << timed << "icon" << QVariant();
    QTest::newRow("null details") << timed << "Details" << QVariant();
    QTest::newRow("currency") << "SELECT * FROM RegEdit"
                              << "hKey" << QVariant(qlonglong(-2147483647));
    QTest::newRow("wallpaper number") << "SELECT * FROM Wallpapers"
                                      << "Id" << QVariant(qlonglong(1));
    QTest::newRow("wallpaper yes/no") << "SELECT * FROM Wallpapers ORDER BY FILENAME"
                                      << "Active" << QVariant(true);
}

void TestRecordSet::typedValues()
{
    QFETCH(QString, source);
    QFETCH(QString, field);
    QFETCH(QVariant, expected);
    NewDatabase t;
    addEvents(t.db, {"#2/29/2024#, 'birthday', 'Leap', 'cake', True",
                     "#1/5/2026 1:30 PM#, Null, 'With a time', Null, False"});
    t.db.Execute(QStringLiteral("INSERT INTO RegEdit (hKey, SubKey, [Key], Task, NewValue) VALUES "
                                "(-2147483647, 'Run\\', 'Almarik', 'edit', 'x')"));
    t.db.Execute(QStringLiteral(
        "INSERT INTO WallPapers (FileName,Path,Active) Values ('a.bmp', '/pics', TRUE)"));
    RecordSet rs;
    rs.Open(source, t.db);
    QCOMPARE(rs.Fields(field), expected);
}

void TestRecordSet::addNewUpdate()
{
    Opened t({}, QStringLiteral("SELECT * FROM RegEdit"));
    t.rs.AddNew();
    t.rs.setField(QStringLiteral("hKey"), qlonglong(-2147483647));
    t.rs.setField(QStringLiteral("SubKey"), QStringLiteral("SOFTWARE\\Run\\"));
    t.rs.setField(QStringLiteral("key"), QStringLiteral("Almarik"));
    t.rs.setField(QStringLiteral("Task"), QStringLiteral("edit"));
    QCOMPARE(t.rs.Fields(QStringLiteral("Task")), QVariant(QStringLiteral("edit")));
    QVERIFY(t.rs.Fields(QStringLiteral("NewValue")).isNull());
    t.rs.Update();
    QCOMPARE(t.rs.RecordCount(), 1);
    QCOMPARE(t.rs.Fields(QStringLiteral("key")), QVariant(QStringLiteral("Almarik")));
    QCOMPARE(
        rawRows(t.path, QStringLiteral("SELECT hKey, SubKey, Key, Task, NewValue FROM RegEdit")),
        QStringList{"-2147483647|SOFTWARE\\Run\\|Almarik|edit|<null>"});

    RecordSet events;
    events.Open(kAll, t.db, adOpenDynamic, adLockOptimistic);
    events.AddNew();
    events.setField(QStringLiteral("Dates"), QDate(2026, 7, 4));
    events.setField(QStringLiteral("ShowOnce"), true);
    events.setField(QStringLiteral("icon"), QVariant());
    events.setField(QStringLiteral("Description"), QStringLiteral("Ann's party"));
    events.setField(QStringLiteral("Details"), QString());
    events.Update();
    QCOMPARE(events.Fields(QStringLiteral("Dates")), QVariant(QDate(2026, 7, 4)));
    QCOMPARE(rawRows(t.path, kRows), QStringList{"1|2026-07-04|<null>|Ann's party|<null>|-1"});
}

void TestRecordSet::editCurrentRow()
{
    Opened t({"#7/4/2026#, 'birthday', 'Twin', Null, False",
              "#7/4/2026#, 'birthday', 'Twin', Null, False"});
    t.rs.MoveNext();
    t.rs.setField(QStringLiteral("Description"), QStringLiteral("Second twin"));
    QCOMPARE(t.rs.Fields(QStringLiteral("Description")).toString(), QStringLiteral("Second twin"));
    t.rs.CancelUpdate();
    QCOMPARE(t.rs.Fields(QStringLiteral("Description")).toString(), QStringLiteral("Twin"));
    const QString fifty = QString(49, QLatin1Char('x')) + QStringLiteral("Ä");
    t.rs.setField(QStringLiteral("Description"), fifty);
    t.rs.setField(QStringLiteral("Dates"), QStringLiteral("2026-07-05"));
    t.rs.Update();
    QCOMPARE(t.rs.Fields(QStringLiteral("Dates")), QVariant(QDate(2026, 7, 5)));
    QCOMPARE(rawRows(t.path, kRows), (QStringList{"1|2026-07-04|birthday|Twin|<null>|0",
                                                  "2|2026-07-05|birthday|" + fifty + "|<null>|0"}));
}

void TestRecordSet::largeSets()
{
    // More rows than one chunk of cells holds, more text than one block.
    Opened t(QStringList{}, QStringLiteral("SELECT * FROM Calendar"));
    t.db.Execute(QStringLiteral(
        "INSERT INTO Calendar (Dates, Description, ShowOnce) WITH RECURSIVE n(i) AS (SELECT 1 "
        "UNION ALL SELECT i + 1 FROM n WHERE i < 1000) SELECT '2026-01-01', 'E' || i, 0 FROM n"));
    t.rs.Requery();
    for (const char c : {'a', 'b', 'c'}) {
        t.rs.AddNew();
        t.rs.setField(QStringLiteral("Details"), QString(400000, QLatin1Char(c)));
        t.rs.Update();
    }
    t.rs.Requery();
    t.rs.deleteAt(0);
    QCOMPARE(t.rs.RecordCount(), 1002);
    QStringList read;
    for (t.rs.setPosition(998); !t.rs.isEOF(); t.rs.MoveNext()) {
        const QString details = t.rs.Fields(QStringLiteral("Details")).toString();
        QVERIFY(details.isEmpty() || details.count(details.at(0)) == details.size());
        read << t.rs.Fields(QStringLiteral("Description")).toString() + '|' + details.left(1) +
                    QString::number(details.size());
    }
    QCOMPARE(read, (QStringList{"E1000|0", "|a400000", "|b400000", "|c400000"}));
}

void TestRecordSet::gridWritesReachTheRowShown()
{
    Opened t({"#1/1/2026#, 'holiday', 'New Year', Null, False",
              "#7/4/2026#, 'birthday', 'Same', Null, False",
              "#7/4/2026#, 'birthday', 'Same', Null, False",
              "#7/4/2026#, 'birthday', 'Same', Null, False"},
             QStringLiteral("SELECT * FROM Calendar"));
    const QString byRowid =
        QStringLiteral("SELECT rowid, Description FROM Calendar ORDER BY rowid");
    const int description = t.rs.fieldIndex(QStringLiteral("DESCRIPTION"));
    QCOMPARE(t.rs.fieldName(description), QStringLiteral("Description"));

    // Rows 1 to 3 look the same; each write reaches its own row.
    t.rs.setValueAt(2, description, QStringLiteral("Middle"));
    QCOMPARE(t.rs.valueAt(2, description).toString(), QStringLiteral("Middle"));
    QCOMPARE(rawRows(t.path, byRowid), (QStringList{"1|New Year", "2|Same", "3|Middle", "4|Same"}));
    t.rs.MoveLast(); // rowid 4
    t.rs.deleteAt(1);
    QCOMPARE(t.rs.position(), 2); // still the same row
    QCOMPARE(t.rs.rowidAt(t.rs.position()), qint64(4));
    const int added = t.rs.insertRow({{QStringLiteral("Dates"), QDate(2026, 7, 4)},
                                      {QStringLiteral("Description"), QStringLiteral("Same")}});
    QCOMPARE(t.rs.rowidAt(added), qint64(5));
    QCOMPARE(t.rs.valueAt(added, t.rs.fieldIndex(QStringLiteral("ShowOnce"))), QVariant(false));

    // Under a filter, the visible row is the one written.
    t.rs.setFilter(QStringLiteral("Description = 'same'"));
    t.rs.setValueAt(1, description, QStringLiteral("Last"));
    t.rs.deleteAt(0);
    QCOMPARE(rawRows(t.path, byRowid), (QStringList{"1|New Year", "3|Middle", "5|Last"}));
    QCOMPARE(t.rs.RecordCount(), 1);
    QCOMPARE(thrown([&] { t.rs.valueAt(1, description); }).number(), DbErrNo::NoCurrentRow);
}

void TestRecordSet::dateTextsAsTyped_data()
{
    QTest::addColumn<QStringList>("typed"); // locale, text, stored form
    QTest::newRow("stored form with a time")
        << QStringList{"C", "2026-07-04 13:45:00", "2026-07-04 13:45:00"};
    QTest::newRow("Jet literal form") << QStringList{"C", "7/4/2026", "2026-07-04"};
    QTest::newRow("US two-digit year 29") << QStringList{"en_US", "1/2/29", "2029-01-02"};
    QTest::newRow("US two-digit year 30") << QStringList{"en_US", "1/2/30", "1930-01-02"};
    QTest::newRow("German short form") << QStringList{"de_DE", "04.07.26", "2026-07-04"};
    QTest::newRow("British order") << QStringList{"en_GB", "04/07/2026", "2026-07-04"};
}

void TestRecordSet::dateTextsAsTyped()
{
    QFETCH(QStringList, typed);
    Opened t;
    QLocale::setDefault(QLocale(typed[0]));
    const DbError e = thrown([&] { t.rs.setValueAt(0, 0, typed[1]); });
    QLocale::setDefault(QLocale::c());
    QCOMPARE(e.number(), 0);
    QCOMPARE(rawRows(t.path, QStringLiteral("SELECT Dates FROM Calendar")), QStringList{typed[2]});
}

void TestRecordSet::badValueRefused_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("number");
    QTest::newRow("words for a date") << "Dates"
                                      << "next Tuesday" << DbErrNo::Conversion;
    QTest::newRow("impossible date") << "Dates"
                                     << "13/45/2026" << DbErrNo::Conversion;
    QTest::newRow("29 February of a common year") << "Dates"
                                                  << "2/29/2026" << DbErrNo::Conversion;
    QTest::newRow("words for yes/no") << "ShowOnce"
                                      << "perhaps" << DbErrNo::Conversion;
    QTest::newRow("51 characters for 50")
        << "Description" << QString(51, QLatin1Char('x')) << DbErrNo::General;
    QTest::newRow("16 characters for 15") << "icon"
                                          << "sixteen_letters!" << DbErrNo::General;
    QTest::newRow("no such field") << "Colour"
                                   << "red" << DbErrNo::NotFound;
}

void TestRecordSet::badValueRefused()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(int, number);
    Opened t;
    const QStringList before = rawRows(t.path, kRows);
    const int column = t.rs.fieldIndex(field);
    const QList<DbError> errors = {
        thrown([&] { t.rs.setValueAt(0, column, value); }),
        thrown([&] { t.rs.setField(field, value); }), thrown([&] {
            t.rs.insertRow({{QStringLiteral("Description"), "new"}, {field, value}});
        })};
    for (const DbError &e : errors) {
        QCOMPARE(e.number(), number);
        if (number == DbErrNo::General)
            QCOMPARE(e.description(),
                     QStringLiteral("The field is too small to accept the amount of data you "
                                    "attempted to add. Try inserting or pasting less data."));
    }
    t.rs.Update(); // nothing was assigned, so nothing is written
    QCOMPARE(rawRows(t.path, kRows), before);
    QCOMPARE(t.rs.RecordCount(), 1);
}

void TestRecordSet::errors()
{
    RecordSet closed;
    QCOMPARE(thrown([&] { closed.MoveFirst(); }).number(), DbErrNo::Closed);
    Opened t;
    QCOMPARE(thrown([&] { t.rs.Fields(QStringLiteral("Nope")); }).number(), DbErrNo::NotFound);
    t.rs.MoveNext();
    QCOMPARE(thrown([&] { t.rs.MoveNext(); }).number(), DbErrNo::NoCurrentRow);
    QCOMPARE(thrown([&] { t.rs.Open(kAll, t.db); }).number(), DbErrNo::AlreadyOpen);
    t.rs.Close();
    t.rs.setFilter(QString()); // as the editor's caller does before opening
    t.rs.Open(kAll, t.db);     // and again after Close
    QCOMPARE(t.rs.RecordCount(), 1);
    t.rs.Close();
    // A query over two tables is read-only.
    t.rs.Open(QStringLiteral("SELECT Description, descr FROM Calendar, Almarik_Type WHERE "
                             "Calendar.icon = Almarik_Type.icon"),
              t.db);
    QCOMPARE(t.rs.Fields(QStringLiteral("descr")).toString(), QStringLiteral("Birthday"));
    QCOMPARE(thrown([&] { t.rs.AddNew(); }).number(), DbErrNo::ReadOnly);
    t.rs.Close();
    QVERIFY(thrown([&] { t.rs.Open(QStringLiteral("SELECT * FROM Nowhere"), t.db); }).number());
    QVERIFY(!t.rs.isOpen());
}

void TestRecordSet::sharedSetsLiveToTheEnd()
{
    // Left open on purpose: the shared objects are destroyed at exit.
    static NewDatabase t;
    addEvents(t.db, kEditorEvents);
    dbConnection.Open(t.db.ConnectionString());
    rsMonth.Open(QStringLiteral("SELECT * FROM calendar"), dbConnection, adOpenDynamic,
                 adLockOptimistic);
    rsEditor.setCursorLocation(adUseClient);
    rsEditor.Open(kAll, dbConnection, adOpenDynamic, adLockOptimistic);
    QCOMPARE(rsMonth.RecordCount(), 8);
    QCOMPARE(rsEditor.RecordCount(), 8);
}

QTEST_APPLESS_MAIN(TestRecordSet)
#include "tst_recordset.moc"
