// SPDX-License-Identifier: GPL-3.0-or-later
// When the editor's date picker leaves a cell alone (its delete question is
// checked word for word through the Delete key in tst_editor).

#include "editor/EditorRules.h"
#include "support/TestEnv.h"

#include <QDateTime>
#include <QTest>

class TestEditorRules : public QObject
{
    Q_OBJECT
private slots:
    void pickedDate_data();
    void pickedDate();

private:
    TestEnv m_env;
};

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
