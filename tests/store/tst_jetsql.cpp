// SPDX-License-Identifier: GPL-3.0-or-later
// The translator on its own: the SQLite text of forms whose results would
// not show a fault, the refusals only it makes with their number, the
// literal rules and the reading of stored dates. What statements leave
// behind is the statement table's. The shared date rules: Jet's two-digit
// years at the edges of its window, patterns widened to four-digit years, and
// the month list's day texts.

#include "StoreFixture.h"
#include "store/DateRules.h"
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
    void storedDates();
    void literalsAndDateRules();

private:
    TestEnv m_env;
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
    row("operators become calls", false,
        "UPDATE t SET d = d + 7, e = d & 'x', f = -a * 2 ^ 2 \\ 3 Mod 2",
        "UPDATE t SET d = jet_add(d, 7), e = jet_cat(d, 'x'), "
        "f = jet_mod(jet_idiv(jet_mul(jet_neg(a), jet_pow(2, 2)), 3), 2)");
    row("open double quote", false, "SELECT * FROM t WHERE x = \"abc",
        "Syntax error in string in query expression '\"abc'.");
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
                            "abcd-01-01", "2026-01-01 24:00:00", "2026-01-01 12:60:00"})
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

QTEST_APPLESS_MAIN(TestJetSql)
#include "tst_jetsql.moc"
