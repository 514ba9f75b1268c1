// The date-picking window: only a click on a day changes DateVal and closes
// the window; every other way of closing leaves DateVal as it was.

#include "support/TestEnv.h"
#include "widgets/Calendar.h"

#include <QCalendarWidget>
#include <QTest>

class TestCalendar : public QObject
{
    Q_OBJECT
private slots:
    void closing_data();
    void closing();

private:
    TestEnv m_env;
};

void TestCalendar::closing_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QDate>("dateVal");
    QTest::newRow("click on 29 February") << "click" << QDate(2024, 2, 29);
    QTest::newRow("Esc") << "esc" << QDate(2026, 7, 4);
    QTest::newRow("close box") << "close" << QDate(2026, 7, 4);
    QTest::newRow("month changed, then closed") << "browse" << QDate(2026, 7, 4);
}

void TestCalendar::closing()
{
    QFETCH(QString, how);
    Calendar window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Calendar"));
    window.DateVal = QDate(2026, 7, 4);
    window.Calendar1->setSelectedDate(window.DateVal);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    if (how == QLatin1String("click")) {
        // The month view reports the click as the user would cause it.
        emit window.Calendar1->clicked(QDate(2024, 2, 29));
    } else if (how == QLatin1String("esc")) {
        QTest::keyClick(&window, Qt::Key_Escape);
    } else {
        if (how == QLatin1String("browse")) {
            window.Calendar1->showNextMonth();
            window.Calendar1->setSelectedDate(QDate(2026, 8, 4));
        }
        window.close();
    }
    QVERIFY(!window.isVisible());
    QTEST(window.DateVal, "dateVal");
    QCOMPARE(window.result(),
             int(how == QLatin1String("click") ? QDialog::Accepted : QDialog::Rejected));
}

QTEST_MAIN(TestCalendar)
#include "tst_calendar.moc"
