// The shared date rules: Jet's two-digit years at the edges of its window,
// patterns widened to four-digit years, and the month list's day texts.

#include "store/DateRules.h"
#include "support/TestEnv.h"

#include <QTest>

class TestDateRules : public QObject
{
    Q_OBJECT
private slots:
    void twoDigitYears_data();
    void twoDigitYears();
    void fourDigitPatterns_data();
    void fourDigitPatterns();
    void dayTexts_data();
    void dayTexts();
};

void TestDateRules::twoDigitYears_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("digits");
    QTest::addColumn<int>("jet");
    QTest::newRow("29, last of the 2000s") << 29 << 2 << 2029;
    QTest::newRow("30, first of the 1900s") << 30 << 2 << 1930;
    QTest::newRow("four digits stand") << 29 << 4 << 29;
}

void TestDateRules::twoDigitYears()
{
    QFETCH(int, year);
    QFETCH(int, digits);
    QFETCH(int, jet);
    TestEnv env;
    QCOMPARE(jetYear(year, digits), jet);
    if (digits == 2) // Qt reads yy as 19yy; 29 February stays itself
        QCOMPARE(withJetYear(QDate(1900 + year, 3, 1)), QDate(jet, 3, 1));
}

void TestDateRules::fourDigitPatterns_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("wide");
    QTest::newRow("d/M/yy") << QString("d/M/yy") << QString("d/M/yyyy");
    QTest::newRow("already four") << QString("dd.MM.yyyy") << QString("dd.MM.yyyy");
}

void TestDateRules::fourDigitPatterns()
{
    QFETCH(QString, pattern);
    QFETCH(QString, wide);
    TestEnv env;
    QCOMPARE(withFourDigitYear(pattern), wide);
}

void TestDateRules::dayTexts_data()
{
    QTest::addColumn<QDate>("day");
    QTest::addColumn<QString>("text");
    QTest::newRow("29 February") << QDate(2024, 2, 29) << "29-02-2024";
    QTest::newRow("year end") << QDate(2026, 12, 31) << "31-12-2026";
    QTest::newRow("year start") << QDate(2027, 1, 1) << "01-01-2027";
    QTest::newRow("three-digit year") << QDate(999, 3, 4) << "04-03-0999";
}

void TestDateRules::dayTexts()
{
    QFETCH(QDate, day);
    QFETCH(QString, text);
    TestEnv env;
    QCOMPARE(dayMonthYearText(day), text);
    QCOMPARE(dayFromDayMonthYearText(QLatin1Char(' ') + text), day);
    QVERIFY(!dayFromDayMonthYearText(QStringLiteral("29-02-2025")).isValid());
}

QTEST_APPLESS_MAIN(TestDateRules)
#include "tst_daterules.moc"
