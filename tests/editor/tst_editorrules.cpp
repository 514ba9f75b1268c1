// The editor window's rules: its delete question and when the date picker
// leaves a cell alone.

#include "editor/EditorRules.h"
#include "support/TestEnv.h"

#include <QDateTime>
#include <QTest>

class TestEditorRules : public QObject
{
    Q_OBJECT
private slots:
    void deleteQuestion();
    void pickedDate_data();
    void pickedDate();

private:
    TestEnv m_env;
};

void TestEditorRules::deleteQuestion()
{
    QCOMPARE(deleteEventsQuestion(1, QStringLiteral("O'Brien \"party\"")),
             QStringLiteral("Delete the event \"O'Brien \"party\"\"?"));
    QCOMPARE(deleteEventsQuestion(2, QStringLiteral("Ann")),
             QStringLiteral("Delete these 2 events?"));
}

void TestEditorRules::pickedDate_data()
{
    QTest::addColumn<QVariant>("cell");
    QTest::addColumn<bool>("unchanged");
    const QDate leap(2024, 2, 29);
    QTest::newRow("the same day") << QVariant(QDateTime(leap, QTime(0, 0))) << true;
    QTest::newRow("the same day as a date") << QVariant(leap) << true;
    QTest::newRow("the day with a time") << QVariant(QDateTime(leap, QTime(0, 0, 1))) << false;
    QTest::newRow("no date") << QVariant() << false;
}

void TestEditorRules::pickedDate()
{
    QFETCH(QVariant, cell);
    QFETCH(bool, unchanged);
    QCOMPARE(pickedDateUnchanged(cell, QDate(2024, 2, 29)), unchanged);
}

QTEST_APPLESS_MAIN(TestEditorRules)
#include "tst_editorrules.moc"
