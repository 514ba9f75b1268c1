// The event record operations: statement texts to the character, the
// validation rules, and what reaches the table (or does not) when saving
// and deleting, including failures and cancelled confirmations.

#include "editing/EventRecord.h"
#include "store/Repair.h"
#include "support/CalendarRows.h"
#include "support/ScriptedPrompts.h"
#include "support/TestEnv.h"

#include <QTest>
#include <sqlite3.h>

namespace {

EventRecord record(QDate day, const QString &description, const QString &icon = {},
                   const QString &details = {}, bool showOnce = false)
{
    return EventRecord{day.startOfDay(), icon, description, details, showOnce};
}

const QDate july4(2026, 7, 4);
const QDate july5(2026, 7, 5);

} // namespace

class TestEventRecord : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup() { m_db.Close(); }
    void statements_data();
    void statements();
    void validate_data();
    void validate();
    void save();
    void saveFailure_data();
    void saveFailure();
    void remove();

private:
    QStringList rows() { return calendarRows(m_db); }
    void failOn(const char *operation);
    bool save(const EventRecord &loaded, const EventRecord &edited)
    {
        return SaveEvent(loaded, edited, m_db, *m_prompts);
    }

    TestEnv m_env;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    Connection m_db;
    int m_files = 0;
};

void TestEventRecord::init()
{
    m_prompts.reset(); // the one it replaces must be gone first
    m_prompts = std::make_unique<ScriptedPrompts>();
    const QString path = m_env.path(QStringLiteral("events%1.mdb").arg(++m_files));
    CreateDatabase(path);
    m_db.Open(path);
}

// Makes the database refuse the given kind of statement on Calendar.
void TestEventRecord::failOn(const char *operation)
{
    const QByteArray sql = QByteArray("CREATE TRIGGER refuse BEFORE ") + operation +
                           " ON Calendar BEGIN SELECT RAISE(ABORT, 'disk is on fire'); END";
    QCOMPARE(sqlite3_exec(m_db.handle(), sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
}

void TestEventRecord::statements_data()
{
    QTest::addColumn<QString>("built");
    QTest::addColumn<QString>("expected");
    const QString insert =
        QStringLiteral("INSERT INTO Calendar (Dates,icon,Description,Details,ShowOnce) VALUES ");
    QTest::newRow("insert, type and no details")
        << insertStatement(record(july4, "Ann's party", "birthday"))
        << "INSERT INTO Calendar (Dates,icon,Description,Details,ShowOnce) VALUES (#07/04/2026#, "
           "'birthday', 'Ann''s party', Null, False)";
    QTest::newRow("insert, details and no type, show once")
        << insertStatement(record(QDate(2024, 1, 5), "Dentist", {}, "bring card", true))
        << insert + "(#01/05/2024#, Null, 'Dentist', 'bring card', True)";
    QTest::newRow("insert, apostrophes everywhere, even in the type")
        << insertStatement(record(QDate(2024, 2, 29), "O'Neil's 'day'", "o'dd", "it's\r\nthat's"))
        << insert + "(#02/29/2024#, 'o''dd', 'O''Neil''s ''day''', 'it''s\r\nthat''s', False)";

    const EventRecord loaded = record(july4, "Ann's party", "birthday");
    QTest::newRow("update, no type, details")
        << updateStatement(loaded, record(july5, "Ann's party", {}, "bring cake", true))
        << "UPDATE Calendar SET  Dates = #07/05/2026#, Description ='Ann''s party', icon = NULL,  "
           "Details = 'bring cake', ShowOnce = True WHERE Dates = #07/04/2026# AND  Description "
           "='Ann''s party'";
    QTest::newRow("update, type, no details")
        << updateStatement(loaded, record(july4, "Ann", "holiday"))
        << "UPDATE Calendar SET  Dates = #07/04/2026#, Description ='Ann', icon = 'holiday', "
           "Details = NULL,  ShowOnce = False WHERE Dates = #07/04/2026# AND  Description "
           "='Ann''s party'";
    QTest::newRow("update, type and details with apostrophes")
        << updateStatement(loaded, record(july4, "x", "b'day", "Jo's"))
        << "UPDATE Calendar SET  Dates = #07/04/2026#, Description ='x', icon = 'b''day', Details "
           "= 'Jo''s', ShowOnce = False WHERE Dates = #07/04/2026# AND  Description ='Ann''s "
           "party'";

    EventRecord late = record(july4, "Ann's party");
    late.Dates.setTime(QTime(23, 59, 59));
    QTest::newRow("delete, time of day dropped")
        << deleteStatement(late)
        << "DELETE FROM Calendar WHERE Description ='Ann''s party' AND Dates =#07/04/2026#";
    QTest::newRow("select one event")
        << selectEventStatement(july4, "Ann's party")
        << "SELECT * FROM Calendar WHERE Dates =#07/04/2026# AND Description ='Ann''s party'";
}

void TestEventRecord::statements()
{
    QFETCH(QString, built);
    QTEST(built, "expected");
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
    QTest::newRow("complete") << "Ann" << today << false << "";
    QTest::newRow("empty description") << "" << today << false << empty;
    QTest::newRow("empty description, show once in the past: only the date reason")
        << "" << today.addDays(-1) << true << past;
    QTest::newRow("show once today") << "Ann" << today << true << "";
    QTest::newRow("show once yesterday (29 February)")
        << "Ann" << today.addDays(-1) << true << past;
    QTest::newRow("show once on the last day of the year before")
        << "Ann" << QDate(2023, 12, 31) << true << past;
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
    EventRecord rec = record(day, description, {}, {}, showOnce);
    rec.Dates.setTime(QTime(23, 45));
    QCOMPARE(ValidateEvent(rec, *m_prompts, QDateTime(QDate(2024, 3, 1), QTime(23, 30))),
             reason.isEmpty());
    QCOMPARE(m_prompts->boxes.size(), reason.isEmpty() ? 0 : 1);
    if (reason.isEmpty())
        return;
    const RecordedBox &box = m_prompts->boxes.first();
    QCOMPARE(box.text, reason + QStringLiteral("\r\nThe event is invalid"));
    QCOMPARE(box.icon, MsgIcon::Critical);
    QCOMPARE(box.buttons, MsgButtons::OkOnly);
    QCOMPARE(box.title, QStringLiteral("Almarik"));
}

void TestEventRecord::save()
{
    // Inserts: no type and no details go in as Null; the time of day never does.
    EventRecord noon = record(july4, "Ann's party");
    noon.Dates.setTime(QTime(12, 34, 56));
    QVERIFY(save({}, noon));
    QVERIFY(save({}, noon));
    QVERIFY(save({}, record(july5, "Race", "car_race", "pit lane", true)));
    QVERIFY(save({}, record(july4, "Other")));
    QCOMPARE(rows(),
             (QStringList{"2026-07-04|-|Ann's party|-|false", "2026-07-04|-|Ann's party|-|false",
                          "2026-07-05|car_race|Race|pit lane|true", "2026-07-04|-|Other|-|false"}));

    // An update finds every row of the loaded day and description, although
    // the loaded record carries a time.
    QVERIFY(save(noon, record(july5, "Twins", "holiday", {}, true)));
    // A damaged type key with an apostrophe neither breaks nor changes the statement.
    QVERIFY(save(record(july5, "Race"), record(july5, "Race", "x', Description = 'hijacked")));
    QCOMPARE(rows(),
             (QStringList{"2026-07-05|holiday|Twins|-|true", "2026-07-05|holiday|Twins|-|true",
                          "2026-07-05|x', Description = 'hijacked|Race|-|false",
                          "2026-07-04|-|Other|-|false"}));
    QVERIFY(m_prompts->boxes.isEmpty());
}

void TestEventRecord::saveFailure_data()
{
    QTest::addColumn<bool>("update");
    QTest::addColumn<bool>("badDate");
    QTest::newRow("insert refused by the database") << false << false;
    QTest::newRow("update refused by the database") << true << false;
    QTest::newRow("insert without a date") << false << true;
}

void TestEventRecord::saveFailure()
{
    QFETCH(bool, update);
    QFETCH(bool, badDate);
    const EventRecord existing = record(july4, "Ann", "birthday");
    QVERIFY(save({}, existing));
    if (!badDate)
        failOn(update ? "UPDATE" : "INSERT");
    EventRecord edited = record(july5, "Bob");
    if (badDate)
        edited.Dates = QDateTime();
    QVERIFY(!save(update ? existing : EventRecord{}, edited));
    QCOMPARE(m_prompts->boxes.size(), 1);
    const RecordedBox &box = m_prompts->boxes.first();
    QCOMPARE(box.title, QStringLiteral("Error Saving Event"));
    QCOMPARE(box.icon, MsgIcon::Critical);
    QVERIFY2(box.text.contains(badDate ? "Type mismatch" : "disk is on fire"),
             qPrintable(box.text));
    QCOMPARE(rows(), QStringList{"2026-07-04|birthday|Ann|-|false"});
}

void TestEventRecord::remove()
{
    const EventRecord twin = record(july4, "Jo's day");
    QVERIFY(save({}, twin));
    QVERIFY(save({}, twin));
    QVERIFY(save({}, record(july5, "Jo's day")));
    EventRecord target = twin;
    target.Dates.setTime(QTime(18, 0));

    // Cancel: nothing happens. The description is shown as it is.
    m_prompts->answer(QVariant::fromValue(MsgResult::Cancel));
    QVERIFY(!DeleteEvent(target, m_db, *m_prompts));
    QCOMPARE(rows().size(), 3);
    const RecordedBox &box = m_prompts->boxes.first();
    QCOMPARE(box.text, QStringLiteral("OK to delete Jo's day ?"));
    QCOMPARE(box.title, QStringLiteral("Delete"));
    QCOMPARE(box.icon, MsgIcon::Question);
    QCOMPARE(box.buttons, MsgButtons::OkCancel);

    // OK: both rows of the day go, the other day stays.
    m_prompts->answer(QVariant::fromValue(MsgResult::Ok));
    QVERIFY(DeleteEvent(target, m_db, *m_prompts));
    QCOMPARE(rows(), QStringList{"2026-07-05|-|Jo's day|-|false"});
    // A statement matching no row is no error.
    m_prompts->answer(QVariant::fromValue(MsgResult::Ok));
    QVERIFY(DeleteEvent(target, m_db, *m_prompts));

    // A database error is shown and reported.
    failOn("DELETE");
    m_prompts->answer(QVariant::fromValue(MsgResult::Ok));
    QVERIFY(!DeleteEvent(record(july5, "Jo's day"), m_db, *m_prompts));
    QCOMPARE(m_prompts->boxes.size(), 5);
    QVERIFY(m_prompts->boxes.last().text.contains(QStringLiteral("disk is on fire")));
    QCOMPARE(m_prompts->boxes.last().icon, MsgIcon::Critical);
    QCOMPARE(m_prompts->boxes.last().title, QStringLiteral("Almarik"));
    QCOMPARE(rows().size(), 1);
}

QTEST_APPLESS_MAIN(TestEventRecord)
#include "tst_eventrecord.moc"
