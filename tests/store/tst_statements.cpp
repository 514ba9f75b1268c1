// Statements as users type them in the SQL builder and as the program
// writes them, run against one prepared table: each must leave exactly the
// rows Jet leaves, or fail with its message and number, inside no
// transaction, leaving every row as it was.

#include "StoreFixture.h"
#include "platform/Clock.h"
#include "store/JetFunctions.h"
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

// Rowids 1 to 7.
const QStringList kEvents = {
    "('2002-03-05', 'birthday', 'Ann', NULL, 0)",
    "('2026-12-24', 'holiday', 'Christmas Eve', 'tree', 0)",
    "('2027-01-02', 'reminder', 'Dentist', NULL, -1)",
    "('2024-02-29', 'anniversary', 'Leap day', 'x', 0)",
    "('1990-07-04', 'memorial', '[Old] 50% off', NULL, 0)",
    "('2026-12-10 10:30:00', 'doctor', 'Bob''s check-up', NULL, -1)",
    "('2025-11-20', NULL, 'ärger', NULL, -1)",
};
const char *const kColumns[] = {"Dates", "icon", "Description", "Details", "ShowOnce"};
// The number a kind of refusal carries, by the start of its message.
const std::pair<const char *, int> kNumbers[] = {{"Data type mismatch", DbErrNo::Conversion},
                                                 {"No value given", DbErrNo::NoValue},
                                                 {"Syntax error", DbErrNo::Syntax},
                                                 {"Characters found", DbErrNo::Syntax},
                                                 {"Invalid SQL", DbErrNo::Syntax}};

QString cell(sqlite3_stmt *stmt, int col)
{
    if (sqlite3_column_type(stmt, col) == SQLITE_FLOAT)
        return QString::number(sqlite3_column_double(stmt, col), 'g', 15);
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, col));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(stmt, col))
                      .replace(QChar(0), QLatin1String("\\0"))
                : QStringLiteral("Null");
}

// Every row of the result, its values joined by "|".
QStringList rowsOf(sqlite3_stmt *stmt, int *rc)
{
    QStringList rows;
    while ((*rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        QStringList values;
        for (int c = 0; c < sqlite3_column_count(stmt); ++c)
            values << cell(stmt, c);
        rows << values.join(QLatin1Char('|'));
    }
    return rows;
}

// Calendar's rows by rowid.
QMap<qint64, QStringList> snapshot(Connection &db)
{
    int rc = SQLITE_OK;
    QMap<qint64, QStringList> rows;
    auto stmt = db.prepare(
        QStringLiteral("SELECT rowid, Dates, icon, Description, Details, ShowOnce FROM Calendar"));
    for (const QString &row : rowsOf(stmt.get(), &rc)) {
        QStringList values = row.split(QLatin1Char('|'));
        rows.insert(values.takeFirst().toLongLong(), values);
    }
    return rows;
}

// "3:Dates=2027-01-09" for a changed row, "-5" for a deleted one and
// "+8:2026-07-04|Null|New|Null|-1" for a new one.
QString changes(const QMap<qint64, QStringList> &before, const QMap<qint64, QStringList> &after)
{
    QStringList out;
    for (auto it = before.begin(); it != before.end(); ++it) {
        if (!after.contains(it.key())) {
            out << QLatin1Char('-') + QString::number(it.key());
            continue;
        }
        QStringList changed;
        for (int c = 0; c < 5; ++c)
            if (after[it.key()][c] != it.value()[c])
                changed << QLatin1String(kColumns[c]) + QLatin1Char('=') + after[it.key()][c];
        if (!changed.isEmpty())
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
    auto row = [](const char *name, const char *jet, const char *expected) {
        QString text = QString::fromUtf8(jet).replace(QLatin1String("\\0"), QChar(0));
        if (text.startsWith(QLatin1String("WHERE ")))
            text.prepend(QLatin1String("SELECT Description FROM Calendar "));
        else if (text.startsWith(QLatin1String("SET ")))
            text.prepend(QLatin1String("UPDATE Calendar "));
        QTest::newRow(name) << text << QString::fromUtf8(expected);
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
        "Bob's check-up; Christmas Eve; Dentist");
    row("past 9999", "SET Dates = #12/31/9999# + 1 WHERE Description = 'Ann'", "error: Overflow");
    row("&, + and Null", "SELECT 'a' & Null, Null & Null, 'n' & 5, 'a' + Null", "a|Null|n5|Null");
    row("precedence", "SELECT 5 - 2 - 1, 2 + 3 * 4, -2 ^ 2, 10 / 4, 1 + 2 & 3", "2|14|-4|2.5|33");
    row("comparisons as numbers", "SELECT 1 < 2, 2 < 1, (1 = 1) * 5, True + 1", "-1|0|-5|0");
    row("before day zero", "SELECT DateAdd('h', 1, #12/29/1899 6:00 AM#)", "1899-12-29 07:00:00");

    // LIKE.
    row("negated class", "WHERE Description LIKE '[!a-c]%' ORDER BY Dates",
        "[Old] 50% off; Leap day; ärger; Dentist");
    row("a class of digits", "WHERE Description LIKE '%[0-9]%'", "[Old] 50% off");
    row("percent literal", "WHERE Description LIKE '%[%]%'", "[Old] 50% off");
    row("_ and case", "WHERE Description LIKE 'A_N'", "Ann");
    row("like a null", "WHERE Details LIKE '%'", "Christmas Eve; Leap day");

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
    row("30 February", "SET Dates = '2026-02-30' WHERE Description = 'Ann'", mismatch);
    row("a date that is a number", "SET Dates = 5 WHERE Description = 'Ann'", "1:Dates=1900-01-04");
    row("year 99", "SET Dates = '0099-12-31' WHERE Description = 'Ann'", mismatch);
    row("year 10000", "SET Dates = '10000-01-01' WHERE Description = 'Ann'", mismatch);
    row("year 100", "SET Dates = #1/1/0100# WHERE Description = 'Ann'", "1:Dates=0100-01-01");
    row("year 9999", "SET Dates = #12/31/9999# WHERE Description = 'Ann'", "1:Dates=9999-12-31");
    // The first rows take a good date, a later one a bad: nothing is kept.
    row("one bad date of many", "SET Dates = IIf(ShowOnce, 'soon', '2026-01-01')", mismatch);
    row("inserted copies",
        "INSERT INTO Calendar (Dates, Description, ShowOnce) SELECT Dates + 1, Description & ' "
        "copy', ShowOnce FROM Calendar WHERE Description = 'Ann'",
        "+8:2002-03-06|Null|Ann copy|Null|0");
    row("a null to a required yes/no", "SET ShowOnce = Null",
        "error: NOT NULL constraint failed: Calendar.ShowOnce");

    // The program's own statements.
    row("an event's update",
        "UPDATE Calendar SET  Dates = #03/06/2002#, Description ='Ann''s party', icon = NULL,  "
        "Details = 'bring cake', ShowOnce = True WHERE Dates = #03/05/2002# AND  Description "
        "='Ann'",
        "1:Dates=2002-03-06,icon=Null,Description=Ann's party,Details=bring cake,ShowOnce=-1");
    row("an event's delete, another case",
        "DELETE FROM Calendar WHERE Description ='DENTIST' AND Dates =#01/02/2027#", "-3");
    row("an import",
        "INSERT INTO Calendar (Dates, icon, Description, ShowOnce, Details) VALUES "
        "(#03/15/2007#, 'birthday', 'Jo''s party', False, Null)",
        "+8:2007-03-15|birthday|Jo's party|Null|0");
    // A time on the last day is kept.
    row("purge", "DELETE FROM Calendar WHERE ShowOnce <> FALSE AND Dates < #12/10/2026#", "-7");

    // Functions.
    row("an unknown function", "SELECT Foo(1)", "error: Undefined function 'Foo' in expression.");
    row("an engine function", "SELECT substr('abc', 1, 1)",
        "error: Undefined function 'substr' in expression.");
    row("too few arguments", "SELECT Left('a')",
        "error: Wrong number of arguments used with function in query expression 'Left'.");
    row("aggregates", "SELECT Count(*), Count(Details), Max(Dates), Sum(ShowOnce) FROM Calendar",
        "7|2|2027-01-02|-3");
    row("a subquery", "SELECT (SELECT Count(*) FROM Calendar WHERE ShowOnce) + 1", "4");

    // Date literals (their forms are DateValue's, in the function table) and truth values.
    row("two-digit year", "SELECT #1/2/27#, #1/2/30#", "2027-01-02|1930-01-02");
    row("29 February of a common year", "SELECT #2/29/2026#",
        "error: Syntax error in date in query expression '#2/29/2026#'.");

    // Comparisons and lists.
    row("in a list", "WHERE Description IN ('ann', 'DENTIST') ORDER BY Dates", "Ann; Dentist");
    row("equal ignoring case beyond ASCII", "WHERE Description = 'ÄRGER'", "ärger");
    row("a comparison with a null", "SELECT Count(*) FROM Calendar WHERE Details <> 'x'", "1");
    row("double-quoted texts", "SET Details = \"Ann's \"\"quoted\"\"\" WHERE Description = 'Ann'",
        "1:Details=Ann's \"quoted\"");

    // Comments, several statements and malformed texts.
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
    QFETCH(QString, expected);
    TestDatabase t;
    t.db.BeginTrans(); // one commit: a commit each is slow
    addEvents(t.db, kEvents);
    t.db.CommitTrans();
    const QMap<qint64, QStringList> before = snapshot(t.db);
    QString actual;
    try {
        if (jet.startsWith(QLatin1String("SELECT"))) {
            auto stmt = t.db.prepare(translateStatement(jet, t.db.schema()));
            int rc = SQLITE_OK;
            actual = rowsOf(stmt.get(), &rc).join(QStringLiteral("; "));
            t.db.check(rc);
        } else {
            t.db.Execute(jet);
            actual = changes(before, snapshot(t.db));
        }
    } catch (const DbError &e) {
        actual = QStringLiteral("error: ") + e.description();
        for (const auto &[start, number] : kNumbers)
            if (e.description().startsWith(QLatin1String(start)))
                QCOMPARE(e.number(), number);
        QCOMPARE(changes(before, snapshot(t.db)), QString());
        QVERIFY(!t.db.inTransaction());
    }
    QCOMPARE(actual, expected);
}

QTEST_APPLESS_MAIN(TestStatements)
#include "tst_statements.moc"
