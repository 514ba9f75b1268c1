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

    QTest::newRow("iso date with a time") << false << "d = #2026-01-05 13:45#"
                                          << "d = '2026-01-05 13:45:00'";
    QTest::newRow("date with a pm time") << false << "d = #1/5/2026 1:30 PM#"
                                         << "d = '2026-01-05 13:30:00'";
    QTest::newRow("two-digit years") << false << "a = #1/2/29# OR b = #1/2/30#"
                                     << "a = '2029-01-02' OR b = '1930-01-02'";
    QTest::newRow("29 February of a leap year") << false << "d = #2/29/2024#"
                                                << "d = '2024-02-29'";
    QTest::newRow("false in any case") << false << "SET ShowOnce = fAlSe"
                                       << "SET ShowOnce = 0";
    QTest::newRow("identifier holding true") << false << "SELECT TrueValue FROM t"
                                             << "SELECT TrueValue FROM t";
    QTest::newRow("Jet double-quoted text") << false << "x = \"Jet's \"\"quoted\"\" text\""
                                            << "x = 'Jet''s \"quoted\" text'";
    QTest::newRow("specials inside text left alone") << false << "x = 'True # * ; [a] ''q'''"
                                                     << "x = 'True # * ; [a] ''q'''";
    QTest::newRow("bracketed names") << false << "SELECT [Dates] FROM [My Table]"
                                     << "SELECT \"Dates\" FROM \"My Table\"";
    QTest::newRow("like ? and *") << false << "d LIKE 'A?n*'"
                                  << "d LIKE 'A_n%' ESCAPE '\\'";
    QTest::newRow("like % literal in a statement") << false << "d LIKE '50%*'"
                                                   << "d LIKE '50\\%%' ESCAPE '\\'";
    QTest::newRow("like bracketed star") << false << "d LIKE '*[*]*'"
                                         << "d LIKE '%*%' ESCAPE '\\'";
    QTest::newRow("not like, double-quoted pattern") << false << "d NOT LIKE \"*x*\""
                                                     << "d NOT LIKE '%x%' ESCAPE '\\'";
    QTest::newRow("trailing semicolon") << false << "DELETE FROM Calendar;  "
                                        << "DELETE FROM Calendar";
    QTest::newRow("ampersand joins") << false << "SET d = d & 'x'"
                                     << "SET d = d || 'x'";
    QTest::newRow("Date()") << false << "WHERE Dates < Date()"
                            << "WHERE Dates < date('now','localtime')";
    QTest::newRow("the editor's filter")
        << true << "Description like '*o''b*' and icon = 'birthday' and ShowOnce = True"
        << "Description like '%o''b%' ESCAPE '\\' and icon = 'birthday' and ShowOnce = -1";
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
        << "x = \"abc"
        << "Syntax error in string in query expression '\"abc'.";
    QTest::newRow("unterminated hash") << "WHERE Dates = #7/4/2026"
                                       << "Syntax error in date in query expression '#7/4/2026'.";
    QTest::newRow("29 February of a common year")
        << "WHERE Dates = #2/29/2026#"
        << "Syntax error in date in query expression '#2/29/2026#'.";
    QTest::newRow("unterminated bracket") << "SELECT [Dates FROM x"
                                          << "Invalid bracketing of name '[Dates FROM x'.";
    QTest::newRow("unterminated like class") << "d LIKE 'a[b'"
                                             << "Invalid pattern string.";
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
