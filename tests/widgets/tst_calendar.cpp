// SPDX-License-Identifier: GPL-3.0-or-later
// The date-picking window: only a click on a day changes DateVal and closes
// the window; browsing and closing it otherwise leave DateVal as it was.

#include "support/TestEnv.h"
#include "widgets/Calendar.h"

#include <QCalendarWidget>
#include <QTest>

class TestCalendar : public QObject
{
    Q_OBJECT
private slots:
    void onlyAClickChooses();

private:
    TestEnv m_env;
};

void TestCalendar::onlyAClickChooses()
{
    Calendar window;
    window.DateVal = QDate(2026, 7, 4);
    window.Calendar1->setSelectedDate(window.DateVal);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.Calendar1->showNextMonth();
    window.Calendar1->setSelectedDate(QDate(2026, 8, 4));
    QTest::keyClick(&window, Qt::Key_Escape);
    QVERIFY(!window.isVisible());
    QCOMPARE(window.DateVal, QDate(2026, 7, 4));
    QCOMPARE(window.result(), int(QDialog::Rejected));

    window.show();
    // The month view reports the click as the user would cause it.
    emit window.Calendar1->clicked(QDate(2024, 2, 29));
    QVERIFY(!window.isVisible());
    QCOMPARE(window.DateVal, QDate(2024, 2, 29));
    QCOMPARE(window.result(), int(QDialog::Accepted));
}

QTEST_MAIN(TestCalendar)
#include "tst_calendar.moc"
