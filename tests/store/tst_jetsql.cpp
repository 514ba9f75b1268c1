// The Jet dialect as SQLite reads it: literals of every kind, wild cards,
// truth words, malformed texts refused; and the literal rules.

#include "store/DbError.h"
#include "store/JetDate.h"
#include "store/JetSql.h"
#include "store/Literals.h"

#include <QTest>

class TestJetSql : public QObject
{
    Q_OBJECT
private slots:
    void translate_data();
    void translate();
    void refused_data();
    void refused();
    void quoteSql_data();
    void quoteSql();
    void dateLiteral();
    void storedDates();
};

void TestJetSql::translate_data()
{
    QTest::addColumn<bool>("criteria"); // a Filter or Find text rather than a statement
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("sqlite");

    QTest::newRow("iso date with a time") << false << "SELECT * FROM t WHERE d = #2026-01-05 13:45#"
                                          << "SELECT * FROM t WHERE d = '2026-01-05 13:45:00'";
    QTest::newRow("date with a pm time") << true << "d = #1/5/2026 1:30 PM#"
                                         << "d = '2026-01-05 13:30:00'";
    QTest::newRow("two-digit years") << true << "a = #1/2/29# OR b = #1/2/30#"
                                     << "a = '2029-01-02' OR b = '1930-01-02'";
    QTest::newRow("29 February of a leap year") << true << "d = #2/29/2024#"
                                                << "d = '2024-02-29'";
    QTest::newRow("year first with slashes") << true << "d = #2027/01/02#"
                                             << "d = '2027-01-02'";
    QTest::newRow("month name first") << true << "d = #Jan 2, 2027# OR d = #January 2, 2027#"
                                      << "d = '2027-01-02' OR d = '2027-01-02'";
    QTest::newRow("day, month name, year") << true << "d = #2-Jan-2027#"
                                           << "d = '2027-01-02'";
    QTest::newRow("truth words in any case")
        << false << "UPDATE t SET a = fAlSe, b = Yes, c = no, d = ON, e = off"
        << "UPDATE t SET a = 0, b = -1, c = 0, d = -1, e = 0";
    QTest::newRow("identifier holding true") << false << "SELECT TrueValue FROM t"
                                             << "SELECT TrueValue FROM t";
    QTest::newRow("Jet double-quoted text") << true << "x = \"Jet's \"\"quoted\"\" text\""
                                            << "x = 'Jet''s \"quoted\" text' COLLATE NOCASE";
    QTest::newRow("specials inside text left alone") << true << "x = 'True # * ; [a] ''q'''"
                                                     << "x = 'True # * ; [a] ''q''' COLLATE NOCASE";
    QTest::newRow("NUL inside a text") << true << QStringLiteral("x = 'a%1b'").arg(QChar(0))
                                       << "x = ('a' || char(0) || 'b') COLLATE NOCASE";
    QTest::newRow("bracketed names") << false << "SELECT [Dates] FROM [My Table]"
                                     << "SELECT \"Dates\" FROM \"My Table\"";
    QTest::newRow("like ? and *") << true << "d LIKE 'A?n*'"
                                  << "d LIKE 'A_n%' ESCAPE '\\'";
    QTest::newRow("like % literal in a statement")
        << false << "SELECT * FROM t WHERE d LIKE '50%*'"
        << "SELECT * FROM t WHERE d LIKE '50\\%%' ESCAPE '\\'";
    QTest::newRow("like bracketed star") << false << "SELECT * FROM t WHERE d LIKE '*[*]*'"
                                         << "SELECT * FROM t WHERE d LIKE '%*%' ESCAPE '\\'";
    QTest::newRow("like classes and digits")
        << false << "DELETE FROM t WHERE d LIKE '[a-c]#[!x]'"
        << "DELETE FROM t WHERE d LIKE '[a-c]#[!x]' ESCAPE '\\'";
    QTest::newRow("criteria: [ and # are ordinary") << true << "d like '*[*#'"
                                                    << "d like '%\\[%\\#' ESCAPE '\\'";
    QTest::newRow("not like, double-quoted pattern") << true << "d NOT LIKE \"*x*\""
                                                     << "d NOT LIKE '%x%' ESCAPE '\\'";
    QTest::newRow("pattern from an expression") << true << "d LIKE '*' & x"
                                                << "d LIKE jet_likepattern(jet_cat('*', x), 1) "
                                                   "ESCAPE '\\'";
    QTest::newRow("trailing semicolon") << false << "DELETE FROM Calendar;  "
                                        << "DELETE FROM Calendar";
    QTest::newRow("delete star") << false << "DELETE * FROM Calendar"
                                 << "DELETE FROM Calendar";
    QTest::newRow("comments are blanks") << false << "DELETE /* it's */ FROM t -- all\n"
                                         << "DELETE   FROM t";
    QTest::newRow("operators become calls")
        << false << "UPDATE t SET d = d + 7, e = d & 'x', f = -a * 2 ^ 2 \\ 3 Mod 2"
        << "UPDATE t SET d = jet_add(d, 7), e = jet_cat(d, 'x'), "
           "f = jet_mod(jet_idiv(jet_mul(jet_neg(a), jet_pow(2, 2)), 3), 2)";
    QTest::newRow("negative literal unless a power binds it")
        << true << "a = -2 OR b = -2^2"
        << "a = -2 OR b = jet_neg(jet_pow(2, 2)) COLLATE NOCASE";
    QTest::newRow("a comparison as a value is -1 or 0")
        << false << "SELECT (a = b) = True, a < b FROM t WHERE a = b AND NOT c"
        << "SELECT -(-((a = b COLLATE NOCASE)) = -1), -(a < b COLLATE NOCASE) FROM t "
           "WHERE a = b COLLATE NOCASE AND NOT c";
    QTest::newRow("functions are the connection's own")
        << true << "Left(Description, 2) = 'An' AND Count(*) > 0 AND IsNull(x) AND Date() > d"
        << "jet_Left(Description, 2) = 'An' COLLATE NOCASE AND Count(*) > 0 AND jet_IsNull(x) AND "
           "jet_Date() > d COLLATE NOCASE";
    QTest::newRow("insert with columns and values")
        << false << "INSERT INTO Calendar (Dates, ShowOnce) VALUES (#7/4/2026#, 1 = 1)"
        << "INSERT INTO Calendar (Dates, ShowOnce) VALUES ('2026-07-04', -(1 = 1))";
    QTest::newRow("between, in, is null, subquery")
        << false
        << "SELECT a.* FROM t AS a WHERE x BETWEEN 1 AND 2 AND y NOT IN (1, 2) AND z IS NOT NULL "
           "AND w IN (SELECT v FROM u)"
        << "SELECT a.* FROM t AS a WHERE x BETWEEN 1 AND 2 AND y NOT IN (1, 2) AND z IS NOT NULL "
           "AND w IN (SELECT v FROM u)";
    QTest::newRow("the editor's filter")
        << true << "Description like '*o''b*' and icon = 'birthday' and ShowOnce = True"
        << "Description like '%o''b%' ESCAPE '\\' and icon = 'birthday' COLLATE NOCASE and "
           "ShowOnce = -1";
}

void TestJetSql::translate()
{
    QFETCH(bool, criteria);
    QFETCH(QString, jet);
    QFETCH(QString, sqlite);
    QCOMPARE(criteria ? translateCriteria(jet) : translateStatement(jet), sqlite);
}

void TestJetSql::refused_data()
{
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("message");
    QTest::newRow("unterminated quote") << "UPDATE Calendar SET Details = 'abc"
                                        << "Syntax error in string in query expression ''abc'.";
    QTest::newRow("unterminated double quote")
        << "SELECT * FROM t WHERE x = \"abc"
        << "Syntax error in string in query expression '\"abc'.";
    QTest::newRow("unterminated hash") << "DELETE FROM t WHERE Dates = #7/4/2026"
                                       << "Syntax error in date in query expression '#7/4/2026'.";
    QTest::newRow("29 February of a common year")
        << "DELETE FROM t WHERE Dates = #2/29/2026#"
        << "Syntax error in date in query expression '#2/29/2026#'.";
    QTest::newRow("year before 100") << "DELETE FROM t WHERE Dates = #0099-01-01#"
                                     << "Syntax error in date in query expression '#0099-01-01#'.";
    QTest::newRow("unterminated bracket") << "SELECT [Dates FROM x"
                                          << "Invalid bracketing of name '[Dates FROM x'.";
    QTest::newRow("unterminated like class") << "DELETE FROM t WHERE d LIKE 'a[b'"
                                             << "Invalid pattern string.";
    QTest::newRow("unterminated comment") << "DELETE FROM t /* x"
                                          << "Unterminated comment in query expression '/* x'.";
    QTest::newRow("NUL outside a text")
        << QStringLiteral("DELETE FROM Calendar%1 WHERE Description = 'x'").arg(QChar(0))
        << "The query holds a NUL character outside a text, at position 21.";
    QTest::newRow("a second statement") << "DELETE FROM t; DELETE FROM u"
                                        << "Characters found after end of SQL statement.";
    QTest::newRow("not a Jet statement") << "PRAGMA writable_schema = 1"
                                         << "Invalid SQL statement; expected 'DELETE', 'INSERT', "
                                            "'PROCEDURE', 'SELECT', or 'UPDATE'.";
    QTest::newRow("an operator SQLite has and Jet has not")
        << "SELECT a || b FROM t"
        << "Invalid character '|' in query expression 'SELECT a || b FROM t'.";
    QTest::newRow("missing operand") << "DELETE FROM t WHERE a ="
                                     << "Syntax error (missing operand) in query expression "
                                        "'DELETE FROM t WHERE a ='.";
    QTest::newRow("nested too deep") << "SELECT " + QString(5000, QLatin1Char('(')) + "1"
                                     << "Query is too complex.";
    QTest::newRow("top") << "SELECT TOP 5 * FROM t"
                         << "The TOP predicate is not supported by this database; remove it from "
                            "the statement.";
}

void TestJetSql::refused()
{
    QFETCH(QString, jet);
    QFETCH(QString, message);
    try {
        translateStatement(jet);
        QFAIL("no error");
    } catch (const DbError &e) {
        QCOMPARE(e.number(), DbErrNo::Syntax);
        QCOMPARE(e.description(), message);
    }
}

void TestJetSql::quoteSql_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("two apostrophes apart") << "Ann's and Bob's"
                                           << "Ann''s and Bob''s";
    QTest::newRow("only two apostrophes") << "''"
                                          << "''''";
}

void TestJetSql::quoteSql()
{
    QFETCH(QString, in);
    QFETCH(QString, out);
    QCOMPARE(QuoteSql(in), out);
}

void TestJetSql::dateLiteral()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString fifthOfJanuary = DateLiteral(QDate(2024, 1, 5));
    QLocale::setDefault(QLocale::c());
    QCOMPARE(fifthOfJanuary, QStringLiteral("#01/05/2024#"));
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
                            "abcd-01-01", "2026-01-01 24:00:00", "2026-01-01 12:60:00"})
        QVERIFY2(!isoToDayAndTime(bad, int(qstrlen(bad)), &jd, &msecs), bad);
}

QTEST_APPLESS_MAIN(TestJetSql)
#include "tst_jetsql.moc"
