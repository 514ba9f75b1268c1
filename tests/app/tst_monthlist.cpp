// The month list's arithmetic: the thirty-day window, the next-year rule at
// year ends, 29 February, the recent days, the years and day texts, the
// colours, and reading the list from a real Calendar table.

#include "app/GridRules.h"
#include "app/MonthList.h"
#include "platform/AppError.h"
#include "store/Connection.h"
#include "store/RecordSet.h"
#include "store/Repair.h"
#include "support/TestEnv.h"

#include <QTest>

class TestMonthList : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void row_data();
    void row();
    void countsAgreeWithTheCalendar();
    void yearsText_data();
    void yearsText();
    void dayText();
    void readList();
    void readListEmptyTable();
    void readListMissingColumn();
    void readListNullShowOnce();
    void readListFailedRequery();
    void gridEvent_data();
    void gridEvent();
    void rightClickRow_data();
    void rightClickRow();

private:
    QString newDatabase(const QString &name);
    TestEnv m_env;
};

void TestMonthList::initTestCase()
{
    QVERIFY(QDir(m_env.root()).exists());
}

QString TestMonthList::newDatabase(const QString &name)
{
    const QString path = m_env.path(name);
    QFile::remove(path);
    CreateDatabase(path);
    return path;
}

void TestMonthList::row_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QDate>("event");
    QTest::addColumn<bool>("recent");
    QTest::addColumn<bool>("listed");
    QTest::addColumn<int>("days");
    QTest::addColumn<QString>("years");
    QTest::addColumn<QString>("dayText");
    QTest::addColumn<int>("colour");

    auto d = [](int y, int m, int day) { return QDate(y, m, day); };
    QTest::newRow("5 Dec, 3 Jan counts next year's anniversary")
        << d(2026, 12, 5) << d(1990, 1, 3) << false << true << 29 << "37 Years"
        << " 29" << -1;
    QTest::newRow("1 Dec, 1 Jan would be 31 days")
        << d(2026, 12, 1) << d(1990, 1, 1) << false << false << 0 << ""
        << "" << -1;
    QTest::newRow("1 Dec of a leap year, 1 Jan would be 31 days")
        << d(2028, 12, 1) << d(1990, 1, 1) << false << false << 0 << ""
        << "" << -1;
    QTest::newRow("2 Dec, 1 Jan is 30 days ahead")
        << d(2026, 12, 2) << d(1990, 1, 1) << false << true << 30 << "37 Years"
        << " 30" << -1;
    QTest::newRow("31 Dec, 1 Jan is tomorrow")
        << d(2026, 12, 31) << d(1990, 1, 1) << false << true << 1 << "37 Years"
        << " 1" << 1;
    QTest::newRow("31 Dec of a leap year, 1 Jan is tomorrow")
        << d(2028, 12, 31) << d(1990, 1, 1) << false << true << 1 << "39 Years"
        << " 1" << 1;
    QTest::newRow("event today in this year")
        << d(2026, 6, 15) << d(2026, 6, 15) << false << true << 0 << "Today!!"
        << " 0" << 0;
    QTest::newRow("event today in an earlier year")
        << d(2026, 6, 15) << d(2016, 6, 15) << false << true << 0 << "10 Years"
        << " 0" << 0;
    QTest::newRow("tomorrow in this year")
        << d(2026, 6, 15) << d(2026, 6, 16) << false << true << 1 << "Tomorrow!"
        << " 1" << 1;
    QTest::newRow("two days ahead in this year")
        << d(2026, 6, 15) << d(2026, 6, 17) << false << true << 2 << ""
        << " 2" << 2;
    QTest::newRow("three days ahead, one year")
        << d(2026, 6, 15) << d(2025, 6, 18) << false << true << 3 << "1 Year"
        << " 3" << 3;
    QTest::newRow("four days ahead has no colour")
        << d(2026, 6, 15) << d(2001, 6, 19) << false << true << 4 << "25 Years"
        << " 4" << -1;
    QTest::newRow("30 days ahead")
        << d(2026, 6, 15) << d(2000, 7, 15) << false << true << 30 << "26 Years"
        << " 30" << -1;
    QTest::newRow("31 days ahead") << d(2026, 6, 15) << d(2000, 7, 16) << false << false << 0 << ""
                                   << "" << -1;
    QTest::newRow("yesterday, recent off")
        << d(2026, 6, 15) << d(2026, 6, 14) << false << false << 0 << ""
        << "" << -1;
    QTest::newRow("yesterday in this year, recent on")
        << d(2026, 6, 15) << d(2026, 6, 14) << true << true << -1 << "Yesterday"
        << "-1" << 5;
    QTest::newRow("yesterday in an earlier year, recent on")
        << d(2026, 6, 15) << d(2021, 6, 14) << true << true << -1 << "5 Years"
        << "-1" << 5;
    QTest::newRow("two days ago, recent on")
        << d(2026, 6, 15) << d(2026, 6, 13) << true << true << -2 << "2 days ago"
        << "-2" << 5;
    QTest::newRow("three days ago, recent on")
        << d(2026, 6, 15) << d(2026, 6, 12) << true << false << 0 << ""
        << "" << -1;
    QTest::newRow("1 Jan, recent on, 31 Dec not listed")
        << d(2027, 1, 1) << d(2026, 12, 31) << true << false << 0 << ""
        << "" << -1;
    QTest::newRow("one-off event next year")
        << d(2026, 6, 15) << d(2027, 6, 20) << false << true << 5 << "in 1 Years"
        << " 5" << -1;
    QTest::newRow("event two years ahead")
        << d(2026, 6, 15) << d(2028, 6, 20) << false << true << 5 << "in 2 Years"
        << " 5" << -1;
    QTest::newRow("early next year's event seen in December")
        << d(2026, 12, 20) << d(2027, 1, 5) << false << true << 16 << ""
        << " 16" << -1;
    QTest::newRow("29 Feb event on 28 Feb of a common year")
        << d(2027, 2, 28) << d(2000, 2, 29) << false << true << 0 << "27 Years"
        << " 0" << 0;
    QTest::newRow("29 Feb event on 1 Mar of a common year, recent on")
        << d(2027, 3, 1) << d(2000, 2, 29) << true << true << -1 << "27 Years"
        << "-1" << 5;
    QTest::newRow("29 Feb event on 28 Feb of a leap year")
        << d(2028, 2, 28) << d(2000, 2, 29) << false << true << 1 << "28 Years"
        << " 1" << 1;
    QTest::newRow("28 Feb event on 28 Feb of a leap year")
        << d(2028, 2, 28) << d(2001, 2, 28) << false << true << 0 << "27 Years"
        << " 0" << 0;
    QTest::newRow("29 Feb event seen from early February of a common year")
        << d(2027, 2, 1) << d(2000, 2, 29) << false << true << 27 << "27 Years"
        << " 27" << -1;
}

void TestMonthList::row()
{
    QFETCH(QDate, today);
    QFETCH(QDate, event);
    QFETCH(bool, recent);
    QFETCH(bool, listed);
    MonthRow r;
    QCOMPARE(monthRowFor(event, today, recent, r), listed);
    if (!listed)
        return;
    QTEST(r.days, "days");
    QTEST(r.yearsText, "years");
    QTEST(r.dayText, "dayText");
    QTEST(r.colourIndex, "colour");
    QCOMPARE(r.dateText, event.toString(QStringLiteral("dd-MM-yyyy")));
}

void TestMonthList::countsAgreeWithTheCalendar()
{
    // Every day of a common and a leap year as "today", against every day
    // and month an event can have, counted with Qt's own calendar.
    const QDate events(2000, 1, 1);
    for (QDate today(2027, 1, 1); today <= QDate(2028, 12, 31); today = today.addDays(1)) {
        for (int i = 0; i < 366; ++i) {
            const QDate event = events.addDays(i);
            auto in = [&event](int year) {
                const QDate d(year, event.month(), event.day());
                return d.isValid() ? d : QDate(year, 2, 28);
            };
            QCOMPARE(anniversaryIn(event, today.year()), in(today.year()));
            int days = int(today.daysTo(in(today.year())));
            int nextYear = 0;
            if (days < -334) {
                days = int(today.daysTo(in(today.year() + 1)));
                nextYear = 1;
            }
            const Anniversary a = anniversaryOf(event, today);
            if (a.days != days || a.nextYear != nextYear)
                QFAIL(qPrintable(today.toString(Qt::ISODate) + QLatin1Char(' ') +
                                 event.toString(Qt::ISODate)));
            MonthRow row;
            if (monthRowFor(event, today, true, row))
                QCOMPARE(row.dateText, event.toString(QStringLiteral("dd-MM-yyyy")));
        }
    }
}

void TestMonthList::yearsText_data()
{
    QTest::addColumn<int>("years");
    QTest::addColumn<int>("days");
    QTest::addColumn<QString>("text");
    QTest::newRow("one year") << 1 << 7 << "1 Year";
    QTest::newRow("many years") << 25 << 7 << "25 Years";
    QTest::newRow("in two years") << -2 << 7 << "in 2 Years";
    QTest::newRow("in one year") << -1 << 0 << "in 1 Years";
    QTest::newRow("two days ago") << 0 << -2 << "2 days ago";
    QTest::newRow("yesterday") << 0 << -1 << "Yesterday";
    QTest::newRow("today") << 0 << 0 << "Today!!";
    QTest::newRow("tomorrow") << 0 << 1 << "Tomorrow!";
    QTest::newRow("later this year") << 0 << 2 << "";
    QTest::newRow("three days ago") << 0 << -3 << "";
}

void TestMonthList::yearsText()
{
    QFETCH(int, years);
    QFETCH(int, days);
    QTEST(::yearsText(years, days), "text");
}

void TestMonthList::dayText()
{
    QCOMPARE(::dayText(0), QStringLiteral(" 0"));
    QCOMPARE(::dayText(29), QStringLiteral(" 29"));
    QCOMPARE(::dayText(-1), QStringLiteral("-1"));
    QCOMPARE(::dayText(-2), QStringLiteral("-2"));
}

void TestMonthList::readList()
{
    Connection db;
    db.Open(newDatabase(QStringLiteral("list.mdb")));
    const QStringList inserts = {
        "(#12/20/2000#, 'birthday', 'Ann', Null, False)",         // 15
        "(#01/03/1990#, 'holiday', 'New year walk', Null, True)", // 29, next year
        "(#12/05/2016#, 'Birthday', 'Bob', Null, False)",         // 0, case differs
        "(#12/07/2020#, Null, 'Cleo', Null, False)",              // 2
        "(#11/20/2000#, 'doctor', 'Past', Null, False)",          // not listed
        "(#12/05/2026#, 'reminder', 'Dan', Null, False)",         // 0, ties with Bob
        "(Null, 'birthday', 'No date', Null, False)",             // reported, left out
    };
    for (const QString &values : inserts)
        db.Execute(QStringLiteral("INSERT INTO Calendar (Dates,icon,Description,Details,ShowOnce) "
                                  "VALUES ") +
                   values);
    RecordSet rs;
    rs.Open(QStringLiteral("SELECT * FROM calendar"), db, adOpenDynamic, adLockOptimistic);
    QStringList failures;
    const auto rows = readMonthList(rs, QDate(2026, 12, 5), false, [&](const AppError &e) {
        failures << QString::number(e.number()) + QLatin1Char(' ') + e.description();
    });
    QCOMPARE(failures, QStringList{QStringLiteral("94 Invalid use of Null")});
    QVERIFY(rs.isEOF());
    QStringList order;
    for (const MonthRow &r : rows)
        order << r.description;
    QCOMPARE(order, (QStringList{"Bob", "Dan", "Cleo", "Ann", "New year walk"}));
    QCOMPARE(rows[0].yearsText, QStringLiteral("10 Years"));
    QCOMPARE(rows[1].yearsText, QStringLiteral("Today!!"));
    QVERIFY(rows[0].hasIcon);
    QCOMPARE(rows[0].icon, QStringLiteral("Birthday"));
    QVERIFY(!rows[2].hasIcon);
    QVERIFY(!rows[2].showOnce);
    QVERIFY(rows[4].showOnce);
    QCOMPARE(rows[4].dateText, QStringLiteral("03-01-1990"));
    QCOMPARE(rows[4].yearsText, QStringLiteral("37 Years"));
    QCOMPARE(rows[4].dayText, QStringLiteral(" 29"));
}

void TestMonthList::readListEmptyTable()
{
    Connection db;
    db.Open(newDatabase(QStringLiteral("empty.mdb")));
    RecordSet rs;
    rs.Open(QStringLiteral("SELECT * FROM calendar"), db);
    int failures = 0;
    const auto rows =
        readMonthList(rs, QDate(2026, 12, 5), true, [&](const AppError &) { ++failures; });
    QVERIFY(rows.empty());
    QCOMPARE(failures, 0);
}

void TestMonthList::readListMissingColumn()
{
    // An old table without ShowOnce: rows still list, each reports the gap.
    const QString path = m_env.path(QStringLiteral("old.mdb"));
    QFile::remove(path);
    Connection db;
    db.Create(path);
    db.Execute(QStringLiteral("CREATE TABLE Calendar (Dates DATETIME, Icon VARCHAR(15), "
                              "Description VARCHAR(50))"));
    db.Execute(QStringLiteral("INSERT INTO Calendar (Dates, Icon, Description) VALUES "
                              "(#12/06/1999#, 'birthday', 'Eve')"));
    db.Execute(QStringLiteral("INSERT INTO Calendar (Dates, Icon, Description) VALUES "
                              "(#12/08/1999#, Null, 'Fay')"));
    RecordSet rs;
    rs.Open(QStringLiteral("SELECT * FROM calendar"), db);
    QList<int> numbers;
    const auto rows = readMonthList(rs, QDate(2026, 12, 5), false,
                                    [&](const AppError &e) { numbers << e.number(); });
    QCOMPARE(rows.size(), size_t(2));
    QCOMPARE(numbers, (QList<int>{3265, 3265}));
    QVERIFY(!rows[0].showOnce);
    QVERIFY(rows[0].hasIcon);
}

void TestMonthList::readListNullShowOnce()
{
    const QString path = m_env.path(QStringLiteral("nullable.mdb"));
    QFile::remove(path);
    Connection db;
    db.Create(path);
    db.Execute(QStringLiteral("CREATE TABLE Calendar (Dates DATETIME, Icon VARCHAR(15), "
                              "Description VARCHAR(50), ShowOnce YESNO)"));
    db.Execute(QStringLiteral("INSERT INTO Calendar (Dates, Icon, Description, ShowOnce) VALUES "
                              "(#12/06/1999#, Null, 'Gus', Null)"));
    RecordSet rs;
    rs.Open(QStringLiteral("SELECT * FROM calendar"), db);
    int failures = 0;
    const auto rows =
        readMonthList(rs, QDate(2026, 12, 5), false, [&](const AppError &) { ++failures; });
    QCOMPARE(failures, 0);
    QCOMPARE(rows.size(), size_t(1));
    QVERIFY(!rows[0].showOnce); // Null counts as false
}

void TestMonthList::readListFailedRequery()
{
    Connection db;
    db.Open(newDatabase(QStringLiteral("dropped.mdb")));
    db.Execute(QStringLiteral("INSERT INTO Calendar (Dates,icon,Description,Details,ShowOnce) "
                              "VALUES (#12/06/1999#, 'birthday', 'Eve', Null, False)"));
    RecordSet rs;
    rs.Open(QStringLiteral("SELECT * FROM calendar"), db);
    db.Execute(QStringLiteral("DROP TABLE Calendar"));
    int failures = 0;
    const auto rows =
        readMonthList(rs, QDate(2026, 12, 5), false, [&](const AppError &) { ++failures; });
    QCOMPARE(failures, 1);
    QVERIFY(rows.empty()); // never the rows of an earlier reading
}

void TestMonthList::gridEvent_data()
{
    QTest::addColumn<QString>("dateText");
    QTest::addColumn<bool>("isEvent");
    QTest::addColumn<QDate>("date");
    QTest::newRow("event row") << "03-01-1990" << true << QDate(1990, 1, 3);
    QTest::newRow("29 February") << "29-02-2000" << true << QDate(2000, 2, 29);
    QTest::newRow("header row") << "Date" << false << QDate();
    QTest::newRow("empty grid") << "" << false << QDate();
    QTest::newRow("impossible day") << "31-02-2001" << false << QDate();
}

void TestMonthList::gridEvent()
{
    QFETCH(QString, dateText);
    QFETCH(bool, isEvent);
    const auto event = gridEventAt(dateText, QStringLiteral("Ann's party"));
    QCOMPARE(event.has_value(), isEvent);
    if (isEvent) {
        QTEST(event->date, "date");
        QCOMPARE(event->description, QStringLiteral("Ann's party"));
    }
}

void TestMonthList::rightClickRow_data()
{
    // Rows 20 pixels high from the top: row r starts at 20 * r.
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("row");
    QTest::newRow("header row") << 5 << 4 << 0;
    QTest::newRow("first event row") << 25 << 4 << 1;
    QTest::newRow("top edge of row 2") << 40 << 4 << 2;
    QTest::newRow("last row") << 65 << 4 << 3;
    QTest::newRow("below the last row") << 300 << 4 << 3;
    QTest::newRow("only the header row") << 50 << 1 << 0;
}

void TestMonthList::rightClickRow()
{
    QFETCH(int, y);
    QFETCH(int, rows);
    QTEST(rowUnderPointer(y, rows, [](int r) { return 20 * r; }), "row");
}

QTEST_APPLESS_MAIN(TestMonthList)
#include "tst_monthlist.moc"
