// The start-up registry tasks over table RegEdit: exact task words, paths
// created, unknown roots, rows that cannot be read, a missing table.

#include "RegTestSupport.h"
#include "registry/DoRegEdit.h"

#include <QTest>

namespace {

const QString kUser = QString::number(HKEY_CURRENT_USER);

QString failure(int number, const QString &description)
{
    return QStringLiteral("Almarik (-, OK): Error in DoRegEdit\r\nNumber : ") +
           QString::number(number) + QStringLiteral("\r\nDescription : ") + description +
           QStringLiteral("\r\nSelect File>DB Repair");
}

// Runs the tasks and answers the messages shown and what both roots hold,
// "U" or "M" before each key or value.
QStringList run(TestDatabase &t)
{
    t.prompts.boxes.clear();
    DoRegEdit(t.db, t.prompts);
    QStringList out = t.prompts.takeBoxes();
    for (const QString &line : dump(HKEY_CURRENT_USER))
        out << QStringLiteral("U ") + line;
    for (const QString &line : dump(HKEY_LOCAL_MACHINE))
        out << QStringLiteral("M ") + line;
    return out;
}

} // namespace

class TestDoRegEdit : public QObject
{
    Q_OBJECT
private slots:
    void tasks_data();
    void tasks();
    void missingTableOrColumn();
};

void TestDoRegEdit::tasks_data()
{
    // Rows as "Task|hKey|SubKey|key|NewValue", each cell a Jet literal.
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("result");
    const QString user = QStringLiteral("|") + kUser + QStringLiteral("|");
    QTest::newRow("edits create the path; other task words, unknown roots do nothing")
        << QStringList{"'edit'" + user + "'New\\Deeper\\'|'v'|'it''s'",
                       "'edit'|-2147483646|'Run'|'Tool'|'t.exe'",
                       "'Edit'" + user + "'Old'|'v'|'new'", "'delete'|0|'Old'|'v'|'x'"}
        << QStringList{"U New\\",        "U New\\Deeper\\", "U New\\Deeper\\|v\tit's", "U Old\\",
                       "U Old\\|v\told", "M Run\\",         "M Run\\|Tool\tt.exe"};
    QTest::newRow("delete, names in any case, no NewValue; a missing value leaves the path")
        << QStringList{"'delete'" + user + "'OLD'|'V'|Null",
                       "'delete'" + user + "'Made\\By\\'|'v'|'x'"}
        << QStringList{"U Made\\", "U Made\\By\\", "U Old\\"};
    // Each distinct message once a run.
    QTest::newRow("unreadable rows are skipped, never run with stale values")
        << QStringList{"'edit'" + user + "'A\\'|'v1'|'one'", "'edit'" + user + "Null|'v2'|'two'",
                       "'edit'" + user + "'A\\'|'v3'|Null",  "'delete'" + user + "'Old\\'|Null|'x'",
                       "'edit'|Null|'A\\'|'v5'|'five'",      "'edit'|2147483649|'A'|'v'|'x'",
                       "'edit'" + user + "'C\\'|'v6'|'six'"}
        << QStringList{failure(94, "Invalid use of Null"),
                       failure(6, "Overflow"),
                       "U A\\",
                       "U A\\|v1\tone",
                       "U C\\",
                       "U C\\|v6\tsix",
                       "U Old\\",
                       "U Old\\|v\told"};
}

void TestDoRegEdit::tasks()
{
    QFETCH(QStringList, rows);
    QFETCH(QStringList, result);
    TestDatabase f;
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, "Old", "v", "old", f.prompts));
    for (const QString &row : rows)
        f.db.Execute("INSERT INTO RegEdit (Task, hKey, SubKey, [Key], NewValue) VALUES (" +
                     QString(row).replace(QLatin1Char('|'), QStringLiteral(", ")) + ")");
    QCOMPARE(run(f), result);
    // The tasks stay in the table and the next start repeats them all.
    QCOMPARE(run(f), result);
    QCOMPARE(storedTasks(f.db).size(), rows.size());
}

void TestDoRegEdit::missingTableOrColumn()
{
    TestDatabase f;
    f.db.Execute(QStringLiteral("DROP TABLE RegEdit"));
    QCOMPARE(run(f), QStringList{failure(-2147217900, "no such table: RegEdit")});
    // Without column NewValue the deletion still runs; the two edits give
    // one message.
    f.db.Execute(QStringLiteral("CREATE TABLE RegEdit (hKey CURRENCY, SubKey LONGTEXT, "
                                "[Key] VARCHAR(255), Task VARCHAR(50))"));
    for (const char *task : {"edit", "delete", "edit"})
        f.db.Execute("INSERT INTO RegEdit (Task, hKey, SubKey, [Key]) VALUES ('" +
                     QLatin1String(task) + "', " + kUser + ", 'K', 'v')");
    QCOMPARE(run(f), (QStringList{failure(3265, "Item cannot be found in the collection "
                                                "corresponding to the requested name or ordinal."),
                                  "U K\\"}));
}

QTEST_APPLESS_MAIN(TestDoRegEdit)
#include "tst_doregedit.moc"
