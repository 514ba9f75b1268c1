// SPDX-License-Identifier: GPL-3.0-or-later
// The Jet operators and functions that statements call: each expression
// runs in SQLite as the translator emits it, and its result (or error) is
// compared whole. Texts show in quotes so that a number cannot pass for one.

#include "platform/Clock.h"
#include "store/JetFunctions.h"
#include "support/TestEnv.h"

#include <QTest>
#include <sqlite3.h>

class TestJetFunctions : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QCOMPARE(sqlite3_open(":memory:", &m_db), SQLITE_OK);
        registerJetFunctions(m_db);
        setAppClock([] { return QDateTime(QDate(2027, 1, 4), QTime(13, 5, 9, 500)); });
    }
    void cleanupTestCase()
    {
        setAppClock(nullptr);
        sqlite3_close(m_db);
    }
    void functions_data();
    void functions();

private:
    QString evaluate(const QString &expression);
    TestEnv m_env;
    sqlite3 *m_db = nullptr;
};

// "SELECT expression" as text: 'text', a number as SQLite writes it, Null,
// or "error: " and the message.
QString TestJetFunctions::evaluate(const QString &expression)
{
    sqlite3_stmt *stmt = nullptr;
    const QByteArray sql = ("SELECT " + expression).toUtf8();
    if (sqlite3_prepare_v2(m_db, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK)
        return "prepare: " + QString::fromUtf8(sqlite3_errmsg(m_db));
    QString result;
    if (sqlite3_step(stmt) != SQLITE_ROW) {
        result = "error: " + QString::fromUtf8(sqlite3_errmsg(m_db));
    } else {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0));
        const int type = sqlite3_column_type(stmt, 0);
        result = type == SQLITE_NULL   ? QStringLiteral("Null")
                 : type == SQLITE_TEXT ? "'" + QString::fromUtf8(text) + "'"
                                       : QString::fromUtf8(text);
    }
    sqlite3_finalize(stmt);
    return result;
}

void TestJetFunctions::functions_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("result");
    const QString mismatch = "error: Data type mismatch in criteria expression.";
    const QString invalid = "error: Invalid procedure call or argument";
    const QString invalidNull = "error: Invalid use of Null";
    auto row = [](const char *name, const char *expression, const QString &result) {
        QTest::newRow(name) << QString::fromUtf8(expression) << result;
    };
    // Operators; LIKE with its pattern as the translator emits it.
    row("time into midnight", "jet_add(jetdate_tag('2026-01-05 18:00:00'), 0.25)", "'2026-01-06'");
    row("numeric text plus date", "jet_add('2', jetdate_tag('2026-01-01'))", "'2026-01-03'");
    row("negative serial's time", "jet_add(jetdate_tag('1899-12-29 06:00:00'), 2)",
        "'1899-12-30 18:00:00'");
    row("numeric texts concatenate too", "jet_add('1', '2')", "'12'");
    row("text minus text", "jet_sub('b', 'a')", mismatch);
    row("idiv: halves to even, truncated", "jet_idiv(2.5, 1) || jet_idiv(-7, 2)", "'2-3'");
    row("integer division by a rounded zero", "jet_idiv(5, 0.4)", "error: Division by zero");
    row("integer division beyond a Long", "jet_idiv(3000000000, 1)", "error: Overflow");
    row("Mod rounds, keeps dividend's sign", "jet_mod(19, 6.7) || jet_mod(-7, 3)", "'5-1'");
    row("root of a negative", "jet_pow(-8, 1.0/3)", invalid);
    row("& renders a time", "jet_cat(jetdate_tag('2027-01-04 13:05:09'), '')",
        "'1/4/2027 1:05:09 PM'");
    row("& bare time", "jet_cat(jetdate_tag('1899-12-30 00:30:00'), jetdate_tag('1899-12-30'))",
        "'12:30:00 AM12:00:00 AM'");
    row("& renders numbers plainly", "jet_cat(jet_cat(2.50, '|'), 1e20)", "'2.5|1E+20'");
    row("a year-50 text is no date", "jet_add('0050-01-01', 'x')", "'0050-01-01x'");
    row("like: range, other case", "'carl' LIKE '[A-C]%'", "1");
    row("like: hyphen first is literal", "'-x' LIKE '[-a]x'", "1");
    row("like: empty class takes nothing", "'ab' LIKE 'a[]b'", "1");
    row("like: unicode class, folded", "'Ärger' LIKE '[ä-ö]%'", "1");
    row("like: backtracking over a class", "'xxab' LIKE '%[a]b'", "1");
    row("like: malformed after a miss", "'b' LIKE 'a[a'", "error: Invalid pattern string.");
    // Functions.
    row("Null in, Null out",
        "coalesce(jet_neg(NULL), jet_year(NULL), jet_dateadd('d', 1, NULL), jet_left(NULL, 2), "
        "jet_format(NULL, 'Short Date'), jet_len(NULL), jet_instr(NULL, 'a'))",
        "Null");
    // Parts of a date; a date text in US order is read too.
    row("parts",
        "jet_year('2027-01-04 13:05:09') || jet_month('2027-01-04 13:05:09') || "
        "jet_day('2027-01-04 13:05:09') || '|' || jet_hour('2027-01-04 13:05:09') || "
        "jet_minute('2027-01-04 13:05:09') || jet_second('2027-01-04 13:05:09')",
        "'202714|1359'");
    row("Sunday is 1, or 7", "jet_weekday('2027-01-03') || jet_weekday('2027-01-03', 2)", "'17'");
    // DateAdd keeps month ends inside the month.
    row("one month after 31 January",
        "jet_dateadd('m', 1, '2027-01-31') || jet_dateadd('m', 1, '2028-01-31')",
        "'2027-02-282028-02-29'");
    row("a year after 29 February", "jet_dateadd('yyyy', 1, '2024-02-29')", "'2025-02-28'");
    row("hours across the year end", "jet_dateadd('h', 25, '2026-12-31')", "'2027-01-01 01:00:00'");
    row("unknown interval", "jet_dateadd('x', 1, '2026-12-28')", invalid);
    row("before year 100", "jet_dateadd('yyyy', -2000, '2026-01-01')", invalid);
    row("DateAdd by Null", "jet_dateadd('d', NULL, '2026-01-01')", invalidNull);
    // Every interval: DateAdd of one to 30 November 2027 13:05:09, DateDiff
    // from 31 December 2026 23:59:59 to 1 February 2027 00:00:01 and back,
    // DatePart of the first.
    const auto interval = [](const char *i, const char *result) {
        const QString x = "'2027-11-30 13:05:09'", a = "'2026-12-31 23:59:59'",
                      b = "'2027-02-01 00:00:01'";
        const QString q = QString("'%1'").arg(i);
        QTest::newRow(qPrintable(QString("interval ") + i))
            << QString("jet_dateadd(%1, 1, %2) || '|' || jet_datediff(%1, %3, %4) || '|' || "
                       "jet_datediff(%1, %4, %3) || '|' || jet_datepart(%1, %2)")
                   .arg(q, x, a, b)
            << QString::fromUtf8(result);
    };
    interval("yyyy", "'2028-11-30 13:05:09|1|-1|2027'");
    interval("q", "'2028-02-29 13:05:09|1|-1|4'");
    interval("m", "'2027-12-30 13:05:09|2|-2|11'");
    interval("y", "'2027-12-01 13:05:09|32|-32|334'");
    interval("d", "'2027-12-01 13:05:09|32|-32|30'");
    interval("w", "'2027-12-01 13:05:09|4|-4|3'");
    interval("ww", "'2027-12-07 13:05:09|5|-5|49'");
    interval("h", "'2027-11-30 14:05:09|745|-745|13'");
    interval("n", "'2027-11-30 13:06:09|44641|-44641|5'");
    interval("s", "'2027-11-30 13:05:10|2678402|-2678402|9'");
    // The first day of the week (Monday here) for the parts that count weeks.
    row("Monday first",
        "jet_datepart('w', '2027-05-30', 2) || jet_datepart('ww', '2027-05-30', 2) || '|' || "
        "jet_datediff('ww', '2027-01-03', '2027-01-04', 2) || jet_weekday('2027-05-30', 2) || "
        "jet_datepart('ww', '2027-05-30')",
        "'722|1723'");
    row("DateAdd backwards",
        "jet_dateadd('q', -1, '2027-05-31') || jet_dateadd('ww', -1, '2027-01-03')",
        "'2027-02-282026-12-27'");
    // DateDiff counts boundaries crossed.
    row("31 Dec to 1 Jan is a year", "jet_datediff('yyyy', '2026-12-31', '2027-01-01')", "1");
    row("over midnight", "jet_datediff('d', '2026-12-31 23:00:00', '2027-01-01 01:00:00')", "1");
    row("days over 29 February", "jet_datediff('d', '2024-02-28', '2024-03-01')", "2");
    row("Sat to Sun is a week", "jet_datediff('ww', '2027-01-02', '2027-01-03')", "1");
    row("seconds past a Long", "jet_datediff('s', '0100-01-01', '9999-12-31')", "error: Overflow");
    row("DatePart",
        "jet_datepart('ww', '2027-01-03') || jet_datepart('y', '2024-12-31') || "
        "jet_datepart('q', '2027-05-31')",
        "'23662'");
    // DateSerial rolls over; two-digit years are 1930 to 2029.
    row("month 13, day 0, 29 February",
        "jet_dateserial(2027, 13, 1) || jet_dateserial(2024, 3, 0) || jet_dateserial(2024, 2, 29)",
        "'2028-01-012024-02-292024-02-29'");
    row("year 10000", "jet_dateserial(10000, 1, 1)", invalid);
    row("month names", "jet_datevalue('Jan 2, 2027') || jet_datevalue('2-Jan-2027 10:00')",
        "'2027-01-022027-01-02'");
    row("TimeValue", "jet_timevalue('1/2/2027 1:30 PM')", "'1899-12-30 13:30:00'");
    row("DateValue of no date", "jet_datevalue('next week')", mismatch);
    row("the clock", "jet_now() || '|' || jet_date() || '|' || jet_time()",
        "'2027-01-04 13:05:09|2027-01-04|1899-12-30 13:05:09'");
    row("CDate of a serial", "jet_cdate(46000.75)", "'2025-12-09 18:00:00'");
    row("IsDate", "jet_isdate('2/28/2027') || jet_isdate('2/30/2027') || jet_isdate(5)", "'-100'");
    // Format: dates
    row("Format short dates",
        "jet_format('2027-01-04', 'dd/mm/yyyy') || ' ' || jet_format('2027-01-04', 'short date')",
        "'04/01/2027 1/4/2027'");
    row("Format month and day names", "jet_format('2027-01-04', 'ddd mmm d, yy, dddd mmmm')",
        "'Mon Jan 4, 27, Monday January'");
    row("Format hh:mm is minutes", "jet_format('2027-01-04 13:05:09', 'hh:mm')", "'13:05'");
    row("Format mm:ss is ambiguous", "jet_format('2027-01-04', 'mm:ss')",
        "error: Format pattern 'mm:ss' is not supported.");
    // Format: numbers
    row("Format thousands", "jet_format(1234567.5, '#,##0.00')", "'1,234,567.50'");
    row("Format rounds halves up", "jet_format(0.125, '0.00') || jet_format(2.5, '0')", "'0.133'");
    // Text
    row("UCase maps one for one", "jet_ucase('straße') || jet_lcase('ÄB')", "'STRAßEäb'");
    row("Left", "jet_left('Anniversary', 4) || jet_right('abc', 5)", "'Anniabc'");
    row("Mid", "jet_mid('Birthday', 6) || jet_mid('Birthday', 2, 3) || jet_mid('abc', 9)",
        "'dayirt'");
    row("Mid from 0", "jet_mid('abc', 0)", invalid);
    row("Len of a number and a date", "jet_len(12.5) || jet_len(jetdate_tag('2027-01-04'))",
        "'48'");
    row("Trim spaces only",
        "'[' || jet_trim('  a b  ') || jet_ltrim(' x ') || jet_rtrim(char(9, 32)) || ']'",
        "'[a bx 	]'");
    row("InStr ignores case unless binary",
        "jet_instr('Birthday', 'DAY') || jet_instr(1, 'ABC', 'b', 0) || jet_instr('abc', '')",
        "'601'");
    row("InStr from a start",
        "jet_instr(3, 'abcabc', 'B') || jet_instr(7, 'abcabc', 'c') || jet_instr(2, 'aab', 'a') || "
        "jet_instr(3, 'abc', '')",
        "'5023'");
    row("InStr from 0", "jet_instr(0, 'abc', 'a')", invalid);
    row("Space, String", "jet_space(2) || jet_string(3, 'xyz') || jet_string(2, 65)", "'  xxxAA'");
    row("Space beyond reason", "jet_space(2000000000)", "error: Out of memory");
    // Conversions and tests
    row("Nz", "jet_nz(NULL) || '|' || jet_nz(NULL, 0) || jet_nz('a', 'b')", "'|0a'");
    row("IsNumeric",
        "jet_isnumeric('1,000') || jet_isnumeric('12abc') || "
        "jet_isnumeric('2027-01-04') || jet_isnumeric(NULL)",
        "'-1000'");
    row("CInt rounds halves to even",
        "jet_cint(2.5) || jet_cint(3.5) || jet_cint(-2.5) || jet_clng('12.5')", "'24-212'");
    row("Val",
        "jet_val('12abc') || ' ' || jet_val('  1 2') || ' ' || jet_val('1.5e2x') || ' ' || "
        "jet_val('abc')",
        "'12.0 12.0 150.0 0'");
    row("Val of hex", "jet_val('&H10') || ' ' || jet_val('&HFFFF')", "'16 -1'");
    row("IIf", "jet_iif(NULL, 1, 2) || jet_iif('0', 1, 2) || jet_iif(-1, 'a', 'b')", "'22a'");
    row("Abs, Int, Fix, Sgn, Sqr",
        "jet_abs(-3) || jet_int(-2.5) || jet_fix(-2.5) || jet_sgn(-0.1) || jet_sqr(16)",
        "'3-3-2-14'");
    row("Round to even",
        "jet_round(2.5) || jet_round(3.5) || jet_round(-2.5) || jet_round(0.125, 2)", "'24-20.12'");
}

void TestJetFunctions::functions()
{
    QFETCH(QString, expression);
    QTEST(evaluate(expression), "result");
}

QTEST_APPLESS_MAIN(TestJetFunctions)
#include "tst_jetfunctions.moc"
