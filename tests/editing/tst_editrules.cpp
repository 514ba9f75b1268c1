// SPDX-License-Identifier: GPL-3.0-or-later
// The editing windows' rules: the SQL builder's statement and the single
// event dialog's change check.

#include "editing/EditRules.h"
#include "editing/EventRecord.h"
#include "support/TestEnv.h"

#include <QTest>

Q_DECLARE_METATYPE(EventRecord)

class TestEditRules : public QObject
{
    Q_OBJECT
private slots:
    void statement_data();
    void statement();
    void differs_data();
    void differs();

private:
    TestEnv m_env;
};

void TestEditRules::statement_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("inputs"); // set column, set value, where column, where value
    QTest::addColumn<QString>("statement");
    const auto row = [](const char *name, SqlMode mode, const QStringList &inputs,
                        const char *statement) {
        QTest::newRow(name) << int(mode) << inputs << QString::fromLatin1(statement);
    };
    row("update, values as typed", SqlMode::Update, {"ShowOnce", "O'Brien", "Description", "'D'"},
        "Update Calendar SET ShowOnce = O'Brien WHERE Description = 'D'");
    row("delete, no condition", SqlMode::Delete, {"Dates", "1", "Description", ""},
        "Delete FROM Calendar ");
    row("delete, condition without column", SqlMode::Delete, {"", "", "", "5"},
        "Delete FROM Calendar  WHERE  = 5");
}

void TestEditRules::statement()
{
    QFETCH(int, mode);
    QFETCH(QStringList, inputs);
    QTEST(builtStatement(SqlMode(mode), inputs[0], inputs[1], inputs[2], inputs[3]), "statement");
}

void TestEditRules::differs_data()
{
    QTest::addColumn<EventRecord>("form");
    QTest::addColumn<bool>("differs");
    // The time never counts.
    const EventRecord same{QDateTime(QDate(2024, 2, 29), QTime(15, 0)), "birthday", "Ann", "a\r\nb",
                           false};
    QTest::newRow("nothing") << same << false;
    auto changed = [&](const char *name, auto change) {
        EventRecord form = same;
        change(form);
        QTest::newRow(name) << form << true;
    };
    changed("day", [](EventRecord &f) { f.Dates = f.Dates.addDays(1); });
    changed("description's case", [](EventRecord &f) { f.Description = QStringLiteral("ANN"); });
    changed("type", [](EventRecord &f) { f.icon.clear(); });
    changed("details with a bare LF", [](EventRecord &f) { f.Details = QStringLiteral("a\nb"); });
    changed("show once", [](EventRecord &f) { f.ShowOnce = true; });
}

void TestEditRules::differs()
{
    QFETCH(EventRecord, form);
    // Details are compared as stored, with CR LF.
    const EventRecord loaded{QDateTime(QDate(2024, 2, 29), QTime(0, 0)), "birthday", "Ann", "a\nb",
                             false};
    QTEST(eventDiffers(loaded, form), "differs");
    // An event never loaded always differs.
    QVERIFY(eventDiffers(EventRecord{}, form));
}

QTEST_APPLESS_MAIN(TestEditRules)
#include "tst_editrules.moc"
