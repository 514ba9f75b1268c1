// The Jet dialect as SQLite reads it: literals of every kind, wild cards,
// truth words, and malformed texts refused.

#include "store/DbError.h"
#include "store/JetSql.h"
#include "store/Literals.h"

#include <QTest>

class TestJetSql : public QObject
{
    Q_OBJECT
private slots:
    void statement_data();
    void statement();
    void criteria_data();
    void criteria();
    void refused_data();
    void refused();
    void quoteSql_data();
    void quoteSql();
    void dateLiteral();
};

void TestJetSql::statement_data()
{
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("sqlite");
    QTest::newRow("date literal m/d/yyyy")
        << "Update Calendar SET ShowOnce = True WHERE Dates = #7/4/2026#"
        << "Update Calendar SET ShowOnce = -1 WHERE Dates = '2026-07-04'";
    QTest::newRow("date literal mm/dd/yyyy")
        << "DELETE FROM Calendar WHERE ShowOnce = TRUE AND Dates < #12/08/2026#"
        << "DELETE FROM Calendar WHERE ShowOnce = -1 AND Dates < '2026-12-08'";
    QTest::newRow("iso date with time") << "SELECT * FROM t WHERE d = #2026-01-05 13:45#"
                                        << "SELECT * FROM t WHERE d = '2026-01-05 13:45:00'";
    QTest::newRow("us date with pm time") << "x = #1/5/2026 1:30 PM#"
                                          << "x = '2026-01-05 13:30:00'";
    QTest::newRow("two-digit years") << "a = #1/2/29# OR b = #1/2/30#"
                                     << "a = '2029-01-02' OR b = '1930-01-02'";
    QTest::newRow("29 February of a leap year") << "d = #2/29/2024#"
                                                << "d = '2024-02-29'";
    QTest::newRow("false any case") << "SET ShowOnce = fAlSe"
                                    << "SET ShowOnce = 0";
    QTest::newRow("delete star")
        << "DELETE * FROM Calendar WHERE Description like 'Ann*'"
        << "DELETE FROM Calendar WHERE Description like 'Ann%' ESCAPE '\\'";
    QTest::newRow("select star untouched") << "SELECT * FROM Calendar"
                                           << "SELECT * FROM Calendar";
    QTest::newRow("double-quoted text")
        << "UPDATE Calendar SET Details = \"Jet's double-quoted text\""
        << "UPDATE Calendar SET Details = 'Jet''s double-quoted text'";
    QTest::newRow("doubled double quote") << "x = \"say \"\"hi\"\"\""
                                          << "x = 'say \"hi\"'";
    QTest::newRow("specials inside text left alone") << "x = 'True # * ; [a] ''q'''"
                                                     << "x = 'True # * ; [a] ''q'''";
    QTest::newRow("bracketed name") << "SELECT [Dates] FROM [My Table]"
                                    << "SELECT \"Dates\" FROM \"My Table\"";
    QTest::newRow("like question mark") << "WHERE d LIKE 'A?n'"
                                        << "WHERE d LIKE 'A_n' ESCAPE '\\'";
    QTest::newRow("like percent is literal in a statement") << "WHERE d LIKE '50%*'"
                                                            << "WHERE d LIKE '50\\%%' ESCAPE '\\'";
    QTest::newRow("like bracketed star") << "WHERE d LIKE '*[*]*'"
                                         << "WHERE d LIKE '%*%' ESCAPE '\\'";
    QTest::newRow("not like") << "WHERE d NOT LIKE \"*x*\""
                              << "WHERE d NOT LIKE '%x%' ESCAPE '\\'";
    QTest::newRow("quote in like pattern") << "Description like '*o''b*'"
                                           << "Description like '%o''b%' ESCAPE '\\'";
    QTest::newRow("trailing semicolon") << "DELETE FROM Calendar;  "
                                        << "DELETE FROM Calendar";
    QTest::newRow("ampersand joins") << "SET d = d & 'x'"
                                     << "SET d = d || 'x'";
    QTest::newRow("Date()") << "WHERE Dates < Date()"
                            << "WHERE Dates < date('now','localtime')";
    QTest::newRow("identifier containing true") << "SELECT TrueValue FROM t"
                                                << "SELECT TrueValue FROM t";
    QTest::newRow("insert of the event operations")
        << "INSERT INTO Calendar (Dates,icon,Description,Details,ShowOnce) VALUES (#07/04/2026#, "
           "'birthday', 'Ann''s party', Null, False)"
        << "INSERT INTO Calendar (Dates,icon,Description,Details,ShowOnce) VALUES ('2026-07-04', "
           "'birthday', 'Ann''s party', Null, 0)";
}

void TestJetSql::statement()
{
    QFETCH(QString, jet);
    QFETCH(QString, sqlite);
    QCOMPARE(translateStatement(jet), sqlite);
}

void TestJetSql::criteria_data()
{
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("sqlite");
    QTest::newRow("editor filter")
        << "Description like '*o''b*' and icon = 'birthday' and ShowOnce = True"
        << "Description like '%o''b%' ESCAPE '\\' and icon = 'birthday' and ShowOnce = -1";
    QTest::newRow("percent is a wild card in a filter") << "Description like 'A%'"
                                                        << "Description like 'A%' ESCAPE '\\'";
    QTest::newRow("find with a date") << "Dates = #01/05/2024#"
                                      << "Dates = '2024-01-05'";
}

void TestJetSql::criteria()
{
    QFETCH(QString, jet);
    QFETCH(QString, sqlite);
    QCOMPARE(translateCriteria(jet), sqlite);
}

void TestJetSql::refused_data()
{
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("message");
    QTest::newRow("two statements") << "DELETE FROM Calendar; DELETE FROM RegEdit"
                                    << "Characters found after end of SQL statement.";
    QTest::newRow("unterminated quote") << "UPDATE Calendar SET Details = 'abc"
                                        << "Syntax error in string in query expression ''abc'.";
    QTest::newRow("unterminated double quote")
        << "x = \"abc"
        << "Syntax error in string in query expression '\"abc'.";
    QTest::newRow("unterminated hash") << "WHERE Dates = #7/4/2026"
                                       << "Syntax error in date in query expression '#7/4/2026'.";
    QTest::newRow("impossible date") << "WHERE Dates = #13/45/2026#"
                                     << "Syntax error in date in query expression '#13/45/2026#'.";
    QTest::newRow("29 February of a common year")
        << "WHERE Dates = #2/29/2026#"
        << "Syntax error in date in query expression '#2/29/2026#'.";
    QTest::newRow("text in hashes") << "WHERE Dates = #soon#"
                                    << "Syntax error in date in query expression '#soon#'.";
    QTest::newRow("unterminated bracket") << "SELECT [Dates FROM x"
                                          << "Invalid bracketing of name '[Dates FROM x'.";
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
    QTest::newRow("no apostrophe") << "plain \"text\""
                                   << "plain \"text\"";
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
    QCOMPARE(DateLiteral(QDate(2024, 1, 5)), QStringLiteral("#01/05/2024#"));
    QCOMPARE(DateText(QDate(2026, 12, 31)), QStringLiteral("12/31/2026"));
    QLocale::setDefault(QLocale::c());
}

QTEST_APPLESS_MAIN(TestJetSql)
#include "tst_jetsql.moc"
