// The date-picking window: only a click on a day changes DateVal and closes
// the window; every other way of closing leaves DateVal as it was.

#include "app/Calendar.h"
#include "support/TestEnv.h"

#include <QCalendarWidget>
#include <QTest>

class TestCalendar : public QObject
{
    Q_OBJECT
private slots:
    void caption();
    void dayClickSetsAndCloses_data();
    void dayClickSetsAndCloses();
    void otherClosesKeepDateVal_data();
    void otherClosesKeepDateVal();

private:
    TestEnv m_env;
};

void TestCalendar::caption()
{
    Calendar window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Calendar"));
    QVERIFY(window.Calendar1);
    QVERIFY(window.DateVal.isNull());
}

void TestCalendar::dayClickSetsAndCloses_data()
{
    QTest::addColumn<QDate>("day");
    QTest::newRow("29 February") << QDate(2024, 2, 29);
    QTest::newRow("31 December") << QDate(2026, 12, 31);
}

void TestCalendar::dayClickSetsAndCloses()
{
    QFETCH(QDate, day);
    Calendar window;
    window.DateVal = QDate(2000, 1, 1);
    window.Calendar1->setSelectedDate(day);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // The month view reports the click as the user would cause it.
    emit window.Calendar1->clicked(day);
    QCOMPARE(window.DateVal, day);
    QVERIFY(!window.isVisible());
    QCOMPARE(window.result(), int(QDialog::Accepted));

    Calendar direct;
    direct.Calendar1_DateClick(day);
    QCOMPARE(direct.DateVal, day);
}

void TestCalendar::otherClosesKeepDateVal_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Esc") << "esc";
    QTest::newRow("close box") << "close";
    QTest::newRow("month changed, then closed") << "browse";
}

void TestCalendar::otherClosesKeepDateVal()
{
    QFETCH(QString, how);
    const QDate before(2026, 7, 4);
    Calendar window;
    window.DateVal = before;
    window.Calendar1->setSelectedDate(before);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    if (how == QLatin1String("esc")) {
        QTest::keyClick(&window, Qt::Key_Escape);
    } else if (how == QLatin1String("close")) {
        window.close();
    } else {
        window.Calendar1->showNextMonth();
        window.Calendar1->setSelectedDate(before.addMonths(1));
        QCOMPARE(window.DateVal, before);
        window.close();
    }
    QVERIFY(!window.isVisible());
    QCOMPARE(window.DateVal, before);
    QCOMPARE(window.result(), int(QDialog::Rejected));
}

QTEST_MAIN(TestCalendar)
#include "tst_calendar.moc"
