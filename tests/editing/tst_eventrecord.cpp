// SPDX-License-Identifier: GPL-3.0-or-later
// The event record operations: statement texts to the character (the SQL
// builder's too), the validation rules, the single event dialog's change
// check, and what reaches the table (or does not) when saving and deleting,
// including failures and cancelled confirmations.

#include "editing/EditRules.h"
#include "editing/EventRecord.h"
#include "support/CalendarRows.h"
#include "support/TestDatabase.h"

#include <QTest>
#include <optional>
#include <sqlite3.h>

namespace {

EventRecord record(QDate day, const QString &description, const QString &icon = {},
                   const QString &details = {}, bool showOnce = false, QTime time = {})
{
    return EventRecord{QDateTime(day, time), icon, description, details, showOnce};
}

const QDate july4(2026, 7, 4);
const QDate july5(2026, 7, 5);

} // namespace

Q_DECLARE_METATYPE(EventRecord)

class TestEventRecord : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_t.emplace(); }
    void cleanup() { m_t.reset(); }
    void statements_data();
    void statements()
    {
        QFETCH(QString, built);
        QTEST(built, "expected");
    }
    void validate_data();
    void validate();
    void differs_data();
    void differs();
    void save();
    void remove();
    void storedWithTime();

private:
    QStringList rows() { return calendarRows(m_t->db); }
    // Makes the database refuse the given kind of statement on Calendar.
    void failOn(const char *operation)
    {
        const QByteArray sql = QByteArray("CREATE TRIGGER refuse_") + operation + " BEFORE " +
                               operation +
                               " ON Calendar BEGIN SELECT RAISE(ABORT, 'disk is on fire'); END";
        QCOMPARE(sqlite3_exec(m_t->db.handle(), sql.constData(), nullptr, nullptr, nullptr),
                 SQLITE_OK);
    }
    bool save(const EventRecord &loaded, const EventRecord &edited)
    {
        return SaveEvent(loaded, edited, m_t->db, m_t->prompts);
    }
    bool answerDelete(MsgResult answer, const EventRecord &rec)
    {
        m_t->prompts.answer(QVariant::fromValue(answer));
        return DeleteEvent(rec, m_t->db, m_t->prompts);
    }

    std::optional<TestDatabase> m_t;
};

void TestEventRecord::statements_data()
{
    QTest::addColumn<QString>("built");
    QTest::addColumn<QString>("expected");
    const QString insert =
        QStringLiteral("INSERT INTO Calendar (Dates,icon,Description,Details,ShowOnce) VALUES ");
    QTest::newRow("insert, no type nor details, show once")
        << insertStatement(record(QDate(2024, 1, 5), "Dentist", {}, {}, true))
        << insert + "(#01/05/2024#, Null, 'Dentist', Null, True)";
    QTest::newRow("insert, apostrophes everywhere, even in the type")
        << insertStatement(record(QDate(2024, 2, 29), "O'Neil's 'day'", "o'dd", "it's\r\nthat's"))
        << insert + "(#02/29/2024#, 'o''dd', 'O''Neil''s ''day''', 'it''s\r\nthat''s', False)";

    const EventRecord loaded = record(july4, "Ann's party", "birthday");
    QTest::newRow("update, no type, details")
        << updateStatement(loaded, record(july5, "Ann's party", {}, "bring cake", true))
        << "UPDATE Calendar SET  Dates = #07/05/2026#, Description ='Ann''s party', icon = NULL,  "
           "Details = 'bring cake', ShowOnce = True WHERE Dates = #07/04/2026# AND  Description "
           "='Ann''s party'";
    QTest::newRow("delete, time of day dropped")
        << deleteStatement(record(july4, "Ann's party", {}, {}, false, QTime(23, 59, 59)))
        << "DELETE FROM Calendar WHERE Description ='Ann''s party' AND Dates =#07/04/2026#";
    // Only when the day itself matched nothing: any time of that day.
    const QDate newYearsEve(2026, 12, 31);
    QTest::newRow("whole day: update, across the year end")
        << updateStatement(record(newYearsEve, "Ann"), record(newYearsEve, "Ann"),
                           DayMatch::WholeDay)
        << "UPDATE Calendar SET  Dates = #12/31/2026#, Description ='Ann', icon = NULL,  Details "
           "= NULL,  ShowOnce = False WHERE Dates >= #12/31/2026# AND Dates < #01/01/2027# AND  "
           "Description ='Ann'";
    QTest::newRow("whole day: delete, 28 February of a leap year")
        << deleteStatement(record(QDate(2028, 2, 28), "Ann", {}, {}, false, QTime(9, 0)),
                           DayMatch::WholeDay)
        << "DELETE FROM Calendar WHERE Description ='Ann' AND Dates >= #02/28/2028# AND Dates < "
           "#02/29/2028#";
    // The SQL builder's statement: values as typed, a condition without a column kept.
    QTest::newRow("built update")
        << builtStatement(SqlMode::Update, "ShowOnce", "O'Brien", "Description", "'D'")
        << "Update Calendar SET ShowOnce = O'Brien WHERE Description = 'D'";
    QTest::newRow("built delete, no condition")
        << builtStatement(SqlMode::Delete, "Dates", "1", "Description", "")
        << "Delete FROM Calendar ";
    QTest::newRow("built delete, condition without column")
        << builtStatement(SqlMode::Delete, "", "", "", "5") << "Delete FROM Calendar  WHERE  = 5";
    QTest::newRow("line breaks of every kind stored as CR LF")
        << withCrLf("a\nb\r\nc\rd\n") << "a\r\nb\r\nc\r\nd\r\n";
    QTest::newRow("a CR alone stored as CR LF") << withCrLf("c\rd") << "c\r\nd";
}

void TestEventRecord::validate_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<QDate>("day");
    QTest::addColumn<bool>("showOnce");
    QTest::addColumn<QString>("reason"); // "" when valid
    const QString empty = QStringLiteral("Description not complete");
    const QString past = QStringLiteral("Date for show once option needs to be in the future");
    const QDate today(2024, 3, 1);
    QTest::newRow("empty description") << "" << today << false << empty;
    QTest::newRow("empty description, show once yesterday (29 February): only the date reason")
        << "" << today.addDays(-1) << true << past;
    QTest::newRow("show once today") << "Ann" << today << true << "";
    QTest::newRow("past date without show once") << "Ann" << QDate(1950, 1, 1) << false << "";
    QTest::newRow("blanks-only description") << "   " << today << false << "";
}

void TestEventRecord::validate()
{
    QFETCH(QString, description);
    QFETCH(QDate, day);
    QFETCH(bool, showOnce);
    QFETCH(QString, reason);
    // Later in the day than now: a day boundary, not 24 hours, is what counts.
    const EventRecord rec = record(day, description, {}, {}, showOnce, QTime(23, 45));
    QCOMPARE(ValidateEvent(rec, m_t->prompts, QDateTime(QDate(2024, 3, 1), QTime(23, 30))),
             reason.isEmpty());
    QCOMPARE(m_t->prompts.takeBoxes().join('\n'),
             reason.isEmpty() ? reason
                              : "Almarik (critical, OK): " + reason + "\r\nThe event is invalid");
}

void TestEventRecord::differs_data()
{
    QTest::addColumn<EventRecord>("form");
    QTest::addColumn<bool>("differs");
    // The time never counts.
    const EventRecord same{QDateTime(QDate(2024, 2, 29), QTime(15, 0)), "birthday", "Ann", "a\r\nb",
                           false};
    QTest::newRow("nothing") << same << false;
    auto changed = [&](const char *name, auto change) {
        EventRecord form = same;
        change(form);
        QTest::newRow(name) << form << true;
    };
    changed("day", [](EventRecord &f) { f.Dates = f.Dates.addDays(1); });
    changed("description's case", [](EventRecord &f) { f.Description = QStringLiteral("ANN"); });
    changed("type", [](EventRecord &f) { f.icon.clear(); });
    changed("details with a bare LF", [](EventRecord &f) { f.Details = QStringLiteral("a\nb"); });
    changed("show once", [](EventRecord &f) { f.ShowOnce = true; });
}

// Whether the single event dialog's form differs from the event it loaded.
void TestEventRecord::differs()
{
    QFETCH(EventRecord, form);
    // Details are compared as stored, with CR LF.
    const EventRecord loaded{QDateTime(QDate(2024, 2, 29), QTime(0, 0)), "birthday", "Ann", "a\nb",
                             false};
    QTEST(eventDiffers(loaded, form), "differs");
}

void TestEventRecord::save()
{
    // Inserts keep the calendar day only; an update finds every row of the
    // loaded day and description, although the loaded record carries a time.
    const EventRecord noon = record(july4, "Ann's party", {}, {}, false, QTime(12, 34, 56));
    for (const EventRecord &inserted : {noon, noon, record(july4, "Other")})
        QVERIFY(save({}, inserted));
    QVERIFY(save(noon, record(july5, "Twins", "holiday", "Jo's", true, QTime(8, 0))));
    // No type and no details go in as Null.
    QCOMPARE(rows(),
             (QStringList{"2026-07-05|holiday|Twins|Jo's|true",
                          "2026-07-05|holiday|Twins|Jo's|true", "2026-07-04|-|Other|-|false"}));

    // Each failure (and only a failure) is shown and reported, and the table
    // stays as it was.
    const QStringList before = rows();
    QVERIFY(!save({}, record(QDate(), "No date")));
    failOn("UPDATE");
    QVERIFY(!save(record(july4, "Other"), record(july5, "Bob")));
    failOn("INSERT");
    QVERIFY(!save({}, record(july5, "Bob")));
    const QString refused = QStringLiteral("Error Saving Event (critical, OK): disk is on fire");
    QCOMPARE(m_t->prompts.takeBoxes(),
             (QStringList{"Error Saving Event (critical, OK): Type mismatch", refused, refused}));
    QCOMPARE(rows(), before);
}

void TestEventRecord::remove()
{
    const EventRecord twin = record(july4, "Jo's day");
    for (const EventRecord &inserted : {twin, twin, record(july5, "Jo's day")})
        QVERIFY(save({}, inserted));
    const EventRecord evening = record(july4, "Jo's day", {}, {}, false, QTime(18, 0));
    // Cancel: nothing happens.
    QVERIFY(!answerDelete(MsgResult::Cancel, evening));
    QCOMPARE(rows().size(), 3);
    // OK: both rows of the day go, the other day stays. Matching no row is
    // said and reported.
    QVERIFY(answerDelete(MsgResult::Ok, evening));
    QCOMPARE(rows(), QStringList{"2026-07-05|-|Jo's day|-|false"});
    QVERIFY(!answerDelete(MsgResult::Ok, evening));
    // A database error is shown and reported.
    failOn("DELETE");
    QVERIFY(!answerDelete(MsgResult::Ok, record(july5, "Jo's day")));
    QCOMPARE(rows().size(), 1);
    // The description is shown as it is.
    const QString ask = QStringLiteral("Delete (question, OK/Cancel): OK to delete Jo's day ?");
    QCOMPARE(m_t->prompts.takeBoxes(),
             (QStringList{ask, ask, ask,
                          "Almarik (exclamation, OK): The event Jo's day was not found in the "
                          "table: nothing was deleted.",
                          ask, "Almarik (critical, OK): disk is on fire"}));
}

void TestEventRecord::storedWithTime()
{
    // Dates stored with a time of day (by a statement or an old grid edit)
    // are still found by their day, and only by it.
    addEvents(m_t->db, {"(#12/31/2026 10:30:00#, Null, 'Ann', Null, False)",
                        "(#12/31/2026 23:59:59#, Null, 'Cleo', Null, False)",
                        "(#01/01/2027 00:30:00#, Null, 'Cleo', Null, False)"});
    const QDate eve(2026, 12, 31);
    QVERIFY(save(record(eve, "Ann"), record(eve, "Ann", "birthday")));
    QVERIFY(answerDelete(MsgResult::Ok, record(eve, "Cleo")));
    // What matches no day at all changes nothing, and says so.
    QVERIFY(!save(record(eve.addDays(-1), "Ann"), record(eve, "Changed")));
    // The updated row keeps only its day.
    QCOMPARE(rows(), (QStringList{"2026-12-31|birthday|Ann|-|false",
                                  "2027-01-01T00:30:00.000|-|Cleo|-|false"}));
    QCOMPARE(m_t->prompts.takeBoxes().mid(1),
             QStringList{"Error Saving Event (critical, OK): The event Ann was not found in the "
                         "table: nothing was saved."});
}

QTEST_APPLESS_MAIN(TestEventRecord)
#include "tst_eventrecord.moc"
