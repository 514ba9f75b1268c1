// The editor's texts: the filter built from the filter dialog's answer, and
// dates as the grid writes and reads them.

#include "editor/FilterText.h"
#include "editor/GridDates.h"

#include <QDateTime>
#include <QLocale>
#include <QTest>

class TestEditorTexts : public QObject
{
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void filterText_data();
    void filterText();
    void dateFormat_data();
    void dateFormat();
    void dateText_data();
    void dateText();
    void parseDate_data();
    void parseDate();
    void shownDateReadsBack();
};

void TestEditorTexts::filterText_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("descr");
    QTest::addColumn<bool>("once");
    QTest::addColumn<QString>("filter");
    QTest::newRow("all three, quote doubled")
        << "birthday"
        << "o'b" << true << "Description like '*o''b*' and icon = 'birthday' and ShowOnce = True";
    QTest::newRow("description only") << ""
                                      << "Ann" << false << "Description like '*Ann*'";
    QTest::newRow("two quotes") << ""
                                << "''" << false << "Description like '*''''*'";
    QTest::newRow("type only") << "car_race"
                               << "" << false << "icon = 'car_race'";
    QTest::newRow("type key not doubled") << "o'k"
                                          << "" << false << "icon = 'o'k'";
    QTest::newRow("show once alone") << ""
                                     << "" << true << "ShowOnce = True";
    QTest::newRow("type and show once") << "doctor"
                                        << "" << true << "icon = 'doctor' and ShowOnce = True";
    QTest::newRow("description and show once")
        << ""
        << "a*b?" << true << "Description like '*a*b?*' and ShowOnce = True";
    QTest::newRow("nothing asked for") << ""
                                       << "" << false << "";
}

void TestEditorTexts::filterText()
{
    QFETCH(QString, type);
    QFETCH(QString, descr);
    QFETCH(bool, once);
    QFETCH(QString, filter);
    QCOMPARE(BuildFilterText(type, descr, once), filter);
}

void TestEditorTexts::dateFormat_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("format");
    QTest::newRow("US widens yy") << QLocale(QLocale::English, QLocale::UnitedStates) << "M/d/yyyy";
    QTest::newRow("UK kept") << QLocale(QLocale::English, QLocale::UnitedKingdom) << "dd/MM/yyyy";
    QTest::newRow("German widens yy") << QLocale(QLocale::German, QLocale::Germany) << "dd.MM.yyyy";
}

void TestEditorTexts::dateFormat()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, format);
    QLocale::setDefault(locale);
    QCOMPARE(gridDateFormat(), format);
}

void TestEditorTexts::dateText_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("date") << QVariant(QDate(2024, 1, 5)) << "1/5/2024";
    QTest::newRow("far past keeps its century") << QVariant(QDate(1905, 12, 31)) << "12/31/1905";
    QTest::newRow("date and time")
        << QVariant(QDateTime(QDate(2024, 2, 29), QTime(13, 5, 9))) << "2/29/2024 13:05:09";
    QTest::newRow("midnight shows no time")
        << QVariant(QDateTime(QDate(2024, 2, 29), QTime(0, 0))) << "2/29/2024";
    QTest::newRow("null") << QVariant() << "";
    QTest::newRow("stored text that is no date") << QVariant(QStringLiteral("soon")) << "soon";
}

void TestEditorTexts::dateText()
{
    QFETCH(QVariant, value);
    QFETCH(QString, text);
    QCOMPARE(gridDateText(value), text);
}

void TestEditorTexts::parseDate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("date");
    QTest::newRow("grid form") << "1/5/2024" << QVariant(QDate(2024, 1, 5));
    QTest::newRow("padded grid form") << " 01/05/2024 " << QVariant(QDate(2024, 1, 5));
    QTest::newRow("two-digit year as Jet reads it") << "1/5/24" << QVariant(QDate(2024, 1, 5));
    QTest::newRow("two-digit year 30 is 1930") << "1/5/30" << QVariant(QDate(1930, 1, 5));
    QTest::newRow("month list form dd-mm-yyyy") << "05-01-2024" << QVariant(QDate(2024, 1, 5));
    QTest::newRow("ISO") << "2024-02-29" << QVariant(QDate(2024, 2, 29));
    QTest::newRow("with time") << "2/29/2024 13:05:09"
                               << QVariant(QDateTime(QDate(2024, 2, 29), QTime(13, 5, 9)));
    QTest::newRow("midnight is a plain date")
        << "2/29/2024 00:00:00" << QVariant(QDate(2024, 2, 29));
    QTest::newRow("29 February of a common year") << "2/29/2023" << QVariant();
    QTest::newRow("month 13") << "13/1/2024" << QVariant();
    QTest::newRow("words") << "next Tuesday" << QVariant();
    QTest::newRow("bare time") << "10:30" << QVariant();
    QTest::newRow("bad time") << "1/5/2024 25:00" << QVariant();
    QTest::newRow("empty") << "" << QVariant();
}

void TestEditorTexts::parseDate()
{
    QFETCH(QString, text);
    QFETCH(QVariant, date);
    const QVariant parsed = parseGridDate(text);
    QCOMPARE(parsed.isValid(), date.isValid());
    if (date.isValid()) {
        QCOMPARE(parsed.typeId(), date.typeId());
        QCOMPARE(parsed, date);
    }
}

void TestEditorTexts::shownDateReadsBack()
{
    // Whatever the regional form, a date read back is the date shown.
    for (const QLocale &locale :
         {QLocale(QLocale::English, QLocale::UnitedStates),
          QLocale(QLocale::English, QLocale::UnitedKingdom),
          QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::C)}) {
        QLocale::setDefault(locale);
        for (const QDate &day : {QDate(1905, 3, 4), QDate(2024, 2, 29), QDate(2031, 12, 1)})
            QCOMPARE(parseGridDate(gridDateText(day)), QVariant(day));
    }
}

QTEST_APPLESS_MAIN(TestEditorTexts)
#include "tst_texts.moc"
