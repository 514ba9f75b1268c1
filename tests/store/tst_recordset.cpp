// SPDX-License-Identifier: GPL-3.0-or-later
// Record sets as the program's procedures use them: when they read their
// rows, requery, filter, counting, typed and null fields, and writes that
// reach the very row shown.

#include "StoreFixture.h"
#include "store/RecordSet.h"

#include "platform/Clock.h"

#include <QDate>
#include <QTest>
#include <functional>

using namespace fixture;

class TestRecordSet : public QObject
{
    Q_OBJECT
private slots:
    void reading_data();
    void reading();
    void filter_data();
    void filter();
    void typedValues();
    void largeSets();
    void gridWritesReachTheRowShown();
    void rowsChangedSinceRead_data();
    void rowsChangedSinceRead();
    void valuesAsTyped_data();
    void valuesAsTyped();
    void errors();
};

namespace {

const QString kAll = "SELECT * FROM Calendar ORDER BY Dates";

QStringList descriptions(RecordSet &rs)
{
    QStringList out;
    for (rs.MoveFirst(); !rs.isEOF(); rs.MoveNext())
        out << rs.Fields("Description").toString();
    return out;
}

// The editor's kind of table, in date order: o'b in several spellings,
// non-ASCII initials, a null type.
const QStringList kEditorEvents = {"(#12/24/1999#, 'Holiday', '50% off', Null, False)",
                                   "(#1/5/2026#, 'birthday', 'Jo''bs birthday', Null, True)",
                                   "(#2/6/2026#, 'birthday', 'JO''B''S PARTY', Null, True)",
                                   "(#3/7/2026#, 'reminder', 'Jo''b at work', Null, True)",
                                   "(#4/8/2026#, 'birthday', 'Jo''bs anniversary', Null, False)",
                                   "(#6/10/2026#, 'holiday', 'Äpfel pflücken', Null, False)",
                                   "(#7/11/2026#, Null, 'äpfel kaufen', 'at the market', False)"};

// A new database holding events, and a set over them opened for changes.
struct Opened : TestDatabase
{
    explicit Opened(const QStringList &events = {"(#7/4/2026#, 'birthday', 'Ann', Null, False)"},
                    const QString &source = kAll)
    {
        db.BeginTrans(); // one commit: a commit each is slow
        addEvents(db, events);
        db.CommitTrans();
        // As the editor opens it: a client cursor reads at Open.
        rs.setCursorLocation(adUseClient);
        rs.Open(source, db, adOpenDynamic, adLockOptimistic);
    }
    RecordSet rs;
};

// What happens to the set's table after the set was opened (and, for a
// client cursor, read).
using Change = std::function<void(TestDatabase &, RecordSet &)>;

} // namespace

Q_DECLARE_METATYPE(Change)

void TestRecordSet::reading_data()
{
    QTest::addColumn<bool>("client");
    QTest::addColumn<QString>("source");
    QTest::addColumn<Change>("change");
    // The descriptions and the column count read after the change and a
    // Requery (a server set: at its first use).
    QTest::addColumn<QString>("expected");
    const auto sql = [](const char *text) {
        return Change([text](TestDatabase &t, RecordSet &) { runSql(t.db, text); });
    };
    const QString all = "SELECT * FROM Calendar";
    const auto row = [](const char *name, bool client, const QString &source, const Change &change,
                        const char *expected) {
        QTest::newRow(name) << client << source << change << QString::fromUtf8(expected);
    };
    row("client: this connection's write", true, all, sql("UPDATE Calendar SET Description = 'Bo'"),
        "Bo Bo 5");
    row("client: another connection's commit", true, all, Change([](TestDatabase &t, RecordSet &) {
            Connection other;
            other.Open(t.path);
            runSql(other, "UPDATE Calendar SET Description = 'Cy'");
        }),
        "Cy Cy 5");
    row("client: a new column", true, all, sql("ALTER TABLE Calendar ADD COLUMN Extra TEXT(10)"),
        "Ann Eve 6");
    // Nothing changed, but the clock moved past the second event.
    row("client: a WHERE that reads the clock", true, all + " WHERE Dates < Now()",
        Change([](TestDatabase &, RecordSet &) {
            setAppClock([] { return QDateTime(QDate(2026, 8, 1), QTime(12, 0)); });
        }),
        "Ann Eve 5");
    row("server: rows written after Open", false, all,
        sql("DELETE FROM Calendar WHERE Description = 'Ann'"), "Eve 5");
    // A filter set on a server set reads it; a scan keeps the filter, and
    // the set reads anew with it.
    row("server: a scan of a filtered set", false, all, Change([](TestDatabase &, RecordSet &rs) {
            rs.setFilter("Description = 'Eve'");
            QStringList scanned;
            rs.scan({"Description", "Nothing"}, [&](const RecordSet::ScanRow &r) {
                scanned << r.value(0).toString();
                QCOMPARE(thrown([&] { r.value(1); }).number(), DbErrNo::NotFound);
            });
            QCOMPARE(scanned, QStringList{"Eve"});
        }),
        "Eve 5");
}

void TestRecordSet::reading()
{
    QFETCH(bool, client);
    QFETCH(QString, source);
    QFETCH(Change, change);
    setAppClock([] { return QDateTime(QDate(2026, 7, 1), QTime(12, 0)); });
    TestDatabase t;
    addEvents(t.db, {"(#6/1/2026#, Null, 'Ann', Null, False)",
                     "(#7/15/2026#, Null, 'Eve', Null, False)"});
    RecordSet rs;
    if (client)
        rs.setCursorLocation(adUseClient);
    rs.Open(source, t.db, adOpenDynamic, adLockOptimistic);
    // A client set is read at Open and again by Requery; a server set
    // first at its first use.
    if (client) {
        QCOMPARE(descriptions(rs).size(), source.contains("WHERE") ? 1 : 2);
        change(t, rs);
        rs.Requery();
    } else {
        change(t, rs);
    }
    QTEST(QString(descriptions(rs).join(' ') + ' ' + QString::number(rs.fieldCount())), "expected");
    setAppClock(systemClock());
}

void TestRecordSet::filter_data()
{
    QTest::addColumn<QString>("criteria");
    QTest::addColumn<QStringList>("expected"); // in date order
    auto row = [](const char *name, const char *criteria, const QStringList &expected) {
        QTest::newRow(name) << QString::fromUtf8(criteria) << expected;
    };
    row("the editor's example",
        "Description like '*o''b*' and icon = 'birthday' and ShowOnce = True",
        {"Jo'bs birthday", "JO'B'S PARTY"});
    row("non-ASCII like ignores case", "Description like 'ä*'", {"Äpfel pflücken", "äpfel kaufen"});
    row("% a wild card", "Description like 'Jo''b%work'", {"Jo'b at work"});
    row("[ an ordinary character", "Description like '*[*'", {});
    row("a date", "Dates < #1/5/2026#", {"50% off"});
}

void TestRecordSet::filter()
{
    QFETCH(QString, criteria);
    QFETCH(QStringList, expected);
    Opened t(kEditorEvents);
    t.rs.MoveLast();
    t.rs.setFilter(criteria);
    QCOMPARE(t.rs.position(), 0);
    // An event that passes no filter here: a Requery keeps the filter in force.
    addEvents(t.db, {"(#12/1/2026#, 'reminder', 'Dentist', Null, True)"});
    t.rs.Requery();
    // A refused filter leaves the filter and its rows as they were.
    for (const char *bad : {"Description like 'abc", "Dates = #13/45/2026#", "NoSuchField = 1",
                            "icon = 'x'; DELETE FROM Calendar"})
        QVERIFY(thrown([&] { t.rs.setFilter(QString::fromUtf8(bad)); }).number() != 0);
    QCOMPARE(t.rs.Filter(), criteria);
    QCOMPARE(t.rs.RecordCount(), int(expected.size()));
    t.rs.MoveLast();
    if (expected.isEmpty()) {
        QVERIFY(t.rs.isEOF() && t.rs.isBOF());
        QCOMPARE(thrown([&] { t.rs.Fields("Dates"); }).number(), DbErrNo::NoCurrentRow);
    } else {
        QCOMPARE(t.rs.Fields("Description").toString(), expected.last());
    }
    QCOMPARE(descriptions(t.rs), expected);
    t.rs.setFilter(QString());
    QCOMPARE(t.rs.RecordCount(), 8);
}

void TestRecordSet::typedValues()
{
    // Texts either side of the short ones kept once, one beyond ASCII.
    Opened t({"(#2/29/2024#, 'birthday', 'Geburtstag von Jürgen', 'abcdefghijklmnopq', True)",
              "(#1/5/2026 1:30 PM#, Null, 'abcdefghijklmnop', Null, False)"},
             "SELECT Dates, Icon, Description, Details, ShowOnce FROM Calendar");
    QVariantList values; // every field of every row, in order
    for (; !t.rs.isEOF(); t.rs.MoveNext())
        for (int c = 0; c < t.rs.fieldCount(); ++c)
            values << t.rs.Fields(t.rs.fieldName(c));
    // A null type is null, not "Null"; a time of day makes a date and time.
    QCOMPARE(values,
             (QVariantList{QDate(2024, 2, 29), "birthday", "Geburtstag von Jürgen",
                           "abcdefghijklmnopq", true, QDateTime(QDate(2026, 1, 5), QTime(13, 30)),
                           QVariant(), "abcdefghijklmnop", QVariant(), false}));
}

void TestRecordSet::largeSets()
{
    // More rows than one chunk of cells holds, more text than one block.
    Opened t(QStringList{}, "SELECT * FROM Calendar");
    runSql(t.db, "sqlite3: INSERT INTO Calendar (Dates, Description, Details, ShowOnce) WITH "
                 "RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1003) "
                 "SELECT '2026-01-01', CASE WHEN i <= 1000 THEN 'E' || i END, CASE WHEN i > 1000 "
                 "THEN printf('%.*c', 400000, char(96 + i - 1000)) END, 0 FROM n");
    t.rs.Requery();
    t.rs.deleteAt(0);
    QCOMPARE(t.rs.RecordCount(), 1002);
    QStringList read;
    for (t.rs.setPosition(998); !t.rs.isEOF(); t.rs.MoveNext()) {
        const QString details = t.rs.Fields("Details").toString();
        QVERIFY(details.isEmpty() || details.count(details.at(0)) == details.size());
        read << t.rs.Fields("Description").toString() + '|' + details.left(1) +
                    QString::number(details.size());
    }
    QCOMPARE(read, (QStringList{"E1000|0", "|a400000", "|b400000", "|c400000"}));
}

void TestRecordSet::gridWritesReachTheRowShown()
{
    Opened t({"(#1/1/2026#, 'holiday', 'New Year', Null, False)",
              "(#7/4/2026#, 'birthday', 'Same', Null, False)",
              "(#7/4/2026#, 'birthday', 'Same', Null, False)",
              "(#7/4/2026#, 'birthday', 'Same', Null, False)"},
             "SELECT * FROM Calendar");
    const QString byRowid = "SELECT rowid, Description FROM Calendar ORDER BY rowid";
    const int description = t.rs.fieldIndex("DESCRIPTION");

    // Rows 1 to 3 look the same; each write reaches its own row.
    t.rs.setValueAt(2, description, "Middle");
    QCOMPARE(t.rs.valueAt(2, description).toString(), "Middle");
    QCOMPARE(rawRows(t.path, byRowid), (QStringList{"1|New Year", "2|Same", "3|Middle", "4|Same"}));
    t.rs.MoveLast(); // rowid 4
    t.rs.deleteAt(1);
    QCOMPARE(t.rs.position(), 2); // still the same row
    QCOMPARE(t.rs.rowidAt(t.rs.position()), qint64(4));
    const int added = t.rs.insertRow({{"Dates", QDate(2026, 7, 4)}, {"Description", "Same"}});
    QCOMPARE(t.rs.rowidAt(added), qint64(5));
    QCOMPARE(t.rs.valueAt(added, t.rs.fieldIndex("ShowOnce")), QVariant(false));

    // Under a filter, the visible row is the one written.
    t.rs.setFilter("Description = 'same'");
    t.rs.setValueAt(1, description, "Last");
    t.rs.deleteAt(0);
    t.rs.setField("Description", "Cancelled");
    t.rs.CancelUpdate();
    t.rs.Update(); // nothing left to write
    QCOMPARE(rawRows(t.path, byRowid), (QStringList{"1|New Year", "3|Middle", "5|Last"}));
    QCOMPARE(t.rs.RecordCount(), 1);
    QCOMPARE(thrown([&] { t.rs.valueAt(1, description); }).number(), DbErrNo::NoCurrentRow);
}

void TestRecordSet::rowsChangedSinceRead_data()
{
    QTest::addColumn<bool>("remove");
    QTest::addColumn<QStringList>("changes"); // run after the set was read; none: written
    const QString ann = " WHERE Description = 'Ann'";
    const QList<QPair<const char *, QStringList>> cases = {
        {"unchanged", {}},
        {"replaced under its rowid",
         {"DELETE FROM Calendar" + ann,
          "INSERT INTO Calendar (Dates, Description) VALUES (#1/5/2026#, 'Cy')"}},
        {"only the case of a text changed", {"UPDATE Calendar SET Description = 'ANN'" + ann}},
        {"midnight written by another program",
         {"sqlite3: UPDATE Calendar SET Dates = '2026-01-05 00:00:00'" + ann}}};
    for (const bool remove : {false, true})
        for (const auto &[name, changes] : cases)
            QTest::addRow("%s, %s", remove ? "delete" : "write", name) << remove << changes;
}

void TestRecordSet::rowsChangedSinceRead()
{
    QFETCH(bool, remove);
    QFETCH(QStringList, changes);
    // Each kind of cell takes part in finding the row.
    Opened t({"(#1/1/0100#, 'birthday', 'Bob', Null, False)",
              "(#1/5/2026#, Null, 'Ann', 'Äpfel', True)"},
             "SELECT * FROM Calendar");
    for (const QString &sql : changes)
        runSql(t.db, sql);
    const QStringList before = rawRows(t.path, kRows);
    const DbError e = thrown([&] { remove ? t.rs.deleteAt(1) : t.rs.setValueAt(1, 2, "Dora"); });
    if (changes.isEmpty()) {
        QCOMPARE(rawRows(t.path, kRows).join(' ').contains("Ann"), false);
        return;
    }
    QCOMPARE(e.description(), QStringLiteral("Row cannot be located for updating. Some values may "
                                             "have been changed since it was last read."));
    QCOMPARE(e.number(), DbErrNo::ReadOnly);
    QCOMPARE(rawRows(t.path, kRows), before);
    QCOMPARE(t.rs.valueAt(1, 2).toString(), "Ann");
}

void TestRecordSet::valuesAsTyped_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("stored"); // the field as stored
    QTest::addColumn<int>("number");     // the error, 0 for none
    auto row = [](const char *name, const char *locale, const char *field, const QVariant &value,
                  const QString &stored, int number) {
        QTest::newRow(name) << QString(locale) << QString(field) << value << stored << number;
    };
    const int conversion = DbErrNo::Conversion, general = DbErrNo::General;
    row("stored form with a time", "C", "Dates", "2026-07-04 13:45:00", "2026-07-04 13:45:00", 0);
    row("Jet literal form", "C", "Dates", "7/4/2026", "2026-07-04", 0);
    row("German short form", "de_DE", "Dates", "04.07.26", "2026-07-04", 0);
    row("words for a date", "C", "Dates", "next Tuesday", "", conversion);
    row("yes/no 5", "C", "ShowOnce", 5, "-1", 0);
    row("an empty text is Null", "C", "icon", "", "<null>", 0);
    const QString fifty = QString(49, QLatin1Char('x')) + "Ä";
    row("50 characters, one not ASCII", "C", "Description", fifty, fifty, 0);
    row("51 characters for 50", "C", "Description", QString(51, QLatin1Char('x')), "", general);
    row("no such field", "C", "Colour", "red", "", DbErrNo::NotFound);
}

void TestRecordSet::valuesAsTyped()
{
    QFETCH(QString, locale);
    QFETCH(QString, field);
    QFETCH(QVariant, value);
    QFETCH(QString, stored);
    QFETCH(int, number);
    Opened t;
    const QStringList before = rawRows(t.path, kRows);
    // The grid's write, a field assignment and a new row all take the value
    // alike, or refuse it alike.
    QLocale::setDefault(QLocale(locale));
    const QList<DbError> errors = {
        thrown([&] { t.rs.setValueAt(0, t.rs.fieldIndex(field), value); }),
        thrown([&] { t.rs.setField(field, value); }), thrown([&] {
            t.rs.insertRow({{"Description", "new"}, {field, value}});
        })};
    QLocale::setDefault(QLocale::c());
    for (const DbError &e : errors) {
        QCOMPARE(e.number(), number);
        if (number == DbErrNo::General)
            QCOMPARE(e.description(),
                     QStringLiteral("The field is too small to accept the amount of data you "
                                    "attempted to add. Try inserting or pasting less data."));
    }
    t.rs.Update(); // writes the assignment, when it was taken
    QCOMPARE(t.rs.RecordCount(), number ? 1 : 2);
    if (number)
        QCOMPARE(rawRows(t.path, kRows), before);
    else
        QCOMPARE(rawRows(t.path, "SELECT " + field + " FROM Calendar ORDER BY rowid"),
                 (QStringList{stored, stored}));
}

void TestRecordSet::errors()
{
    RecordSet closed;
    QCOMPARE(thrown([&] { closed.MoveFirst(); }).number(), DbErrNo::Closed);
    Opened t;
    QCOMPARE(thrown([&] { t.rs.Fields("Nope"); }).number(), DbErrNo::NotFound);
    t.rs.MoveNext();
    QCOMPARE(thrown([&] { t.rs.MoveNext(); }).number(), DbErrNo::NoCurrentRow);
    QCOMPARE(thrown([&] { t.rs.Open(kAll, t.db); }).number(), DbErrNo::AlreadyOpen);
    t.rs.Close();
    t.rs.setFilter(QString()); // as the editor's caller does before opening
    t.rs.Open(kAll, t.db);     // and again after Close, read-only by default
    // A read-only set refuses every kind of write, with nothing changed.
    const QStringList before = rawRows(t.path, kRows);
    for (const std::function<void()> &write : {std::function<void()>([&] { t.rs.AddNew(); }),
                                               {[&] { t.rs.setValueAt(0, 2, "Bo"); }},
                                               {[&] { t.rs.deleteRows({0}); }}})
        QCOMPARE(thrown(write).description(),
                 QStringLiteral("Current Recordset does not support updating. This may be a "
                                "limitation of the provider, or of the selected locktype."));
    QCOMPARE(rawRows(t.path, kRows), before);
    QCOMPARE(descriptions(t.rs), QStringList{"Ann"});
    t.rs.Close();
    // A query over two tables cannot be written, even opened for changes.
    t.rs.Open(QStringLiteral("SELECT Description, descr FROM Calendar, Almarik_Type WHERE "
                             "Calendar.icon = Almarik_Type.icon"),
              t.db, adOpenDynamic, adLockOptimistic);
    QCOMPARE(t.rs.Fields("descr").toString(), "Birthday");
    QCOMPARE(thrown([&] { t.rs.AddNew(); }).description(),
             "Cannot update. Database or object is read-only.");
    t.rs.Close();
    QVERIFY(thrown([&] { t.rs.Open("SELECT * FROM Nowhere", t.db); }).number());
    QVERIFY(!t.rs.isOpen());
}

QTEST_APPLESS_MAIN(TestRecordSet)
#include "tst_recordset.moc"
