// SPDX-License-Identifier: GPL-3.0-or-later
// The month list's arithmetic: the thirty-day window, the next-year rule at
// year ends, 29 February, the recent days, the years and day texts, the
// colours, reading the list from a real Calendar table and its failures.

#include "platform/AppError.h"
#include "startup/MonthList.h"
#include "support/CalendarRows.h"
#include "support/TestDatabase.h"

#include <QTest>
#include <sqlite3.h>

class TestMonthList : public QObject
{
    Q_OBJECT
private slots:
    void row_data();
    void row();
    void readList_data();
    void readList();
    void fillReport();

private:
    static QStringList read(const QStringList &statements);
    TestEnv m_env;
};

void TestMonthList::row_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QDate>("event");
    QTest::addColumn<bool>("recent");
    QTest::addColumn<int>("daysAhead"); // the list program's --days; the window's 30
    // "D|years text|day text|colour entry", or "" when not listed.
    QTest::addColumn<QString>("expected");
    const auto add = [](const char *name, QDate today, QDate event, bool recent, const char *row,
                        int daysAhead = 30) {
        QTest::newRow(name) << today << event << recent << daysAhead << QString::fromUtf8(row);
    };
    using D = QDate;
    add("1 Dec: 1 Jan would be 31 days", D(2026, 12, 1), D(1990, 1, 1), false, "");
    add("leap 31 Dec: 1 Jan tomorrow", D(2028, 12, 31), D(1990, 1, 1), false, "1|39 Years| 1|1");
    add("next year's, in no year yet", D(2026, 12, 20), D(2027, 1, 5), false, "16|| 16|-1");
    add("today, this year", D(2026, 6, 15), D(2026, 6, 15), false, "0|Today!!| 0|0");
    add("tomorrow, this year", D(2026, 6, 15), D(2026, 6, 16), false, "1|Tomorrow!| 1|1");
    add("in three days, one year", D(2026, 6, 15), D(2025, 6, 18), false, "3|1 Year| 3|3");
    add("in 30 days", D(2026, 6, 15), D(2000, 7, 15), false, "30|26 Years| 30|-1");
    add("in 31 days", D(2026, 6, 15), D(2000, 7, 16), false, "");
    add("yesterday, recent off", D(2026, 6, 15), D(2026, 6, 14), false, "");
    add("yesterday, recent on", D(2026, 6, 15), D(2026, 6, 14), true, "-1|Yesterday|-1|5");
    add("two days ago, recent on", D(2026, 6, 15), D(2026, 6, 13), true, "-2|2 days ago|-2|5");
    add("two days ago, an earlier year", D(2026, 6, 15), D(2021, 6, 13), true, "-2|5 Years|-2|5");
    add("three days ago, recent on", D(2026, 6, 15), D(2026, 6, 12), true, "");
    add("1 Jan, recent on: 31 Dec not listed", D(2027, 1, 1), D(2026, 12, 31), true, "");
    add("one-off next year", D(2026, 6, 15), D(2027, 6, 20), false, "5|in 1 Years| 5|-1");
    add("29 Feb on 28 Feb, common", D(2027, 2, 28), D(2000, 2, 29), false, "0|27 Years| 0|0");
    add("29 Feb on 1 Mar, common", D(2027, 3, 1), D(2000, 2, 29), true, "-1|27 Years|-1|5");
    add("29 Feb on 28 Feb, leap", D(2028, 2, 28), D(2000, 2, 29), false, "1|28 Years| 1|1");
    add("1604 (no year): no years count", D(2026, 6, 15), D(1604, 6, 15), false, "0|| 0|0");
    // Across the year end: the next year's anniversary, counted in its year.
    add("5 Dec: 4 Jan in 30 days", D(2026, 12, 5), D(1990, 1, 4), false, "30|37 Years| 30|-1");
    add("5 Dec: 5 Jan in 31 days", D(2026, 12, 5), D(1990, 1, 5), false, "");
    add("common 31 Dec: 1 Jan tomorrow", D(2026, 12, 31), D(1990, 1, 1), false, "1|37 Years| 1|1");
    add("30 Dec: 1 Jan of next year is today's", D(2026, 12, 30), D(2027, 1, 1), false, "2|| 2|2");
    add("2 Jan, recent: 31 Dec is this year's", D(2027, 1, 2), D(2000, 12, 31), true, "");
    add("today across no year end, recent", D(2026, 12, 31), D(1990, 12, 31), true,
        "0|36 Years| 0|0");
    // 29 February judged by the leap of the year it falls in.
    add("29 Feb on 29 Feb", D(2028, 2, 29), D(2000, 2, 29), false, "0|28 Years| 0|0");
    add("29 Feb from a common 29 Jan", D(2027, 1, 29), D(2000, 2, 29), false, "30|27 Years| 30|-1");
    add("29 Feb from a leap 30 Jan", D(2028, 1, 30), D(2000, 2, 29), false, "30|28 Years| 30|-1");
    add("29 Feb next year, leap", D(2027, 12, 15), D(2000, 2, 29), false, "76|28 Years| 76|-1", 90);
    add("29 Feb next year, common", D(2026, 12, 15), D(2000, 2, 29), false, "75|27 Years| 75|-1",
        90);
    add("a longer window keeps yesterday", D(2026, 6, 15), D(2000, 6, 14), true, "-1|26 Years|-1|5",
        400);
    add("no days ahead: today only", D(2026, 6, 15), D(2000, 6, 16), false, "", 0);
}

void TestMonthList::row()
{
    QFETCH(QDate, today);
    QFETCH(QDate, event);
    QFETCH(bool, recent);
    QFETCH(int, daysAhead);
    MonthRow r;
    QString got;
    // The date text is met whole in the list program's and the window's tests.
    if (MonthListRules(today, recent, daysAhead).rowFor(event, r))
        got = QStringList{QString::number(r.days), r.yearsText, r.dayText,
                          QString::number(r.colourIndex)}
                  .join(QLatin1Char('|'));
    QTEST(got, "expected");
}

// Reads the list on 5 December 2026 from a new database after the statements
// ran (one in parentheses is an event's values, "open" opens the set early);
// one line per listed row ("description|years|D|marker|icon") and one per
// failure.
QStringList TestMonthList::read(const QStringList &statements)
{
    TestDatabase t;
    RecordSet rs;
    for (const QString &s : statements) {
        if (s == QLatin1String("open"))
            rs.Open("SELECT * FROM calendar", t.db, adOpenDynamic, adLockOptimistic);
        else if (s.startsWith(QLatin1Char('(')))
            addEvents(t.db, {s});
        else if (s.startsWith(QLatin1String("sqlite3: "))) // another program's table
            t.db.check(sqlite3_step(t.db.prepare(s.mid(9)).get()));
        else
            t.db.Execute(s);
    }
    if (!rs.isOpen())
        rs.Open("SELECT * FROM calendar", t.db, adOpenDynamic, adLockOptimistic);
    QStringList out;
    const auto rows = readMonthList(rs, QDate(2026, 12, 5), false, [&out](const AppError &e) {
        out << QStringLiteral("failed %1").arg(e.number());
    });
    if (!rows.empty() && !rs.isEOF())
        out << QStringLiteral("not after its last row");
    for (const MonthRow &r : rows)
        out << QStringList{r.description, r.yearsText, r.dayText, r.showOnce ? "once" : QString(),
                           r.hasIcon ? r.icon : "(null)"}
                   .join(QLatin1Char('|'));
    return out;
}

void TestMonthList::readList_data()
{
    QTest::addColumn<QStringList>("statements");
    QTest::addColumn<QStringList>("expected");
    // New year walk is next year's; Dan comes after Bob, both today.
    QTest::newRow("listed in date order, a Null date reported and left out")
        << QStringList{"(#01/03/1990#, 'holiday', 'New year walk', Null, True)",
                       "(#12/05/2016#, 'Birthday', 'Bob', Null, False)",
                       "(#12/07/2020#, Null, 'Cleo', Null, False)",
                       "(#12/05/2026#, 'reminder', 'Dan', Null, False)",
                       "(Null, 'birthday', 'No date', Null, False)"}
        << QStringList{"failed 94", "Bob|10 Years| 0||Birthday", "Dan|Today!!| 0||reminder",
                       "Cleo|6 Years| 2||(null)", "New year walk|37 Years| 29|once|holiday"};
    QTest::newRow("no ShowOnce column: each listed row reports it, still listed")
        << QStringList{"DROP TABLE Calendar",
                       "CREATE TABLE Calendar (Dates DATETIME, Icon VARCHAR(15), Description "
                       "VARCHAR(50))",
                       "INSERT INTO Calendar VALUES (#12/06/1999#, 'birthday', 'Eve')"}
        << QStringList{"failed 3265", "Eve|27 Years| 1||birthday"};
    QTest::newRow("Null ShowOnce counts as false")
        << QStringList{"DROP TABLE Calendar",
                       "sqlite3: CREATE TABLE Calendar (Dates DATETIME, Icon VARCHAR(15), "
                       "Description VARCHAR(50), ShowOnce YESNO)",
                       "INSERT INTO Calendar VALUES (#12/06/1999#, Null, 'Gus', Null)"}
        << QStringList{"Gus|27 Years| 1||(null)"};
    // Read when listed, not when opened; a stored time of day is no matter;
    // a text or number that is no stored date is a type mismatch.
    QTest::newRow("what is stored in Dates, and when it is read")
        << QStringList{"DROP TABLE Calendar",
                       "sqlite3: CREATE TABLE Calendar (Dates DATETIME, Icon VARCHAR(15), "
                       "Description VARCHAR(50), ShowOnce YESNO)",
                       "open",
                       "sqlite3: INSERT INTO Calendar (Dates, Description, ShowOnce) VALUES "
                       "('1999-12-06 23:59:59', 'Timed', 0), ('2027-02-29', 'No day', 0), "
                       "(45000, 'Number', 0), ('1999-12-06 24:00:00', 'No time', 0)"}
        << QStringList{"failed 13", "failed 13", "failed 13", "Timed|27 Years| 1||(null)"};
    QTest::newRow("a text column's date-like text is no date")
        << QStringList{"DROP TABLE Calendar",
                       "sqlite3: CREATE TABLE Calendar (Dates TEXT, Description VARCHAR(50))",
                       "sqlite3: INSERT INTO Calendar VALUES ('1999-12-06', 'Text')"}
        << QStringList{"failed 13"};
    QTest::newRow("a failed requery lists nothing, never an earlier reading")
        << QStringList{"(#12/06/1999#, 'birthday', 'Eve', Null, False)", "open",
                       "DROP TABLE Calendar"}
        << QStringList{"failed -2147217900"};
}

void TestMonthList::readList()
{
    QFETCH(QStringList, statements);
    QTEST(read(statements), "expected");
}

void TestMonthList::fillReport()
{
    // Each distinct failure once per fill, with the repair hint; a new fill
    // starts afresh.
    ScriptedPrompts prompts;
    const AppError damaged(13, "Type mismatch");
    FillFailure failed = fillFailureReport(prompts);
    for (const AppError &e : {damaged, AppError(94, "Invalid use of Null"), damaged})
        failed(e);
    fillFailureReport(prompts)(damaged);
    const QString hint = "\r\nThe database may require repair. Use the option under the File Menu";
    QCOMPARE(prompts.takeBoxes(), (QStringList{"Almarik (critical, OK): Type mismatch" + hint,
                                               "Almarik (critical, OK): Invalid use of Null" + hint,
                                               "Almarik (critical, OK): Type mismatch" + hint}));
}

QTEST_APPLESS_MAIN(TestMonthList)
#include "tst_monthlist.moc"
