// Record sets as the program's procedures use them: requery, filter, find,
// counting, typed and null fields, and writes that reach the very row shown.

#include "StoreFixture.h"
#include "store/DbError.h"
#include "store/RecordSet.h"
#include "store/SharedDb.h"

#include <QTest>

using namespace fixture;

class TestRecordSet : public QObject
{
    Q_OBJECT
private slots:
    void requerySeesExecute();
    void filter_data();
    void filter();
    void filterCleared();
    void filterStaysOverRequery();
    void filterRefusedKeepsRows();
    void find_data();
    void find();
    void findUnderFilter();
    void recordCountAfterMoveLast();
    void emptySet();
    void nullFields();
    void typedValues();
    void addNewUpdate();
    void editCurrentRow();
    void gridWritesReachTheRowShown();
    void dateTextsAsTyped_data();
    void dateTextsAsTyped();
    void badValueRefused_data();
    void badValueRefused();
    void textLongerThanColumn();
    void deleteThenMoveNext();
    void errors();
    void sharedSetsLiveToTheEnd();
};

namespace {

QStringList descriptions(RecordSet &rs)
{
    QStringList out;
    for (rs.MoveFirst(); !rs.isEOF(); rs.MoveNext())
        out << rs.Fields(QStringLiteral("Description")).toString();
    return out;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

const QString kAll = QStringLiteral("SELECT * FROM Calendar ORDER BY Dates");
const QString kCalendarRows = QStringLiteral(
    "SELECT rowid, Dates, Icon, Description, Details, ShowOnce FROM Calendar ORDER BY rowid");

// The editor's kind of table: o'b in several spellings, non-ASCII initials.
void addFilterEvents(Connection &db)
{
    addEvent(db, QDate(2026, 1, 5), QStringLiteral("birthday"), QStringLiteral("Jo'bs birthday"),
             {}, true);
    addEvent(db, QDate(2026, 2, 6), QStringLiteral("birthday"), QStringLiteral("JO'B'S PARTY"), {},
             true);
    addEvent(db, QDate(2026, 3, 7), QStringLiteral("reminder"), QStringLiteral("Jo'b at work"), {},
             true);
    addEvent(db, QDate(2026, 4, 8), QStringLiteral("birthday"),
             QStringLiteral("Jo'bs anniversary"));
    addEvent(db, QDate(2026, 5, 9), QStringLiteral("birthday"), QStringLiteral("Bob"), {}, true);
    addEvent(db, QDate(2026, 6, 10), QStringLiteral("holiday"), QStringLiteral("Äpfel pflücken"));
    addEvent(db, QDate(2026, 7, 11), {}, QStringLiteral("äpfel kaufen"),
             QStringLiteral("at the market"));
    addEvent(db, QDate(1999, 12, 24), QStringLiteral("Holiday"), QStringLiteral("50% off"));
}

} // namespace

void TestRecordSet::requerySeesExecute()
{
    TestEnv env;
    Connection db;
    newDatabase(env, db);
    addEvent(db, QDate(2026, 7, 4), QStringLiteral("birthday"), QStringLiteral("Ann"));
    RecordSet rs;
    rs.Open(QStringLiteral("SELECT * FROM calendar"), db, adOpenDynamic, adLockOptimistic);
    QCOMPARE(rs.RecordCount(), 1);

    addEvent(db, QDate(2026, 7, 5), QStringLiteral("reminder"), QStringLiteral("Bob"));
    db.Execute(
        QStringLiteral("UPDATE Calendar SET Description = 'Anna' WHERE Description = 'Ann'"));
    QCOMPARE(descriptions(rs), QStringList{QStringLiteral("Ann")}); // not yet

    rs.Requery();
    QCOMPARE(rs.RecordCount(), 2);
    QCOMPARE(sorted(descriptions(rs)),
             (QStringList{QStringLiteral("Anna"), QStringLiteral("Bob")}));

    db.Execute(QStringLiteral("DELETE FROM Calendar WHERE Description = 'Bob'"));
    rs.Requery();
    QVERIFY(!rs.isEOF());
    QCOMPARE(rs.position(), 0);
    QCOMPARE(descriptions(rs), QStringList{QStringLiteral("Anna")});
}

void TestRecordSet::filter_data()
{
    QTest::addColumn<QString>("criteria");
    QTest::addColumn<QStringList>("expected"); // in date order

    QTest::newRow("the editor's example")
        << "Description like '*o''b*' and icon = 'birthday' and ShowOnce = True"
        << QStringList{"Jo'bs birthday", "JO'B'S PARTY"};
    QTest::newRow("description part only")
        << "Description like '*o''b*'"
        << QStringList{"Jo'bs birthday", "JO'B'S PARTY", "Jo'b at work", "Jo'bs anniversary"};
    QTest::newRow("type compared without case")
        << "icon = 'HOLIDAY'" << QStringList{"50% off", "Äpfel pflücken"};
    QTest::newRow("show once") << "ShowOnce = True"
                               << QStringList{"Jo'bs birthday", "JO'B'S PARTY", "Jo'b at work",
                                              "Bob"};
    QTest::newRow("not show once")
        << "ShowOnce = False"
        << QStringList{"50% off", "Jo'bs anniversary", "Äpfel pflücken", "äpfel kaufen"};
    QTest::newRow("non-ASCII like ignores case")
        << "Description like 'ä*'" << QStringList{"Äpfel pflücken", "äpfel kaufen"};
    QTest::newRow("non-ASCII equality ignores case")
        << "Description = 'ÄPFEL KAUFEN'" << QStringList{"äpfel kaufen"};
    QTest::newRow("non-ASCII inside a pattern")
        << "Description like '*PFLÜCK*'" << QStringList{"Äpfel pflücken"};
    QTest::newRow("question mark is one character")
        << "Description like 'B?b'" << QStringList{"Bob"};
    QTest::newRow("percent is a wild card in a filter")
        << "Description like 'Jo''b%work'" << QStringList{"Jo'b at work"};
    QTest::newRow("bracketed percent is literal")
        << "Description like '*[%]*'" << QStringList{"50% off"};
    QTest::newRow("null type") << "icon Is Null" << QStringList{"äpfel kaufen"};
    QTest::newRow("date literal") << "Dates = #03/07/2026#" << QStringList{"Jo'b at work"};
    QTest::newRow("date range") << "Dates >= #5/9/2026# AND Dates < #7/11/2026#"
                                << QStringList{"Bob", "Äpfel pflücken"};
    QTest::newRow("details text") << "Details like '*MARKET*'" << QStringList{"äpfel kaufen"};
    QTest::newRow("nothing passes") << "Description like '*zzz*'" << QStringList{};
}

void TestRecordSet::filter()
{
    QFETCH(QString, criteria);
    QFETCH(QStringList, expected);
    TestEnv env;
    Connection db;
    newDatabase(env, db);
    addFilterEvents(db);
    RecordSet rs;
    rs.setCursorLocation(adUseClient);
    rs.Open(kAll, db, adOpenDynamic, adLockOptimistic);
    rs.MoveLast();
    rs.setFilter(criteria);
    QCOMPARE(rs.Filter(), criteria);
    QCOMPARE(rs.position(), 0);
    QCOMPARE(rs.isEOF(), expected.isEmpty());
    QCOMPARE(rs.RecordCount(), int(expected.size()));
    QCOMPARE(descriptions(rs), expected);
}

void TestRecordSet::filterCleared()
{
    TestEnv env;
    Connection db;
    newDatabase(env, db);
    addFilterEvents(db);
    RecordSet rs;
    rs.Open(kAll, db, adOpenDynamic, adLockOptimistic);
    const QStringList all = descriptions(rs);
    QCOMPARE(all.size(), 8);
    rs.setFilter(QStringLiteral("icon = 'birthday'"));
    QCOMPARE(rs.RecordCount(), 4);
    rs.MoveLast();
    rs.setFilter(QString());
    QCOMPARE(rs.Filter(), QString());
    QCOMPARE(rs.RecordCount(), 8);
    QCOMPARE(rs.position(), 0);
    QCOMPARE(descriptions(rs), all);
}

void TestRecordSet::filterStaysOverRequery()
{
    TestEnv env;
    Connection db;
    newDatabase(env, db);
    addFilterEvents(db);
    RecordSet rs;
    rs.Open(kAll, db, adOpenDynamic, adLockOptimistic);
    rs.setFilter(QStringLiteral("ShowOnce = True"));
    addEvent(db, QDate(2026, 12, 1), QStringLiteral("doctor"), QStringLiteral("Dentist"), {}, true);
    addEvent(db, QDate(2026, 12, 2), QStringLiteral("doctor"), QStringLiteral("Eye doctor"));
    rs.Requery();
    QCOMPARE(rs.Filter(), QStringLiteral("ShowOnce = True"));
    QCOMPARE(descriptions(rs),
             (QStringList{"Jo'bs birthday", "JO'B'S PARTY", "Jo'b at work", "Bob", "Dentist"}));
}

void TestRecordSet::filterRefusedKeepsRows()
{
    TestEnv env;
    Connection db;
    newDatabase(env, db);
    addFilterEvents(db);
    RecordSet rs;
    rs.Open(kAll, db, adOpenDynamic, adLockOptimistic);
    rs.setFilter(QStringLiteral("icon = 'reminder'"));
    for (const QString &bad :
         {QStringLiteral("Description like 'abc"), QStringLiteral("Dates = #13/45/2026#"),
          QStringLiteral("NoSuchField = 1"), QStringLiteral("icon = 'x'; DELETE FROM Calendar")}) {
        try {
            rs.setFilter(bad);
            QFAIL(qPrintable(QStringLiteral("accepted: ") + bad));
        } catch (const DbError &e) {
            QVERIFY(!e.description().isEmpty());
        }
        QCOMPARE(rs.Filter(), QStringLiteral("icon = 'reminder'"));
        QCOMPARE(descriptions(rs), QStringList{"Jo'b at work"});
    }
    QCOMPARE(rawRows(db.path(), QStringLiteral("SELECT count(*) FROM Calendar")),
             QStringList{QStringLiteral("8")});
}

void TestRecordSet::find_data()
{
    QTest::addColumn<QString>("criteria");
    QTest::addColumn<int>("start"); // -1: from the current row, which is the first
    QTest::addColumn<int>("skip");
    QTest::addColumn<int>("expected"); // row found, -1 for the end

    // Rows in date order: 0 Ann, 1 Bob's party, 2 Ann, 3 Carl, 4 ann
    QTest::newRow("first match from the start") << "Description ='Ann'" << -1 << 0 << 0;
    QTest::newRow("match at the start row counts") << "Description ='Carl'" << 3 << 0 << 3;
    QTest::newRow("from a later start") << "Description ='Ann'" << 1 << 0 << 2;
    QTest::newRow("skip passes the start row") << "Description ='Ann'" << 0 << 1 << 2;
    QTest::newRow("case ignored, from the last Ann on") << "Description ='ANN'" << 3 << 0 << 4;
    QTest::newRow("quote doubled") << "Description ='Bob''s party'" << -1 << 0 << 1;
    QTest::newRow("no match reaches the end") << "Description ='Dora'" << -1 << 0 << -1;
    QTest::newRow("match only before the start") << "Description ='Bob''s party'" << 2 << 0 << -1;
    QTest::newRow("date criteria") << "Dates = #03/01/2026#" << -1 << 0 << 2;
}

void TestRecordSet::find()
{
    QFETCH(QString, criteria);
    QFETCH(int, start);
    QFETCH(int, skip);
    QFETCH(int, expected);
    TestEnv env;
    Connection db;
    newDatabase(env, db);
    addEvent(db, QDate(2026, 1, 1), QStringLiteral("birthday"), QStringLiteral("Ann"));
    addEvent(db, QDate(2026, 2, 1), QStringLiteral("birthday"), QStringLiteral("Bob's party"));
    addEvent(db, QDate(2026, 3, 1), QStringLiteral("birthday"), QStringLiteral("Ann"));
    addEvent(db, QDate(2026, 4, 1), QStringLiteral("birthday"), QStringLiteral("Carl"));
    addEvent(db, QDate(2026, 5, 1), QStringLiteral("birthday"), QStringLiteral("ann"));
    RecordSet rs;
    rs.Open(kAll, db, adOpenDynamic, adLockOptimistic);
    rs.MoveFirst();
    rs.Find(criteria, skip, adSearchForward, start);
    if (expected < 0) {
        QVERIFY(rs.isEOF());
    } else {
        QVERIFY(!rs.isEOF());
        QCOMPARE(rs.position(), expected);
        QCOMPARE(rs.Fields(QStringLiteral("Dates")).toDate(), QDate(2026, expected + 1, 1));
    }
}

void TestRecordSet::findUnderFilter()
{
    TestEnv env;
    Connection db;
    newDatabase(env, db);
    addEvent(db, QDate(2026, 1, 1), QStringLiteral("birthday"), QStringLiteral("Ann"));
    addEvent(db, QDate(2026, 2, 1), QStringLiteral("reminder"), QStringLiteral("Ann"));
    RecordSet rs;
    rs.Open(kAll, db, adOpenDynamic, adLockOptimistic);
    rs.setFilter(QStringLiteral("icon = 'reminder'"));
    rs.MoveFirst();
    rs.Find(QStringLiteral("Description ='Ann'"));
    QVERIFY(!rs.isEOF());
    QCOMPARE(rs.Fields(QStringLiteral("icon")).toString(), QStringLiteral("reminder"));
    rs.setFilter(QStringLiteral("icon = 'doctor'"));
    rs.Find(QStringLiteral("Description ='Ann'"));
    QVERIFY(rs.isEOF());
}

void TestRecordSet::recordCountAfterMoveLast()
{
    TestEnv env;
    Connection db;
    newDatabase(env, db);
    for (int i = 0; i < 7; ++i)
        addEvent(db, QDate(2026, 1, 1).addDays(i), QStringLiteral("reminder"),
                 QStringLiteral("Event %1").arg(i));
    RecordSet rs;
    rs.setCursorLocation(adUseClient);
    rs.Open(kAll, db, adOpenDynamic, adLockOptimistic);
    rs.MoveLast();
    QCOMPARE(rs.Fields(QStringLiteral("Description")).toString(), QStringLiteral("Event 6"));
    rs.MoveFirst();
    QCOMPARE(rs.RecordCount(), 7);
    QCOMPARE(rs.Fields(QStringLiteral("Description")).toString(), QStringLiteral("Event 0"));
    rs.setFilter(QStringLiteral("Dates > #1/4/2026#"));
    rs.MoveLast();
    rs.MoveFirst();
    QCOMPARE(rs.RecordCount(), 3);
    QCOMPARE(rs.Fields(QStringLiteral("Description")).toString(), QStringLiteral("Event 4"));
}

void TestRecordSet::emptySet()
{
    TestEnv env;
    Connection db;
    newDatabase(env, db);
    RecordSet rs;
    rs.Open(kAll, db, adOpenDynamic, adLockOptimistic);
    QVERIFY(rs.isEOF());
    QVERIFY(rs.isBOF());
    rs.MoveLast();
    rs.MoveFirst();
    QCOMPARE(rs.RecordCount(), 0);
    QVERIFY(rs.isEOF());
    QVERIFY_THROWS_EXCEPTION(DbError, rs.Fields(QStringLiteral("Dates")));
}

void TestRecordSet::nullFields()
{
    TestEnv env;
    Connection db;
    const QString path = newDatabase(env, db);
    addEvent(db, QDate(2026, 7, 4), {}, QStringLiteral("No type"));
    RecordSet rs;
    rs.Open(kAll, db, adOpenDynamic, adLockOptimistic);
    rs.AddNew();
    rs.setField(QStringLiteral("Dates"), QDate(2026, 7, 5));
    rs.setField(QStringLiteral("icon"), QVariant());
    rs.setField(QStringLiteral("Description"), QStringLiteral("Typed empty"));
    rs.setField(QStringLiteral("Details"), QString());
    rs.Update();
    rs.Requery();
    for (rs.MoveFirst(); !rs.isEOF(); rs.MoveNext()) {
        const QVariant icon = rs.Fields(QStringLiteral("icon"));
        QVERIFY2(icon.isNull(), qPrintable(icon.toString()));
        QVERIFY(icon.toString() != QStringLiteral("Null"));
        QVERIFY(rs.Fields(QStringLiteral("Details")).isNull());
    }
    QCOMPARE(rawRows(path, QStringLiteral("SELECT Icon, Details FROM Calendar")),
             (QStringList{"<null>|<null>", "<null>|<null>"}));
}

void TestRecordSet::typedValues()
{
    TestEnv env;
    Connection db;
    newDatabase(env, db);
    addEvent(db, QDate(2024, 2, 29), QStringLiteral("birthday"), QStringLiteral("Leap"),
             QStringLiteral("cake"), true);
    db.Execute(QStringLiteral(
        "INSERT INTO RegEdit (hKey, SubKey, [Key], Task, NewValue) VALUES (-2147483647, "
        "'SOFTWARE\\Run\\', 'Almarik', 'edit', 'x')"));
    db.Execute(QStringLiteral(
        "INSERT INTO WallPapers (FileName,Path,Active) Values ('a.bmp', '/pics', TRUE)"));
    db.Execute(QStringLiteral("INSERT INTO Calendar (Dates, Description, ShowOnce) VALUES "
                              "(#1/5/2026 1:30 PM#, 'With a time', False)"));

    RecordSet rs;
    rs.Open(QStringLiteral("SELECT * FROM Calendar WHERE Description = 'leap'"), db);
    QCOMPARE(rs.Fields(QStringLiteral("Dates")).typeId(), int(QMetaType::QDate));
    QCOMPARE(rs.Fields(QStringLiteral("Dates")).toDate(), QDate(2024, 2, 29));
    QCOMPARE(rs.Fields(QStringLiteral("ShowOnce")).typeId(), int(QMetaType::Bool));
    QCOMPARE(rs.Fields(QStringLiteral("showonce")).toBool(), true);
    QCOMPARE(rs.Fields(QStringLiteral("ICON")).typeId(), int(QMetaType::QString));
    QCOMPARE(rs.Fields(QStringLiteral("Details")).toString(), QStringLiteral("cake"));
    rs.Close();

    rs.Open(QStringLiteral("SELECT * FROM Calendar WHERE ShowOnce = False"), db);
    QCOMPARE(rs.Fields(QStringLiteral("ShowOnce")), QVariant(false));
    QCOMPARE(rs.Fields(QStringLiteral("Dates")),
             QVariant(QDateTime(QDate(2026, 1, 5), QTime(13, 30))));
    rs.Close();

    rs.Open(QStringLiteral("SELECT * FROM RegEdit"), db);
    QCOMPARE(rs.Fields(QStringLiteral("hKey")), QVariant(qlonglong(-2147483647)));
    QCOMPARE(rs.Fields(QStringLiteral("key")).toString(), QStringLiteral("Almarik"));
    rs.Close();

    rs.Open(QStringLiteral("SELECT * FROM Wallpapers ORDER BY FILENAME"), db);
    QCOMPARE(rs.Fields(QStringLiteral("Id")), QVariant(qlonglong(1)));
    QCOMPARE(rs.Fields(QStringLiteral("Active")), QVariant(true));
    QCOMPARE(rs.Fields(QStringLiteral("path")), QVariant(QStringLiteral("/pics")));
}

void TestRecordSet::addNewUpdate()
{
    TestEnv env;
    Connection db;
    const QString path = newDatabase(env, db);
    db.Execute(QStringLiteral("INSERT INTO RegEdit (hKey, SubKey, [Key], Task, NewValue) VALUES "
                              "(-2147483646, 'A', 'B', 'delete', Null)"));
    RecordSet rs;
    rs.setCursorLocation(adUseClient);
    rs.Open(QStringLiteral("SELECT * FROM RegEdit"), db, adOpenDynamic, adLockOptimistic);
    rs.AddNew();
    rs.setField(QStringLiteral("hKey"), qlonglong(-2147483647));
    rs.setField(QStringLiteral("SubKey"),
                QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\"));
    rs.setField(QStringLiteral("key"), QStringLiteral("Almarik"));
    rs.setField(QStringLiteral("Task"), QStringLiteral("edit"));
    rs.setField(QStringLiteral("NewValue"), QStringLiteral("/usr/bin/almarik"));
    QCOMPARE(rs.Fields(QStringLiteral("Task")), QVariant(QStringLiteral("edit")));
    rs.Update();
    QCOMPARE(rs.RecordCount(), 2);
    QCOMPARE(rs.position(), 1);
    QCOMPARE(rs.Fields(QStringLiteral("key")), QVariant(QStringLiteral("Almarik")));
    QCOMPARE(rawRows(path, QStringLiteral("SELECT hKey, SubKey, Key, Task, NewValue FROM RegEdit")),
             (QStringList{"-2147483646|A|B|delete|<null>",
                          "-2147483647|SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\|Almarik|"
                          "edit|/usr/bin/almarik"}));

    // Typed values while adding, and their stored forms.
    RecordSet events;
    events.Open(kAll, db, adOpenDynamic, adLockOptimistic);
    events.AddNew();
    events.setField(QStringLiteral("Dates"), QDate(2026, 7, 4));
    events.setField(QStringLiteral("ShowOnce"), true);
    events.setField(QStringLiteral("Description"), QStringLiteral("Ann's party"));
    QCOMPARE(events.Fields(QStringLiteral("Dates")), QVariant(QDate(2026, 7, 4)));
    QCOMPARE(events.Fields(QStringLiteral("ShowOnce")), QVariant(true));
    QVERIFY(events.Fields(QStringLiteral("icon")).isNull());
    events.Update();
    QCOMPARE(
        rawRows(path, QStringLiteral("SELECT Dates, Icon, Description, ShowOnce FROM Calendar")),
        QStringList{"2026-07-04|<null>|Ann's party|-1"});
}

void TestRecordSet::editCurrentRow()
{
    TestEnv env;
    Connection db;
    const QString path = newDatabase(env, db);
    addEvent(db, QDate(2026, 7, 4), QStringLiteral("birthday"), QStringLiteral("Twin"));
    addEvent(db, QDate(2026, 7, 4), QStringLiteral("birthday"), QStringLiteral("Twin"));
    RecordSet rs;
    rs.Open(QStringLiteral("SELECT * FROM Calendar"), db, adOpenDynamic, adLockOptimistic);
    rs.MoveNext();
    rs.setField(QStringLiteral("Description"), QStringLiteral("Second twin"));
    QCOMPARE(rs.Fields(QStringLiteral("Description")).toString(), QStringLiteral("Second twin"));
    rs.CancelUpdate();
    QCOMPARE(rs.Fields(QStringLiteral("Description")).toString(), QStringLiteral("Twin"));
    rs.setField(QStringLiteral("Description"), QStringLiteral("Second twin"));
    rs.setField(QStringLiteral("Dates"), QStringLiteral("2026-07-05"));
    rs.Update();
    QCOMPARE(rs.Fields(QStringLiteral("Dates")).toDate(), QDate(2026, 7, 5));
    QCOMPARE(rawRows(path, kCalendarRows),
             (QStringList{"1|2026-07-04|birthday|Twin|<null>|0",
                          "2|2026-07-05|birthday|Second twin|<null>|0"}));
}

void TestRecordSet::gridWritesReachTheRowShown()
{
    TestEnv env;
    Connection db;
    const QString path = newDatabase(env, db);
    addEvent(db, QDate(2026, 1, 1), QStringLiteral("holiday"), QStringLiteral("New Year"));
    for (int i = 0; i < 3; ++i)
        addEvent(db, QDate(2026, 7, 4), QStringLiteral("birthday"), QStringLiteral("Same"));
    const QString rowsById =
        QStringLiteral("SELECT rowid, Description FROM Calendar ORDER BY rowid");
    RecordSet rs;
    rs.setCursorLocation(adUseClient);
    rs.Open(QStringLiteral("SELECT * FROM Calendar"), db, adOpenDynamic, adLockOptimistic);
    const int description = rs.fieldIndex(QStringLiteral("Description"));
    const int dates = rs.fieldIndex(QStringLiteral("Dates"));
    QCOMPARE(rs.fieldIndex(QStringLiteral("DESCRIPTION")), description);
    QCOMPARE(rs.fieldIndex(QStringLiteral("Nope")), -1);
    QCOMPARE(rs.fieldSize(description), 50);
    QCOMPARE(rs.fieldKind(dates), FieldKind::Date);

    // Rows 1 to 3 look the same; each write reaches its own row.
    QCOMPARE(rs.rowidAt(2), qint64(3));
    rs.setValueAt(2, description, QStringLiteral("Middle"));
    QCOMPARE(rs.valueAt(2, description).toString(), QStringLiteral("Middle"));
    QCOMPARE(rawRows(path, rowsById), (QStringList{"1|New Year", "2|Same", "3|Middle", "4|Same"}));

    rs.setValueAt(3, dates, QDate(2027, 1, 1));
    QCOMPARE(rs.valueAt(3, dates), QVariant(QDate(2027, 1, 1)));
    QCOMPARE(rawRows(path, QStringLiteral("SELECT Dates FROM Calendar WHERE rowid = 4")),
             QStringList{"2027-01-01"});

    rs.MoveLast(); // row 3, rowid 4
    rs.deleteAt(1);
    QCOMPARE(rs.RecordCount(), 3);
    QCOMPARE(rs.position(), 2); // still the same row
    QCOMPARE(rs.Fields(QStringLiteral("Dates")).toDate(), QDate(2027, 1, 1));
    QCOMPARE(rawRows(path, rowsById), (QStringList{"1|New Year", "3|Middle", "4|Same"}));

    const int added = rs.insertRow({{QStringLiteral("Dates"), QDate(2026, 7, 4)},
                                    {QStringLiteral("Description"), QStringLiteral("Same")}});
    QCOMPARE(added, 3);
    QCOMPARE(rs.rowidAt(added), qint64(5));
    QCOMPARE(rs.valueAt(added, rs.fieldIndex(QStringLiteral("ShowOnce"))), QVariant(false));

    // Under a filter, the visible row is the one written.
    rs.setFilter(QStringLiteral("Description = 'same'"));
    QCOMPARE(rs.RecordCount(), 2);
    rs.setValueAt(1, description, QStringLiteral("Last"));
    QCOMPARE(rawRows(path, rowsById), (QStringList{"1|New Year", "3|Middle", "4|Same", "5|Last"}));
    rs.deleteAt(0);
    QCOMPARE(rawRows(path, rowsById), (QStringList{"1|New Year", "3|Middle", "5|Last"}));
    QCOMPARE(rs.RecordCount(), 1);
    QVERIFY_THROWS_EXCEPTION(DbError, rs.valueAt(5, description));
    QVERIFY_THROWS_EXCEPTION(DbError, rs.setValueAt(-1, description, QStringLiteral("x")));
}

void TestRecordSet::dateTextsAsTyped_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stored");

    QTest::newRow("stored form") << "C"
                                 << "2026-07-04"
                                 << "2026-07-04";
    QTest::newRow("stored form with a time") << "C"
                                             << "2026-07-04 13:45:00"
                                             << "2026-07-04 13:45:00";
    QTest::newRow("Jet literal form") << "C"
                                      << "7/4/2026"
                                      << "2026-07-04";
    QTest::newRow("US short form") << "en_US"
                                   << "7/4/26"
                                   << "2026-07-04";
    QTest::newRow("US two-digit year 29") << "en_US"
                                          << "1/2/29"
                                          << "2029-01-02";
    QTest::newRow("US two-digit year 30") << "en_US"
                                          << "1/2/30"
                                          << "1930-01-02";
    QTest::newRow("US four-digit year") << "en_US"
                                        << "12/31/1999"
                                        << "1999-12-31";
    QTest::newRow("German short form") << "de_DE"
                                       << "04.07.26"
                                       << "2026-07-04";
    QTest::newRow("German four-digit year") << "de_DE"
                                            << "04.07.2026"
                                            << "2026-07-04";
    QTest::newRow("British order") << "en_GB"
                                   << "04/07/2026"
                                   << "2026-07-04";
}

void TestRecordSet::dateTextsAsTyped()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(QString, stored);
    TestEnv env;
    Connection db;
    const QString path = newDatabase(env, db);
    addEvent(db, QDate(2000, 1, 1), QStringLiteral("birthday"), QStringLiteral("Ann"));
    RecordSet rs;
    rs.Open(kAll, db, adOpenDynamic, adLockOptimistic);
    QLocale::setDefault(QLocale(locale));
    try {
        rs.setValueAt(0, rs.fieldIndex(QStringLiteral("Dates")), text);
    } catch (const DbError &e) {
        QLocale::setDefault(QLocale::c());
        QFAIL(qPrintable(e.description()));
    }
    QLocale::setDefault(QLocale::c());
    QCOMPARE(rawRows(path, QStringLiteral("SELECT Dates FROM Calendar")), QStringList{stored});
}

void TestRecordSet::badValueRefused_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("number");

    QTest::newRow("words for a date")
        << "Dates" << QVariant(QStringLiteral("next Tuesday")) << DbErrNo::Conversion;
    QTest::newRow("impossible date")
        << "Dates" << QVariant(QStringLiteral("13/45/2026")) << DbErrNo::Conversion;
    QTest::newRow("30 February") << "Dates" << QVariant(QStringLiteral("2026-02-30"))
                                 << DbErrNo::Conversion;
    QTest::newRow("29 February of a common year")
        << "Dates" << QVariant(QStringLiteral("2/29/2026")) << DbErrNo::Conversion;
    QTest::newRow("words for yes/no")
        << "ShowOnce" << QVariant(QStringLiteral("perhaps")) << DbErrNo::Conversion;
    QTest::newRow("no such field")
        << "Colour" << QVariant(QStringLiteral("red")) << DbErrNo::NotFound;
}

void TestRecordSet::badValueRefused()
{
    QFETCH(QString, field);
    QFETCH(QVariant, value);
    QFETCH(int, number);
    TestEnv env;
    Connection db;
    const QString path = newDatabase(env, db);
    addEvent(db, QDate(2026, 7, 4), QStringLiteral("birthday"), QStringLiteral("Ann"));
    const QStringList before = rawRows(path, kCalendarRows);
    RecordSet rs;
    rs.Open(kAll, db, adOpenDynamic, adLockOptimistic);
    const int column = rs.fieldIndex(field);

    try {
        if (column < 0)
            rs.setField(field, value);
        else
            rs.setValueAt(0, column, value);
        QFAIL("grid write accepted");
    } catch (const DbError &e) {
        QCOMPARE(e.number(), number);
    }
    try {
        rs.setField(field, value);
        QFAIL("field assignment accepted");
    } catch (const DbError &e) {
        QCOMPARE(e.number(), number);
    }
    rs.Update(); // nothing was assigned, so nothing is written
    try {
        rs.insertRow({{QStringLiteral("Description"), QStringLiteral("new")}, {field, value}});
        QFAIL("insert accepted");
    } catch (const DbError &e) {
        QCOMPARE(e.number(), number);
    }
    QCOMPARE(rawRows(path, kCalendarRows), before);
    QCOMPARE(rs.RecordCount(), 1);
    QCOMPARE(rs.Fields(QStringLiteral("Dates")).toDate(), QDate(2026, 7, 4));
}

void TestRecordSet::textLongerThanColumn()
{
    TestEnv env;
    Connection db;
    const QString path = newDatabase(env, db);
    addEvent(db, QDate(2026, 7, 4), QStringLiteral("birthday"), QStringLiteral("Ann"));
    const QStringList before = rawRows(path, kCalendarRows);
    RecordSet rs;
    rs.Open(kAll, db, adOpenDynamic, adLockOptimistic);
    const QString tooSmall = QStringLiteral("The field is too small to accept the amount of data "
                                            "you attempted to add. Try inserting or pasting less "
                                            "data.");
    const int description = rs.fieldIndex(QStringLiteral("Description"));
    try {
        rs.setValueAt(0, description, QString(51, QLatin1Char('x')));
        QFAIL("51 characters accepted");
    } catch (const DbError &e) {
        QCOMPARE(e.description(), tooSmall);
    }
    try {
        rs.setField(QStringLiteral("icon"), QStringLiteral("sixteen_letters!")); // VARCHAR(15)
        QFAIL("16 characters accepted");
    } catch (const DbError &e) {
        QCOMPARE(e.description(), tooSmall);
    }
    QCOMPARE(rawRows(path, kCalendarRows), before);

    const QString fifty = QString(49, QLatin1Char('x')) + QStringLiteral("Ä");
    rs.setValueAt(0, description, fifty);
    rs.setField(QStringLiteral("Details"), QString(5000, QLatin1Char('d'))); // long text
    rs.Update();
    QCOMPARE(rs.Fields(QStringLiteral("Description")).toString(), fifty);
    QCOMPARE(rs.Fields(QStringLiteral("Details")).toString().size(), 5000);
}

void TestRecordSet::deleteThenMoveNext()
{
    TestEnv env;
    Connection db;
    const QString path = newDatabase(env, db);
    for (int i = 0; i < 4; ++i)
        addEvent(db, QDate(2026, 1, 1 + i), QStringLiteral("reminder"),
                 QStringLiteral("E%1").arg(i));
    RecordSet rs;
    rs.Open(kAll, db, adOpenDynamic, adLockOptimistic);
    // Deleting every other row the ADO way: Delete, then MoveNext.
    QStringList seen;
    for (rs.MoveFirst(); !rs.isEOF(); rs.MoveNext()) {
        const QString d = rs.Fields(QStringLiteral("Description")).toString();
        seen << d;
        if (d == QStringLiteral("E1") || d == QStringLiteral("E3")) {
            rs.Delete();
            QVERIFY_THROWS_EXCEPTION(DbError, rs.Fields(QStringLiteral("Description")));
        }
    }
    QCOMPARE(seen, (QStringList{"E0", "E1", "E2", "E3"}));
    QCOMPARE(rawRows(path, QStringLiteral("SELECT Description FROM Calendar ORDER BY rowid")),
             (QStringList{"E0", "E2"}));
    QCOMPARE(rs.RecordCount(), 2);
}

void TestRecordSet::errors()
{
    TestEnv env;
    Connection db;
    newDatabase(env, db);
    addEvent(db, QDate(2026, 7, 4), QStringLiteral("birthday"), QStringLiteral("Ann"));
    RecordSet rs;
    try {
        rs.MoveFirst();
        QFAIL("closed set moved");
    } catch (const DbError &e) {
        QCOMPARE(e.number(), DbErrNo::Closed);
    }
    rs.Open(kAll, db);
    try {
        rs.Fields(QStringLiteral("Nope"));
        QFAIL("unknown field read");
    } catch (const DbError &e) {
        QCOMPARE(e.number(), DbErrNo::NotFound);
    }
    rs.MoveNext();
    try {
        rs.MoveNext();
        QFAIL("moved past the end");
    } catch (const DbError &e) {
        QCOMPARE(e.number(), DbErrNo::NoCurrentRow);
    }
    try {
        rs.Open(kAll, db);
        QFAIL("opened twice");
    } catch (const DbError &e) {
        QCOMPARE(e.number(), DbErrNo::AlreadyOpen);
    }
    rs.Close();
    rs.setFilter(QString()); // as the editor's caller does before opening
    QVERIFY_THROWS_EXCEPTION(DbError, rs.setFilter(QStringLiteral("icon = 'x'")));
    rs.Open(kAll, db); // and again after Close
    QCOMPARE(rs.RecordCount(), 1);
    rs.Close();

    // A query over more than one table is read-only.
    rs.Open(QStringLiteral(
                "SELECT Description, descr FROM Calendar, Almarik_Type WHERE Calendar.icon = "
                "Almarik_Type.icon"),
            db);
    QCOMPARE(rs.Fields(QStringLiteral("descr")).toString(), QStringLiteral("Birthday"));
    try {
        rs.AddNew();
        QFAIL("read-only set added to");
    } catch (const DbError &e) {
        QCOMPARE(e.number(), DbErrNo::ReadOnly);
    }
    rs.Close();
    QVERIFY_THROWS_EXCEPTION(DbError, rs.Open(QStringLiteral("SELECT * FROM NoSuchTable"), db));
    QVERIFY(!rs.isOpen());
}

void TestRecordSet::sharedSetsLiveToTheEnd()
{
    // Left open on purpose: the shared sets are destroyed at exit, after
    // everything else of the store.
    static TestEnv env;
    newDatabase(env, dbConnection);
    for (int i = 0; i < 100; ++i)
        addEvent(dbConnection, QDate(2026, 1, 1).addDays(i), QStringLiteral("reminder"),
                 QStringLiteral("Event %1").arg(i));
    rsMonth.Open(QStringLiteral("SELECT * FROM calendar"), dbConnection, adOpenDynamic,
                 adLockOptimistic);
    rsEditor.setCursorLocation(adUseClient);
    rsEditor.Open(kAll, dbConnection, adOpenDynamic, adLockOptimistic);
    RecordSet scratch;
    scratch.Open(kAll, dbConnection);
    scratch.Close(); // its rows become the spare
    QCOMPARE(rsMonth.RecordCount(), 100);
    QCOMPARE(rsEditor.RecordCount(), 100);
}

QTEST_APPLESS_MAIN(TestRecordSet)
#include "tst_recordset.moc"
