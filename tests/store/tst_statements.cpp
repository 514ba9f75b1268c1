// SPDX-License-Identifier: GPL-3.0-or-later
// Statements as users type them in the SQL builder and as the program
// writes them, run against one prepared table: each must leave exactly the
// rows Jet leaves, or fail with its message and number, inside no
// transaction, leaving every row as it was.

#include "StoreFixture.h"
#include "platform/Clock.h"
#include "store/JetSql.h"

#include <QTest>

class TestStatements : public QObject
{
    Q_OBJECT
private slots:
    // Today is Sunday 6 December 2026, noon.
    void initTestCase()
    {
        setAppClock([] { return QDateTime(QDate(2026, 12, 6), QTime(12, 0)); });
    }
    void cleanupTestCase() { setAppClock(nullptr); }
    void statement_data();
    void statement();
};

namespace {

// Rowids 1 to 9, as another program writes them: a description that looks
// like a date, a type in capitals, a midnight time stored.
const QString kEvents =
    "sqlite3: INSERT INTO Calendar (Dates, icon, Description, Details, ShowOnce) VALUES "
    "('2002-03-05', 'birthday', 'Ann', NULL, 0), "
    "('2026-12-24', 'holiday', 'Christmas Eve', 'tree', 0), "
    "('2027-01-02', 'reminder', 'Dentist', NULL, -1), "
    "('2024-02-29', 'anniversary', 'Leap day', 'x', 0), "
    "('1990-07-04', 'memorial', '[Old] 50% off', NULL, 0), "
    "('2026-12-10 10:30:00', 'doctor', 'Bob''s check-up', NULL, -1), "
    "('2025-11-20', NULL, 'ärger', NULL, -1), "
    "('2026-12-25', 'Birthday', '2026-12-25', '2021', 0), "
    "('2026-03-18 00:00:00', 'holiday', 'Élodie''s race', NULL, 0)";
const char *const kColumns[] = {"Dates", "icon", "Description", "Details", "ShowOnce"};
// The number a kind of refusal carries, by the start of its message.
const std::pair<const char *, int> kNumbers[] = {{"Data type mismatch", DbErrNo::Conversion},
                                                 {"No value given", DbErrNo::NoValue},
                                                 {"Syntax error", DbErrNo::Syntax},
                                                 {"Characters found", DbErrNo::Syntax},
                                                 {"Invalid SQL", DbErrNo::Syntax}};

// Calendar's rows by rowid, as SQLite's own connection reads them.
QMap<qint64, QStringList> snapshot(const QString &path)
{
    QMap<qint64, QStringList> rows;
    for (const QString &row : fixture::rawRows(path, fixture::kRows)) {
        QStringList values = row.split(QLatin1Char('|'));
        rows.insert(values.takeFirst().toLongLong(), values);
    }
    return rows;
}

// "3:Dates=2027-01-09" for a changed row, "-5" for a deleted one and
// "+8:2026-07-04|<null>|New|<null>|-1" for a new one.
QString changes(const QMap<qint64, QStringList> &before, const QMap<qint64, QStringList> &after)
{
    QStringList out;
    for (auto it = before.begin(); it != before.end(); ++it) {
        const QStringList now = after.value(it.key());
        QStringList changed;
        for (int c = 0; c < int(now.size()); ++c)
            if (now[c] != it.value()[c])
                changed << QLatin1String(kColumns[c]) + QLatin1Char('=') + now[c];
        if (now.isEmpty())
            out << QLatin1Char('-') + QString::number(it.key());
        else if (!changed.isEmpty())
            out << QString::number(it.key()) + QLatin1Char(':') + changed.join(QLatin1Char(','));
    }
    for (auto it = after.begin(); it != after.end(); ++it)
        if (!before.contains(it.key()))
            out << QLatin1Char('+') + QString::number(it.key()) + QLatin1Char(':') +
                       it.value().join(QLatin1Char('|'));
    return out.join(QStringLiteral("; "));
}

} // namespace

void TestStatements::statement_data()
{
    QTest::addColumn<QString>("jet");
    // What the statement leaves: for a SELECT its rows, otherwise the
    // changes; or "error: " and the message. A statement given from its
    // WHERE on selects the descriptions; one from its SET on updates Calendar.
    QTest::addColumn<QString>("expected");
    // Lines before the last one prepare the table: Jet statements, or
    // another program's SQLite after "sqlite3: ".
    auto row = [](const char *name, const char *jet, const char *expected) {
        QStringList lines =
            QString::fromUtf8(jet).replace(QLatin1String("\\0"), QChar(0)).split(QLatin1Char('\n'));
        QString &text = lines.last();
        if (text.startsWith(QLatin1String("WHERE ")))
            text.prepend(QLatin1String("SELECT Description FROM Calendar "));
        else if (text.startsWith(QLatin1String("SET ")))
            text.prepend(QLatin1String("UPDATE Calendar "));
        QTest::newRow(name) << lines.join(QLatin1Char('\n')) << QString::fromUtf8(expected);
    };
    const char *mismatch = "error: Data type mismatch in criteria expression.";
    const char *noValue = "error: No value given for one or more required parameters.";
    const char *notJet = "error: Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', "
                         "'SELECT', or 'UPDATE'.";
    const char *afterEnd = "error: Characters found after end of SQL statement.";
    // Date arithmetic and "+", "&".
    row("text + text", "SET Description = Description + ' (old)' WHERE Description = 'Ann'",
        "1:Description=Ann (old)");
    row("either side of 29 February",
        "SELECT Dates - 1, Dates + 1 FROM Calendar WHERE Description = 'Leap day'",
        "2024-02-28|2024-03-01");
    // Across the year end, too: Dentist.
    row("within thirty days", "WHERE Dates - Date() BETWEEN 0 AND 30 ORDER BY Dates",
        "Bob's check-up; Christmas Eve; 2026-12-25; Dentist");
    row("past 9999", "SET Dates = #12/31/9999# + 1 WHERE Description = 'Ann'", "error: Overflow");
    row("&, + and Null", "SELECT 'a' & Null, Null & Null, 'n' & 5, 'a' + Null",
        "a|<null>|n5|<null>");
    row("precedence", "SELECT 5 - 2 - 1, 2 + 3 * 4, -2 ^ 2, 10 / 4, 1 + 2 & 3", "2|14|-4|2.5|33");
    // Each operator level binds tighter than the one after it: a L b H c
    // is a L (b H c), never (a L b) H c.
    row("each level above the next",
        "SELECT 7 \\ 2 * 2, 7 Mod 6 \\ 2, 1 + 7 Mod 4, 'a' & 2 + 3, 'ab' = 'a' & 'b', "
        "'ab' Like 'a' & 'b', Not 1 = 2, Not 0 And 0, True Or True And False, "
        "True Xor True Or True, False Imp True Eqv False",
        "1|1|4|a5|-1|-1|-1|0|-1|0|-1");
    row("one level, left to right",
        "SELECT 2 ^ 3 ^ 2, 8 / 4 * 2, 7 \\ 2 \\ 2, 10 - 4 + 3, 3 > 2 > 1, 'a' & 'b' & 1",
        "64|4|1|9|0|ab1");
    row("comparisons as numbers", "SELECT 1 < 2, 2 < 1, (1 = 1) * 5, True + 1", "-1|0|-5|0");
    row("before day zero", "SELECT DateAdd('h', 1, #12/29/1899 6:00 AM#)", "1899-12-29 07:00:00");

    // LIKE.
    row("negated class", "WHERE Description LIKE '[!a-c]%' ORDER BY Dates",
        "[Old] 50% off; Leap day; ärger; Élodie's race; 2026-12-25; Dentist");
    row("a class of digits", "WHERE Description LIKE '%[0-9]%'", "[Old] 50% off; 2026-12-25");
    row("percent literal", "WHERE Description LIKE '%[%]%'", "[Old] 50% off");
    row("_ and case", "WHERE Description LIKE 'A_N'", "Ann");
    row("like a null", "WHERE Details LIKE '%'", "Christmas Eve; Leap day; 2026-12-25");

    // Names that are not columns, and parameters.
    row("misspelt bracketed name", "DELETE FROM Calendar WHERE [Descripton] <> 'Ann'", noValue);
    row("no such table", "DELETE FROM NoSuchTable", "error: no such table: NoSuchTable");

    // NUL characters.
    row("NUL before a WHERE", "DELETE FROM Calendar\\0 WHERE Description = 'x'",
        "error: The query holds a NUL character outside a text, at position 21.");
    row("NUL inside a text", "SET Details = 'a\\0b' WHERE Description = 'Ann'", "1:Details=a\\0b");
    row("NUL in a compared text", "DELETE FROM Calendar WHERE Description = 'Ann\\0'", "");

    // Yes/no and date columns take only their kind, whatever writes them.
    row("yes/no 5 is -1", "SET ShowOnce = 5 WHERE Description = 'Ann'", "1:ShowOnce=-1");
    row("yes/no a text", "SET ShowOnce = 'abc'", mismatch);
    row("a date that is a number", "SET Dates = 5 WHERE Description = 'Ann'", "1:Dates=1900-01-04");
    row("year 99", "SET Dates = '0099-12-31' WHERE Description = 'Ann'", mismatch);
    row("year 10000", "SET Dates = '10000-01-01' WHERE Description = 'Ann'", mismatch);
    row("year 100", "SET Dates = #1/1/0100# WHERE Description = 'Ann'", "1:Dates=0100-01-01");
    row("year 9999", "SET Dates = #12/31/9999# WHERE Description = 'Ann'", "1:Dates=9999-12-31");
    row("the last second of a day", "SET Dates = '2026-01-01 23:59:59' WHERE Description = 'Ann'",
        "1:Dates=2026-01-01 23:59:59");
    row("hour 24", "SET Dates = '2026-01-01 24:00:00' WHERE Description = 'Ann'", mismatch);
    row("a time without seconds", "SET Dates = '2026-01-01 12:00' WHERE Description = 'Ann'",
        "1:Dates=2026-01-01 12:00:00");
    row("another program's hour 24",
        "sqlite3: UPDATE Calendar SET Dates = '2026-01-01 24:00:00' WHERE Description = 'Ann'",
        mismatch);
    row("another program's minute 60",
        "sqlite3: UPDATE Calendar SET Dates = '2026-01-01 23:60:00' WHERE Description = 'Ann'",
        mismatch);
    row("another program's year 99",
        "sqlite3: UPDATE Calendar SET Dates = '0099-12-31' WHERE Description = 'Ann'", mismatch);
    row("another program's 31 April",
        "sqlite3: INSERT INTO Calendar (Dates, Description) VALUES ('2026-04-31', 'x')", mismatch);
    // The first rows take a good date, a later one a bad: nothing is kept.
    row("one bad date of many", "SET Dates = IIf(ShowOnce, 'soon', '2026-01-01')", mismatch);
    row("inserted copies",
        "INSERT INTO Calendar (Dates, Description, ShowOnce) SELECT Dates + 1, Description & ' "
        "copy', ShowOnce FROM Calendar WHERE Description = 'Ann'",
        "+10:2002-03-06|<null>|Ann copy|<null>|0");

    // The purge's statement (the others are the event record test's): a
    // time on the last day is kept.
    row("purge", "DELETE FROM Calendar WHERE ShowOnce <> FALSE AND Dates < #12/10/2026#", "-7");

    // Functions: SQLite's own are out of reach.
    row("an engine function", "SELECT substr('abc', 1, 1)",
        "error: Undefined function 'substr' in expression.");
    row("too few arguments", "SELECT Left('a')",
        "error: Wrong number of arguments used with function in query expression 'Left'.");
    row("aggregates", "SELECT Count(*), Count(Details), Max(Dates), Sum(ShowOnce) FROM Calendar",
        "9|3|2027-01-02|-3");
    row("a subquery", "SELECT (SELECT Count(*) FROM Calendar WHERE ShowOnce) + 1", "4");

    // Date literals (their forms are DateValue's, in the function table) and truth values.
    row("two-digit year", "SELECT #1/2/27#, #1/2/30#", "2027-01-02|1930-01-02");
    row("29 February of a common year", "SELECT #2/29/2026#",
        "error: Syntax error in date in query expression '#2/29/2026#'.");

    // Comparisons and lists.
    row("in a list", "WHERE Description IN ('ann', 'DENTIST') ORDER BY Dates", "Ann; Dentist");
    row("equal ignoring case beyond ASCII", "WHERE Description = 'ÄRGER'", "ärger");
    row("a comparison with a null", "SELECT Count(*) FROM Calendar WHERE Details <> 'x'", "2");
    row("double-quoted texts", "SET Details = \"Ann's \"\"quoted\"\"\" WHERE Description = 'Ann'",
        "1:Details=Ann's \"quoted\"");

    // Dates are numbers, texts are texts, whatever they look like.
    row("minus minus", "SET Details = 'moved', Dates = Dates--7 WHERE Description = 'Ann'",
        "1:Dates=2002-03-12,Details=moved");
    row("a text that looks like a date",
        "SELECT Description & ' (party)', UCase(Description), Val(Description), Len(Description) "
        "FROM Calendar WHERE Details = '2021'",
        "2026-12-25 (party)|2026-12-25|2026|10");
    row("a date against numbers",
        "SELECT Count(*) FROM Calendar WHERE Dates >= CDbl(#1/1/2026#) OR Dates > 47000", "5");
    row("dates aggregated as numbers",
        "SELECT Avg(Dates), Sum(Dates) FROM Calendar WHERE Description IN ('Christmas Eve', "
        "'Dentist')",
        "2026-12-28 12:00:00|2153-12-27");
    row("day zero is midnight", "SELECT #12:00 AM# = #12/30/1899#, #1/1/2026# < '2/1/2026'",
        "-1|-1");
    row("a stored midnight time", "WHERE Dates = #3/18/2026# OR Dates IN (#2/29/2024#)",
        "Leap day; Élodie's race");
    row("a text into a date, a date into a text",
        "SET Dates = '12/25/2026', Details = Dates WHERE Description = 'Ann'",
        "1:Dates=2026-12-25,Details=3/5/2002");
    row("a text that is no date against a date", "WHERE Dates = 'soon'", mismatch);
    row("a date matched by its text", "WHERE Dates Like '12/2%/2026' ORDER BY Dates",
        "Christmas Eve; 2026-12-25");
    row("a sum of texts", "SELECT Sum(Details) FROM Calendar", mismatch);

    // Between takes its bounds in either order; a Null bound is Null.
    row("between reversed", "WHERE Year(Dates) Between 2027 And 2026 ORDER BY Dates",
        "Élodie's race; Bob's check-up; Christmas Eve; 2026-12-25; Dentist");
    row("between reversed dates",
        "DELETE FROM Calendar WHERE Dates Between #12/31/2026# And #12/20/2026#", "-2; -8");
    row("between texts reversed, any case",
        "WHERE Description Between 'DENTIST' And 'ann' ORDER BY Dates",
        "Ann; ärger; Bob's check-up; Christmas Eve; Dentist");
    row("between a null bound",
        "SELECT Count(*) FROM Calendar WHERE Not (Year(Dates) Between Null And 2000)", "0");

    // Texts meet by Jet's order: case ignored, É beside E.
    row("distinct, group by and union ignore case",
        "SELECT (SELECT Count(*) FROM (SELECT DISTINCT icon FROM Calendar)), Count(*), (SELECT "
        "Count(*) FROM (SELECT icon FROM Calendar UNION SELECT UCase(icon) FROM Calendar)) FROM "
        "Calendar GROUP BY icon HAVING Count(*) > 1",
        "7|2|7; 7|2|7");
    row("sorted by Jet's order", "WHERE Description > 'd' ORDER BY Description",
        "Dentist; Élodie's race; Leap day");
    row("least and greatest texts", "SELECT Min(Description), Max(Description) FROM Calendar",
        "[Old] 50% off|Leap day");
    row("accents sort with their letter", "DELETE FROM Calendar WHERE Description < 'F'",
        "-1; -2; -3; -5; -6; -7; -8; -9");

    // LIKE in statements: % and _; Access's own wild cards are refused.
    row("like with a star", "DELETE FROM Calendar WHERE Description Like 'D*'",
        "error: The pattern 'D*' holds '*', which is no wild card in a statement: statements use "
        "% for any run of characters and _ for one character. Write [*] for the character itself.");
    row("a computed pattern with a hash", "WHERE Description Like Details & '#'",
        "error: The pattern '#' holds '#', which is no wild card in a statement: statements use % "
        "for any run of characters and _ for one character. Write [#] for the character itself.");

    // Each text column's size, for every writer.
    const char *tooSmall = "error: The field is too small to accept the amount of data you "
                           "attempted to add. Try inserting or pasting less data.";
    row("a description of 51 characters", "SET Description = String(51, 'x')", tooSmall);
    row("a type of 16 characters, by another program",
        "sqlite3: UPDATE Calendar SET icon = '0123456789abcdef'", tooSmall);
    row("50 accented characters", "SET Description = String(50, 'é') WHERE Description = 'Ann'",
        "1:Description=éééééééééééééééééééééééééééééééééééééééééééééééééé");

    // Data definition: Jet's own only, the file the same for every reader.
    row("an index, then another program's row",
        "CREATE INDEX ix ON Calendar (Description)\nsqlite3: INSERT INTO Calendar (Dates, "
        "Description, ShowOnce) VALUES ('2026-01-01', 'ÄRGER', 0)\nWHERE Description = 'ärger' "
        "ORDER BY Dates",
        "ärger; ÄRGER");
    row("a table of Jet's types keeps its checks",
        "CREATE TABLE Notes (Id COUNTER, Title TEXT(5) NOT NULL, Seen YESNO, Due DATETIME)\n"
        "INSERT INTO Notes (Title, Seen, Due) VALUES ('ab', 5, #1/2/2026#)\n"
        "SELECT Id, Title, Seen, Due FROM Notes",
        "1|ab|-1|2026-01-02");
    row("dropping a check", "DROP TRIGGER [Calendar.Dates date on insert]",
        "error: 'DROP TRIGGER' is not Jet's data definition. Statements may create, alter and "
        "drop tables (CREATE TABLE, ALTER TABLE, DROP TABLE) and indexes (CREATE INDEX, DROP "
        "INDEX) only.");
    row("a unique index on a text", "CREATE UNIQUE INDEX ux ON Calendar (Description)",
        "error: A unique index or primary key on the text field 'Description' is not supported by "
        "this database: it would not tell texts apart as Jet does.");

    // Jet's own words and forms.
    row("a keyword after a quote", "WHERE icon = 'doctor'ORDER BY Dates", "Bob's check-up");
    row("distinctrow over one table",
        "SELECT DISTINCTROW Description FROM Calendar WHERE icon = 'DOCTOR'", "Bob's check-up");
    row("distinctrow over two", "SELECT DISTINCTROW c.Description FROM Calendar c, Almarik_Type t",
        "error: DISTINCTROW over more than one table is not supported by this database; use "
        "DISTINCT, which compares only the selected fields.");

    // Several statements and malformed texts.
    row("delete star and a semicolon", "DELETE * FROM Calendar WHERE Description = 'Ann';", "-1");
    row("an open quote before a WHERE", "SET Details = 'abc WHERE Description = 'Dentist'",
        "error: Syntax error in string in query expression '''.");
    row("a hidden second statement", "SET Details = 'a'';' ; DROP TABLE Calendar", afterEnd);
    row("nothing after OR", "DELETE FROM Calendar WHERE Description = 'Ann' OR",
        "error: Syntax error (missing operand) in query expression 'DELETE FROM Calendar WHERE "
        "Description = 'Ann' OR'.");
    row("two values without an operator", "DELETE FROM Calendar WHERE Description = 'Ann' 'Bob'",
        "error: Syntax error in query expression 'DELETE FROM Calendar WHERE Description = 'Ann' "
        "'Bob'' near ''Bob''.");
    row("a pragma", "PRAGMA writable_schema = 1", notJet);
    row("top", "SELECT TOP 1 * FROM Calendar",
        "error: The TOP predicate is not supported by this database; remove it from the "
        "statement.");
    row("SQLite's concatenation", "SELECT 'a' || 'b'",
        "error: Invalid character '|' in query expression 'SELECT 'a' || 'b''.");
}

void TestStatements::statement()
{
    QFETCH(QString, jet);
    TestDatabase t;
    fixture::runSql(t.db, kEvents);
    QStringList lines = jet.split(QLatin1Char('\n'));
    jet = lines.takeLast();
    for (const QString &line : std::as_const(lines))
        fixture::runSql(t.db, line);
    const QMap<qint64, QStringList> before = snapshot(t.path);
    QString actual;
    try {
        if (jet.startsWith(QLatin1String("SELECT"))) {
            auto stmt = t.db.prepare(translateStatement(jet, t.db.schema()));
            int rc = SQLITE_OK;
            actual = fixture::rowsOf(stmt.get(), &rc).join(QStringLiteral("; "));
            t.db.check(rc);
        } else {
            fixture::runSql(t.db, jet);
            actual = changes(before, snapshot(t.path));
        }
    } catch (const DbError &e) {
        actual = QStringLiteral("error: ") + e.description();
        for (const auto &[start, number] : kNumbers)
            if (e.description().startsWith(QLatin1String(start)))
                QCOMPARE(e.number(), number);
        QCOMPARE(changes(before, snapshot(t.path)), QString());
        QVERIFY(!t.db.inTransaction());
    }
    QTEST(actual, "expected");
}

QTEST_APPLESS_MAIN(TestStatements)
#include "tst_statements.moc"
