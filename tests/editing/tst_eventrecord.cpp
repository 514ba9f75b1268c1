// The event record operations: statement texts to the character, the
// validation rules, and what reaches the table (or does not) when saving
// and deleting, including failures and cancelled confirmations.

#include "editing/EventRecord.h"
#include "store/Connection.h"
#include "store/RecordSet.h"
#include "store/Repair.h"
#include "support/ScriptedPrompts.h"
#include "support/TestEnv.h"

#include <QTest>
#include <memory>
#include <sqlite3.h>

namespace {

EventRecord makeEvent(QDate day, const QString &description, const QString &icon = {},
                      const QString &details = {}, bool showOnce = false)
{
    EventRecord rec;
    rec.Dates = day.startOfDay();
    rec.Description = description;
    rec.icon = icon;
    rec.Details = details;
    rec.ShowOnce = showOnce;
    return rec;
}

const QDate july4(2026, 7, 4);
const QDate july5(2026, 7, 5);

} // namespace

class TestEventRecord : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void statements_data();
    void statements();
    void validate_data();
    void validate();

    void insertStoresNulls();
    void timeOfDayNeverStored();
    void typeKeyWithApostropheStoredIntact();
    void updateChangesEveryMatchingRow();
    void updateKeyIgnoresLetterCase();
    void saveFailureReported_data();
    void saveFailureReported();
    void deleteCancelled();
    void deleteConfirmed();
    void deleteNoMatchIsNoError();
    void deleteFailureReported();

private:
    int rowCount();
    QList<QVariantList> rows();
    void failOn(const char *operation);

    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<Connection> m_db;
};

void TestEventRecord::init()
{
    m_env = std::make_unique<TestEnv>();
    m_prompts = std::make_unique<ScriptedPrompts>();
    const QString path = m_env->path(QStringLiteral("Almarik.MDB"));
    CreateDatabase(path);
    m_db = std::make_unique<Connection>();
    m_db->Open(Connection::connectionStringFor(path));
}

void TestEventRecord::cleanup()
{
    m_db.reset();
    m_prompts.reset();
    m_env.reset();
}

int TestEventRecord::rowCount()
{
    RecordSet rs;
    rs.Open(QStringLiteral("SELECT * FROM Calendar"), *m_db);
    return rs.RecordCount();
}

// Every row as (Dates, icon, Description, Details, ShowOnce), in insertion order.
QList<QVariantList> TestEventRecord::rows()
{
    RecordSet rs;
    rs.Open(QStringLiteral("SELECT Dates, icon, Description, Details, ShowOnce FROM Calendar"),
            *m_db);
    QList<QVariantList> out;
    for (; !rs.isEOF(); rs.MoveNext()) {
        out.append({rs.Fields(QStringLiteral("Dates")), rs.Fields(QStringLiteral("icon")),
                    rs.Fields(QStringLiteral("Description")), rs.Fields(QStringLiteral("Details")),
                    rs.Fields(QStringLiteral("ShowOnce"))});
    }
    return out;
}

// Makes the database refuse the given kind of statement on Calendar.
void TestEventRecord::failOn(const char *operation)
{
    const QByteArray sql = QByteArray("CREATE TRIGGER refuse BEFORE ") + operation +
                           " ON Calendar BEGIN SELECT RAISE(ABORT, 'disk is on fire'); END";
    QCOMPARE(sqlite3_exec(m_db->handle(), sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
}

void TestEventRecord::statements_data()
{
    QTest::addColumn<QString>("built");
    QTest::addColumn<QString>("expected");

    QTest::newRow("insert, type and no details")
        << insertStatement(
               makeEvent(july4, QStringLiteral("Ann's party"), QStringLiteral("birthday")))
        << "INSERT INTO Calendar (Dates,icon,Description,Details,ShowOnce) VALUES (#07/04/2026#, "
           "'birthday', 'Ann''s party', Null, False)";
    QTest::newRow("insert, details and no type, show once")
        << insertStatement(makeEvent(QDate(2024, 1, 5), QStringLiteral("Dentist"), {},
                                     QStringLiteral("bring card"), true))
        << "INSERT INTO Calendar (Dates,icon,Description,Details,ShowOnce) VALUES (#01/05/2024#, "
           "Null, 'Dentist', 'bring card', True)";
    QTest::newRow("insert, apostrophes everywhere")
        << insertStatement(makeEvent(QDate(2024, 2, 29), QStringLiteral("O'Neil's 'day'"),
                                     QStringLiteral("o'dd"), QStringLiteral("it's\r\nthat's")))
        << "INSERT INTO Calendar (Dates,icon,Description,Details,ShowOnce) VALUES (#02/29/2024#, "
           "'o''dd', 'O''Neil''s ''day''', 'it''s\r\nthat''s', False)";

    const EventRecord loaded =
        makeEvent(july4, QStringLiteral("Ann's party"), QStringLiteral("birthday"));
    QTest::newRow("update, no type, details")
        << updateStatement(loaded, makeEvent(july5, QStringLiteral("Ann's party"), {},
                                             QStringLiteral("bring cake"), true))
        << "UPDATE Calendar SET  Dates = #07/05/2026#, Description ='Ann''s party', icon = NULL,  "
           "Details = 'bring cake', ShowOnce = True WHERE Dates = #07/04/2026# AND  Description "
           "='Ann''s party'";
    QTest::newRow("update, type, no details")
        << updateStatement(loaded,
                           makeEvent(july4, QStringLiteral("Ann"), QStringLiteral("holiday")))
        << "UPDATE Calendar SET  Dates = #07/04/2026#, Description ='Ann', icon = 'holiday', "
           "Details = NULL,  ShowOnce = False WHERE Dates = #07/04/2026# AND  Description "
           "='Ann''s party'";
    QTest::newRow("update, neither type nor details")
        << updateStatement(loaded, makeEvent(QDate(2027, 12, 31), QStringLiteral("Ann")))
        << "UPDATE Calendar SET  Dates = #12/31/2027#, Description ='Ann', icon = NULL,  Details "
           "= NULL,  ShowOnce = False WHERE Dates = #07/04/2026# AND  Description ='Ann''s party'";
    QTest::newRow("update, type and details with apostrophes")
        << updateStatement(loaded, makeEvent(july4, QStringLiteral("x"), QStringLiteral("b'day"),
                                             QStringLiteral("Jo's")))
        << "UPDATE Calendar SET  Dates = #07/04/2026#, Description ='x', icon = 'b''day', Details "
           "= 'Jo''s', ShowOnce = False WHERE Dates = #07/04/2026# AND  Description ='Ann''s "
           "party'";
    QTest::newRow("delete")
        << deleteStatement(makeEvent(july4, QStringLiteral("Ann's party")))
        << "DELETE FROM Calendar WHERE Description ='Ann''s party' AND Dates =#07/04/2026#";

    EventRecord late = makeEvent(july4, QStringLiteral("Late"));
    late.Dates.setTime(QTime(23, 59, 59));
    QTest::newRow("time of day dropped")
        << deleteStatement(late)
        << "DELETE FROM Calendar WHERE Description ='Late' AND Dates =#07/04/2026#";
    QTest::newRow("select one event")
        << selectEventStatement(july4, QStringLiteral("Ann's party"))
        << "SELECT * FROM Calendar WHERE Dates =#07/04/2026# AND Description ='Ann''s party'";
}

void TestEventRecord::statements()
{
    QFETCH(QString, built);
    QFETCH(QString, expected);
    QCOMPARE(built, expected);
}

void TestEventRecord::validate_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<QDate>("day");
    QTest::addColumn<bool>("showOnce");
    QTest::addColumn<QString>("message"); // "" when valid

    const QString noDescription =
        QStringLiteral("Description not complete\r\nThe event is invalid");
    const QString past = QStringLiteral(
        "Date for show once option needs to be in the future\r\nThe event is invalid");
    const QDate today(2024, 3, 1);

    QTest::newRow("complete") << "Ann" << today << false << "";
    QTest::newRow("empty description") << "" << today << false << noDescription;
    QTest::newRow("empty description, show once in the past: only the date reason")
        << "" << today.addDays(-1) << true << past;
    QTest::newRow("empty description, show once today") << "" << today << true << noDescription;
    QTest::newRow("show once today") << "Ann" << today << true << "";
    QTest::newRow("show once yesterday (29 February)")
        << "Ann" << today.addDays(-1) << true << past;
    QTest::newRow("show once on the last day of the year before")
        << "Ann" << QDate(2023, 12, 31) << true << past;
    QTest::newRow("show once tomorrow") << "Ann" << today.addDays(1) << true << "";
    QTest::newRow("past date without show once") << "Ann" << QDate(1950, 1, 1) << false << "";
    QTest::newRow("blanks-only description") << "   " << today << false << "";
}

void TestEventRecord::validate()
{
    QFETCH(QString, description);
    QFETCH(QDate, day);
    QFETCH(bool, showOnce);
    QFETCH(QString, message);

    // Late in the day, so that a day boundary rather than 24 hours is what counts.
    const QDateTime now(QDate(2024, 3, 1), QTime(23, 30));
    EventRecord rec = makeEvent(day, description, {}, {}, showOnce);
    rec.Dates.setTime(QTime(23, 45)); // later than now on the same day: still today
    QCOMPARE(ValidateEvent(rec, *m_prompts, now), message.isEmpty());
    if (message.isEmpty()) {
        QVERIFY(m_prompts->boxes.isEmpty());
        return;
    }
    QCOMPARE(m_prompts->boxes.size(), 1);
    const RecordedBox &box = m_prompts->boxes.first();
    QCOMPARE(box.text, message);
    QCOMPARE(box.icon, MsgIcon::Critical);
    QCOMPARE(box.buttons, MsgButtons::OkOnly);
    QCOMPARE(box.title, QStringLiteral("Almarik"));
}

void TestEventRecord::insertStoresNulls()
{
    QVERIFY(SaveEvent(EventRecord{}, makeEvent(july4, QStringLiteral("Ann's party")), *m_db,
                      *m_prompts));
    QVERIFY(SaveEvent(EventRecord{},
                      makeEvent(july5, QStringLiteral("Race"), QStringLiteral("car_race"),
                                QStringLiteral("pit lane"), true),
                      *m_db, *m_prompts));
    QVERIFY(m_prompts->boxes.isEmpty());
    const QList<QVariantList> stored = rows();
    QCOMPARE(stored.size(), 2);
    QCOMPARE(stored[0][0], QVariant(july4));
    QVERIFY(stored[0][1].isNull()); // no type: Null, not ""
    QCOMPARE(stored[0][2], QVariant(QStringLiteral("Ann's party")));
    QVERIFY(stored[0][3].isNull());
    QCOMPARE(stored[0][4], QVariant(false));
    QCOMPARE(stored[1], (QVariantList{july5, QStringLiteral("car_race"), QStringLiteral("Race"),
                                      QStringLiteral("pit lane"), true}));
}

void TestEventRecord::timeOfDayNeverStored()
{
    EventRecord rec = makeEvent(july4, QStringLiteral("Noon"));
    rec.Dates.setTime(QTime(12, 34, 56));
    QVERIFY(SaveEvent(EventRecord{}, rec, *m_db, *m_prompts));
    // The update finds the row by its day although the loaded record has a time.
    EventRecord edited = rec;
    edited.Dates = QDateTime(july5, QTime(8, 0));
    QVERIFY(SaveEvent(rec, edited, *m_db, *m_prompts));
    const QList<QVariantList> stored = rows();
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored[0][0].typeId(), int(QMetaType::QDate)); // a date without a time
    QCOMPARE(stored[0][0], QVariant(july5));
}

void TestEventRecord::typeKeyWithApostropheStoredIntact()
{
    const EventRecord odd = makeEvent(july4, QStringLiteral("Odd"), QStringLiteral("o'dd"));
    QVERIFY(SaveEvent(EventRecord{}, odd, *m_db, *m_prompts));
    QCOMPARE(rows().first()[1], QVariant(QStringLiteral("o'dd")));
    EventRecord edited = odd;
    edited.icon = QStringLiteral("x', Description = 'hijacked");
    QVERIFY(SaveEvent(odd, edited, *m_db, *m_prompts));
    QCOMPARE(rows().first()[1], QVariant(edited.icon));
    QCOMPARE(rows().first()[2], QVariant(QStringLiteral("Odd")));
    QVERIFY(m_prompts->boxes.isEmpty());
}

void TestEventRecord::updateChangesEveryMatchingRow()
{
    const EventRecord twin = makeEvent(july4, QStringLiteral("Twin"), QStringLiteral("birthday"),
                                       QStringLiteral("first"));
    QVERIFY(SaveEvent(EventRecord{}, twin, *m_db, *m_prompts));
    QVERIFY(SaveEvent(EventRecord{}, twin, *m_db, *m_prompts));
    QVERIFY(SaveEvent(EventRecord{}, makeEvent(july4, QStringLiteral("Other")), *m_db, *m_prompts));

    const EventRecord edited = makeEvent(july5, QStringLiteral("Twins"), {}, {}, true);
    QVERIFY(SaveEvent(twin, edited, *m_db, *m_prompts));
    const QList<QVariantList> stored = rows();
    QCOMPARE(stored.size(), 3);
    const QVariantList expected{july5, QVariant(), QStringLiteral("Twins"), QVariant(), true};
    QCOMPARE(stored[0], expected);
    QCOMPARE(stored[1], expected);
    QCOMPARE(stored[2][2], QVariant(QStringLiteral("Other")));
    QCOMPARE(stored[2][0], QVariant(july4));
}

void TestEventRecord::updateKeyIgnoresLetterCase()
{
    // The table compares descriptions without regard to case, as the
    // original engine did.
    QVERIFY(SaveEvent(EventRecord{}, makeEvent(july4, QStringLiteral("ann")), *m_db, *m_prompts));
    QVERIFY(SaveEvent(makeEvent(july4, QStringLiteral("ANN")),
                      makeEvent(july4, QStringLiteral("Ann")), *m_db, *m_prompts));
    QCOMPARE(rows().first()[2], QVariant(QStringLiteral("Ann")));
}

void TestEventRecord::saveFailureReported_data()
{
    QTest::addColumn<bool>("update");
    QTest::addColumn<bool>("badDate");
    QTest::newRow("insert refused by the database") << false << false;
    QTest::newRow("update refused by the database") << true << false;
    QTest::newRow("insert without a date") << false << true;
}

void TestEventRecord::saveFailureReported()
{
    QFETCH(bool, update);
    QFETCH(bool, badDate);
    const EventRecord existing =
        makeEvent(july4, QStringLiteral("Ann"), QStringLiteral("birthday"));
    QVERIFY(SaveEvent(EventRecord{}, existing, *m_db, *m_prompts));
    const QList<QVariantList> before = rows();
    if (!badDate)
        failOn(update ? "UPDATE" : "INSERT");

    EventRecord edited = makeEvent(july5, QStringLiteral("Bob"));
    if (badDate)
        edited.Dates = QDateTime();
    QVERIFY(!SaveEvent(update ? existing : EventRecord{}, edited, *m_db, *m_prompts));
    QCOMPARE(m_prompts->boxes.size(), 1);
    const RecordedBox &box = m_prompts->boxes.first();
    QCOMPARE(box.title, QStringLiteral("Error Saving Event"));
    QCOMPARE(box.icon, MsgIcon::Critical);
    QCOMPARE(box.buttons, MsgButtons::OkOnly);
    QVERIFY2(box.text.contains(badDate ? QStringLiteral("Type mismatch")
                                       : QStringLiteral("disk is on fire")),
             qPrintable(box.text));
    QCOMPARE(rows(), before);
}

void TestEventRecord::deleteCancelled()
{
    QVERIFY(SaveEvent(EventRecord{}, makeEvent(july4, QStringLiteral("Ann's party")), *m_db,
                      *m_prompts));
    m_prompts->answer(QVariant::fromValue(MsgResult::Cancel));
    QVERIFY(!DeleteEvent(makeEvent(july4, QStringLiteral("Ann's party")), *m_db, *m_prompts));
    QCOMPARE(rowCount(), 1);
    const RecordedBox &box = m_prompts->boxes.first();
    QCOMPARE(box.text, QStringLiteral("OK to delete Ann's party ?")); // shown with one apostrophe
    QCOMPARE(box.title, QStringLiteral("Delete"));
    QCOMPARE(box.icon, MsgIcon::Question);
    QCOMPARE(box.buttons, MsgButtons::OkCancel);
}

void TestEventRecord::deleteConfirmed()
{
    const EventRecord twin = makeEvent(july4, QStringLiteral("Jo's day"));
    QVERIFY(SaveEvent(EventRecord{}, twin, *m_db, *m_prompts));
    QVERIFY(SaveEvent(EventRecord{}, twin, *m_db, *m_prompts));
    QVERIFY(
        SaveEvent(EventRecord{}, makeEvent(july5, QStringLiteral("Jo's day")), *m_db, *m_prompts));
    QVERIFY(SaveEvent(EventRecord{}, makeEvent(july4, QStringLiteral("Other")), *m_db, *m_prompts));

    EventRecord target = twin;
    target.Dates.setTime(QTime(18, 0));
    m_prompts->answer(QVariant::fromValue(MsgResult::Ok));
    QVERIFY(DeleteEvent(target, *m_db, *m_prompts));
    QCOMPARE(m_prompts->boxes.size(), 1);
    const QList<QVariantList> left = rows();
    QCOMPARE(left.size(), 2); // both rows of the day went, the other day stayed
    QCOMPARE(left[0][0], QVariant(july5));
    QCOMPARE(left[1][2], QVariant(QStringLiteral("Other")));
}

void TestEventRecord::deleteNoMatchIsNoError()
{
    QVERIFY(SaveEvent(EventRecord{}, makeEvent(july4, QStringLiteral("Ann")), *m_db, *m_prompts));
    m_prompts->answer(QVariant::fromValue(MsgResult::Ok));
    QVERIFY(DeleteEvent(makeEvent(july5, QStringLiteral("Ann")), *m_db, *m_prompts));
    m_prompts->answer(QVariant::fromValue(MsgResult::Ok));
    QVERIFY(DeleteEvent(EventRecord{}, *m_db, *m_prompts)); // no day: nothing can match
    QCOMPARE(m_prompts->boxes.last().text, QStringLiteral("OK to delete  ?"));
    QCOMPARE(m_prompts->boxes.size(), 2);
    QCOMPARE(rowCount(), 1);
}

void TestEventRecord::deleteFailureReported()
{
    QVERIFY(SaveEvent(EventRecord{}, makeEvent(july4, QStringLiteral("Ann")), *m_db, *m_prompts));
    failOn("DELETE");
    m_prompts->answer(QVariant::fromValue(MsgResult::Ok));
    QVERIFY(!DeleteEvent(makeEvent(july4, QStringLiteral("Ann")), *m_db, *m_prompts));
    QCOMPARE(m_prompts->boxes.size(), 2);
    const RecordedBox &box = m_prompts->boxes.last();
    QVERIFY2(box.text.contains(QStringLiteral("disk is on fire")), qPrintable(box.text));
    QCOMPARE(box.icon, MsgIcon::Critical);
    QCOMPARE(box.title, QStringLiteral("Almarik"));
    QCOMPARE(rowCount(), 1);
}

QTEST_APPLESS_MAIN(TestEventRecord)
#include "tst_eventrecord.moc"
