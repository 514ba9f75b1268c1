// SPDX-License-Identifier: GPL-3.0-or-later
// Dates as the editor's grid reads what is typed, and reads back what it
// shows, whatever the regional date form; and when the date picker leaves a
// cell alone (the editor's other rule, its delete question, is checked word
// for word through the Delete key in tst_editor).

#include "editor/EditorRules.h"
#include "editor/GridDates.h"

#include <QDateTime>
#include <QLocale>
#include <QTest>

namespace {

void parseRow(const char *name, const char *locale, const char *text, const QVariant &date)
{
    QTest::newRow(name) << QString::fromLatin1(locale) << QString::fromLatin1(text) << date;
}

} // namespace

class TestEditorDates : public QObject
{
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void parseDate_data();
    void parseDate();
    void shownDateReadsBack();
    void pickedDate_data();
    void pickedDate();
};

void TestEditorDates::parseDate_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("date");
    const QVariant leapDay(QDate(2024, 2, 29));
    parseRow("grid form, padded", "en_US", " 01/05/2024 ", QDate(2024, 1, 5));
    parseRow("two-digit year 30 is 1930", "en_US", "1/5/30", QDate(1930, 1, 5));
    parseRow("two-digit year in day-first order", "en_GB", "05/01/24", QDate(2024, 1, 5));
    parseRow("month list form dd-mm-yyyy", "en_US", "05-01-2024", QDate(2024, 1, 5));
    parseRow("ISO", "en_GB", "2024-02-29", leapDay);
    parseRow("with a time", "en_US", "2/29/2024 13:05",
             QDateTime(QDate(2024, 2, 29), QTime(13, 5)));
    parseRow("midnight is a plain date", "en_US", "2/29/2024 00:00:00", leapDay);
    parseRow("29 February of a common year", "en_US", "2/29/2023", {});
    // One or two digits, in the region's own order and separator; never
    // the other order.
    parseRow("GB: month 13 is not swapped", "en_GB", "5/13/2026", {});
    parseRow("DE: dots, one digit", "de_DE", "1.5.2024", QDate(2024, 5, 1));
    parseRow("DE: slashes are not its form", "de_DE", "5/1/2024", {});
    parseRow("empty", "en_US", "", {});
}

void TestEditorDates::parseDate()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(QVariant, date);
    QLocale::setDefault(QLocale(locale));
    const QVariant parsed = parseCellDate(text);
    QCOMPARE(parsed.isValid(), date.isValid());
    if (date.isValid()) {
        QCOMPARE(parsed.typeId(), date.typeId());
        QCOMPARE(parsed, date);
    }
}

void TestEditorDates::shownDateReadsBack()
{
    // Whatever the regional form, a date read back is the date shown; a
    // time of day shows only when there is one.
    const QDateTime timed(QDate(2024, 2, 29), QTime(13, 5, 9));
    QCOMPARE(cellDateText(timed), QStringLiteral("2/29/2024 13:05:09"));
    QCOMPARE(cellDateText(QDateTime(QDate(2024, 2, 29), QTime(0, 0))), QStringLiteral("2/29/2024"));
    QCOMPARE(cellDateText(QVariant()), QString());
    for (const char *locale : {"en_US", "en_GB", "de_DE", "C"}) {
        QLocale::setDefault(QLocale(QLatin1String(locale)));
        for (const QVariant &day :
             {QVariant(QDate(1905, 3, 4)), QVariant(QDate(2031, 12, 1)), QVariant(timed)})
            QCOMPARE(parseCellDate(cellDateText(day)), day);
    }
}

void TestEditorDates::pickedDate_data()
{
    QTest::addColumn<QVariant>("cell");
    QTest::addColumn<bool>("unchanged");
    const QDate leap(2024, 2, 29);
    QTest::newRow("the same day") << QVariant(QDateTime(leap, QTime(0, 0))) << true;
    QTest::newRow("the same day as a date") << QVariant(leap) << true;
    QTest::newRow("the day with a time") << QVariant(QDateTime(leap, QTime(0, 0, 1))) << false;
    QTest::newRow("no date") << QVariant() << false;
}

void TestEditorDates::pickedDate()
{
    QFETCH(QVariant, cell);
    QTEST(pickedDateUnchanged(cell, QDate(2024, 2, 29)), "unchanged");
}

QTEST_APPLESS_MAIN(TestEditorDates)
#include "tst_dates.moc"
