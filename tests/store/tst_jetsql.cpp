// SPDX-License-Identifier: GPL-3.0-or-later
// The translator on its own: the SQLite text of forms whose results would
// not show a fault, the refusals only it makes with their number, the
// literal rules and the reading of stored dates. What statements leave
// behind is the statement table's. The shared date rules: Jet's two-digit
// years at the edges of its window, patterns widened to four-digit years, and
// the month list's day texts. And the Jet operators and functions that
// statements call: each expression runs in SQLite as the translator emits
// it, and its result (or error) is compared whole. Texts show in quotes so
// that a number cannot pass for one.

#include "StoreFixture.h"
#include "platform/Clock.h"
#include "store/DateRules.h"
#include "store/JetDate.h"
#include "store/JetFunctions.h"
#include "store/JetSql.h"
#include "store/Literals.h"

#include <QTest>
#include <sqlite3.h>

class TestJetSql : public QObject
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
    void translate_data();
    void translate();
    void storedDates();
    void literalsAndDateRules();
    void functions_data();
    void functions();

private:
    QString evaluate(const QString &expression);
    TestEnv m_env;
    sqlite3 *m_db = nullptr;
};

void TestJetSql::translate_data()
{
    QTest::addColumn<bool>("criteria"); // a Filter or Find text rather than a statement
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("sqlite"); // or the refusal, always a syntax error
    auto row = [](const char *name, bool criteria, const QString &jet, const char *sqlite) {
        QTest::newRow(name) << criteria << jet << QString::fromUtf8(sqlite);
    };
    row("iso date with a time", false, "SELECT #2026-01-05 13:45#", "SELECT '2026-01-05 13:45:00'");
    row("truth words in any case", false,
        "UPDATE t SET a = fAlSe, b = Yes, c = no, d = ON, e = off",
        "UPDATE t SET a = 0, b = -1, c = 0, d = -1, e = 0");
    row("identifier holding true", false, "SELECT TrueValue FROM t", "SELECT TrueValue FROM t");
    row("specials inside text left alone", true, "x = 'True # * ; [a] ''q'''",
        "x = 'True # * ; [a] ''q''' COLLATE jet_general");
    row("like bracketed star", false, "SELECT * FROM t WHERE d LIKE '%[*]%'",
        "SELECT * FROM t WHERE d LIKE '%*%' ESCAPE '\\'");
    row("not like, double quotes", true, "d NOT LIKE \"*x*\"", "d NOT LIKE '%x%' ESCAPE '\\'");
    row("open hash", false, "DELETE FROM t WHERE Dates = #7/4/2026",
        "Syntax error in date in query expression '#7/4/2026'.");
    row("year before 100", false, "DELETE FROM t WHERE Dates = #0099-01-01#",
        "Syntax error in date in query expression '#0099-01-01#'.");
    row("open bracket", false, "SELECT [Dates FROM x",
        "Invalid bracketing of name '[Dates FROM x'.");
    row("open like class", false, "DELETE FROM t WHERE d LIKE 'a[b'", "Invalid pattern string.");
    row("a comment", false, "DELETE FROM t /* x */",
        "Jet SQL has no comments: remove the '/*' at position 15 of the query expression "
        "'DELETE FROM t /* x */'.");
    row("too deep", false, "SELECT " + QString(5000, QLatin1Char('(')) + "1",
        "Query is too complex.");
}

void TestJetSql::translate()
{
    QFETCH(bool, criteria);
    QFETCH(QString, jet);
    QFETCH(QString, sqlite);
    QString actual;
    const DbError e = fixture::thrown(
        [&] { actual = criteria ? translateCriteria(jet) : translateStatement(jet); });
    QCOMPARE(e.number() ? e.description() : actual, sqlite);
    QVERIFY(e.number() == 0 || e.number() == DbErrNo::Syntax);
}

void TestJetSql::storedDates()
{
    // Stored date texts are read without QDate; every day of two centuries
    // must still land on QDate's own Julian day.
    qint64 jd = 0;
    int msecs = 0;
    for (QDate day(1899, 12, 30); day.year() <= 2100; day = day.addDays(1)) {
        const QByteArray text = day.toString(Qt::ISODate).toUtf8();
        QVERIFY(isoToDayAndTime(text.constData(), 10, &jd, &msecs));
        QCOMPARE(jd, day.toJulianDay());
    }
    QVERIFY(isoToDayAndTime("2024-02-29 23:59:59", 19, &jd, &msecs));
    QCOMPARE(msecs, QTime(23, 59, 59).msecsSinceStartOfDay());
    for (const char *bad : {"2026-02-29", "2100-02-29", "2026-04-31", "2026-13-01", "0000-01-01",
                            "abcd-01-01", "2026-00-10", "2026-01-00", "2026-01-32", "2024-04-31",
                            "2026-01-01 1a:00:00", "2026-01-01T12:00:00", "2026-01-01 24:00:00",
                            "2026-01-01 12:60:00", "2026-01-01 12:00:60"})
        QVERIFY2(!isoToDayAndTime(bad, int(qstrlen(bad)), &jd, &msecs), bad);
}

void TestJetSql::literalsAndDateRules()
{
    // Every apostrophe doubled, none other added; dates month first whatever the locale.
    QCOMPARE(QuoteSql(QStringLiteral("Ann's and Bob's")), QStringLiteral("Ann''s and Bob''s"));
    QCOMPARE(QuoteSql(QStringLiteral("''")), QStringLiteral("''''"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString fifthOfJanuary = DateLiteral(QDate(2024, 1, 5));
    QLocale::setDefault(QLocale::c());
    QCOMPARE(fifthOfJanuary, QStringLiteral("#01/05/2024#"));
    // Jet's two-digit years: 29 is the last of the 2000s, 30 the first of the
    // 1900s; Qt reads yy as 19yy, and 29 February stays itself.
    QCOMPARE(jetYear(29, 2), 2029);
    QCOMPARE(jetYear(30, 2), 1930);
    QCOMPARE(jetYear(29, 4), 29);
    QCOMPARE(withJetYear(QDate(1929, 3, 1)), QDate(2029, 3, 1));
    QCOMPARE(withJetYear(QDate(1930, 3, 1)), QDate(1930, 3, 1));
    QCOMPARE(withFourDigitYear(QStringLiteral("d/M/yy")), QStringLiteral("d/M/yyyy"));
    QCOMPARE(withFourDigitYear(QStringLiteral("dd.MM.yyyy")), QStringLiteral("dd.MM.yyyy"));
    // The month list's day texts: 29 February, the year end, a three-digit year.
    const QList<QPair<QDate, QString>> days = {{QDate(2024, 2, 29), "29-02-2024"},
                                               {QDate(2026, 12, 31), "31-12-2026"},
                                               {QDate(999, 3, 4), "04-03-0999"}};
    for (const auto &[day, text] : days) {
        QCOMPARE(dayMonthYearText(day), text);
        QCOMPARE(dayFromDayMonthYearText(QLatin1Char(' ') + text), day);
    }
    QVERIFY(!dayFromDayMonthYearText(QStringLiteral("29-02-2025")).isValid());
}

// "SELECT expression" as text: 'text', a number as rowsOf shows it,
// <null>, or "error: " and the message.
QString TestJetSql::evaluate(const QString &expression)
{
    sqlite3_stmt *stmt = nullptr;
    const QByteArray sql = ("SELECT " + expression).toUtf8();
    if (sqlite3_prepare_v2(m_db, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK)
        return "prepare: " + QString::fromUtf8(sqlite3_errmsg(m_db));
    QString result;
    if (sqlite3_step(stmt) != SQLITE_ROW)
        result = "error: " + QString::fromUtf8(sqlite3_errmsg(m_db));
    else if (sqlite3_column_type(stmt, 0) == SQLITE_TEXT)
        result = "'" + fixture::cellText(stmt, 0) + "'";
    else
        result = fixture::cellText(stmt, 0);
    sqlite3_finalize(stmt);
    return result;
}

void TestJetSql::functions_data()
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
        "<null>");
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
    // DateDiff counts boundaries crossed (the year end, midnights and Sundays
    // are the intervals' above).
    row("days over 29 February", "jet_datediff('d', '2024-02-28', '2024-03-01')", "2");
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

void TestJetSql::functions()
{
    QFETCH(QString, expression);
    QTEST(evaluate(expression), "result");
}

QTEST_APPLESS_MAIN(TestJetSql)
#include "tst_jetsql.moc"
