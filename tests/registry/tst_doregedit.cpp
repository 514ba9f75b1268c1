// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up registry tasks over table RegEdit: exact task words, paths
// created, unknown roots, rows that cannot be read, a missing table; all
// tasks written at once, as they would be one by one.

#include "RegTestSupport.h"
#include "registry/DoRegEdit.h"

#include <QLockFile>
#include <QTest>

namespace {

const QString kUser = QString::number(HKEY_CURRENT_USER);
const QString kMachine = QString::number(HKEY_LOCAL_MACHINE);
const QByteArray kHeader = "Windows Registry Editor Version 5.00\n\n";

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

// Rows as "Task|hKey|SubKey|key|NewValue", each cell a Jet literal.
void addTasks(TestDatabase &t, const QStringList &rows)
{
    t.db.BeginTrans();
    for (const QString &row : rows)
        t.db.Execute("INSERT INTO RegEdit (Task, hKey, SubKey, [Key], NewValue) VALUES (" +
                     QString(row).replace(QLatin1Char('|'), QStringLiteral(", ")) + ")");
    t.db.CommitTrans();
}

// The same rows carried out by single calls, each written at once.
void runOneByOne(const QStringList &rows, Prompts &prompts)
{
    for (const QString &row : rows) {
        QStringList c = row.split(QLatin1Char('|'));
        for (QString &cell : c)
            cell = cell.startsWith('\'') ? cell.mid(1, cell.size() - 2).replace("''", "'") : cell;
        if (c[0] == "delete")
            DeleteRegKeyValue(c[1].toInt(), c[2], c[3], prompts);
        else if (c[0] == "edit")
            SetRegValue(c[1].toInt(), c[2], c[3], c[4], prompts);
    }
}

// The boxes shown (without the machine file's path), then both files.
QStringList outcome(TestDatabase &t)
{
    return t.prompts.takeBoxes().replaceInStrings(RegistryStore::fileFor(HKEY_LOCAL_MACHINE), "M")
           << QString::fromUtf8(readStoreFile(HKEY_CURRENT_USER))
           << QString::fromUtf8(readStoreFile(HKEY_LOCAL_MACHINE));
}

} // namespace

class TestDoRegEdit : public QObject
{
    Q_OBJECT
private slots:
    void tasks_data();
    void tasks();
    void missingTableOrColumn();
    void asOneByOne_data();
    void asOneByOne();
    void manyTasksOneWrite();
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
    addTasks(f, rows);
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

void TestDoRegEdit::asOneByOne_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QByteArray>("machine"); // HKEY_LOCAL_MACHINE's file
    const QString u = "|" + kUser + "|", m = "|" + kMachine + "|";
    const QByteArray tool = kHeader + "[HKEY_LOCAL_MACHINE\\Run]\n\"Tool\"=\"old.exe\"\n";
    QTest::newRow("set, set again in another case, deleted, deleted when missing")
        << QStringList{"'edit'" + u + "'Run\\'|'a'|'1'",    "'edit'" + u + "'Run\\'|'b'|'2'",
                       "'edit'" + u + "'RUN'|'A'|'3'",      "'delete'" + u + "'run\\'|'b'|'x'",
                       "'delete'" + u + "'Run'|'none'|'x'", "'edit'" + u + "'Old'|'v'|'new'"}
        << tool;
    QTest::newRow("deleted under keys that are made; both roots")
        << QStringList{"'delete'" + u + "'Made\\By\\'|'v'|'x'", "'delete'" + m + "'Run'|'Tool'|'x'",
                       "'edit'" + m + "'Run'|'Tool'|'new.exe'", "'delete'" + u + "'Old'|'v'|'x'"}
        << tool;
    QTest::newRow("failing tasks among good ones")
        << QStringList{"'edit'|0|'K'|'v'|'x'",          "'edit'" + u + "'A\\\\B'|'v'|'x'",
                       "'edit'" + u + "'K'|'a\nb'|'x'", "'Edit'" + u + "'Old'|'v'|'x'",
                       "'delete'|-5|'Old'|'v'|'x'",     "'edit'" + u + "'Good'|'v'|'1'"}
        << tool;
    QTest::newRow("a damaged machine file, told once and never written")
        << QStringList{"'edit'" + m + "'Run'|'Tool'|'t'", "'delete'" + m + "'Run'|'Tool'|'x'",
                       "'edit'" + u + "'After'|'v'|'1'"}
        << tool + "\"bad\"=\"C:\\x\"\n";
}

void TestDoRegEdit::asOneByOne()
{
    QFETCH(QStringList, rows);
    QFETCH(QByteArray, machine);
    const QByteArray user = kHeader + "[HKEY_CURRENT_USER\\Old]\n\"v\"=\"old\"\n";
    QStringList oneByOne;
    {
        TestDatabase f;
        writeStoreFile(HKEY_CURRENT_USER, user);
        writeStoreFile(HKEY_LOCAL_MACHINE, machine);
        runOneByOne(rows, f.prompts);
        oneByOne = outcome(f);
    }
    TestDatabase f;
    writeStoreFile(HKEY_CURRENT_USER, user);
    writeStoreFile(HKEY_LOCAL_MACHINE, machine);
    addTasks(f, rows);
    FileWrites userWrites(HKEY_CURRENT_USER), machineWrites(HKEY_LOCAL_MACHINE);
    DoRegEdit(f.db, f.prompts);
    QCOMPARE(outcome(f), oneByOne);
    // One write of each file the tasks change.
    QCOMPARE(userWrites.count(), int(readStoreFile(HKEY_CURRENT_USER) != user));
    QCOMPARE(machineWrites.count(), int(readStoreFile(HKEY_LOCAL_MACHINE) != machine));
}

void TestDoRegEdit::manyTasksOneWrite()
{
    TestDatabase f;
    writeStoreFile(HKEY_CURRENT_USER,
                   kHeader + "[HKEY_CURRENT_USER\\Old]\n\"v\"=\"" + QByteArray(1000, 'o') + "\"\n");
    const QByteArray before = readStoreFile(HKEY_CURRENT_USER);
    // 2,000 values written, a row that cannot be read, the first 1,000
    // values deleted again.
    QStringList rows;
    for (int i = 0; i < 3000; ++i)
        rows << (i < 2000 ? QStringLiteral("'edit'|%1|'Run'|'v%2'|'%2'").arg(kUser).arg(i)
                          : QStringLiteral("'delete'|%1|'Run'|'v%2'|'x'").arg(kUser).arg(i - 2000));
    rows.insert(2000, "'edit'|" + kUser + "|Null|'v'|'x'");
    addTasks(f, rows);
    // Without room for the file the tasks fail together, after the row's
    // message: the file stays as it was, nothing of them is kept.
    {
        const FileSizeLimit limit(before.size());
        DoRegEdit(f.db, f.prompts);
    }
    QCOMPARE(f.prompts.takeBoxes(), (QStringList{failure(94, "Invalid use of Null"),
                                                 "Almarik (information, OK): Unknown Error 1016"}));
    QCOMPARE(readStoreFile(HKEY_CURRENT_USER), before);
    QCOMPARE(GetRegValue(HKEY_CURRENT_USER, "Run", "v1999", "none", f.prompts), "none");
    // With room, one write of the file; no box waits while its lock is held.
    FileWrites writes(HKEY_CURRENT_USER);
    QLockFile probe(RegistryStore::fileFor(HKEY_CURRENT_USER) + ".lock");
    bool lockFree = false;
    f.prompts.onMessage = [&] {
        lockFree = probe.tryLock(0);
        probe.unlock();
    };
    DoRegEdit(f.db, f.prompts);
    QCOMPARE(writes.count(), 1);
    QVERIFY(lockFree);
    QCOMPARE(f.prompts.takeBoxes(), QStringList{failure(94, "Invalid use of Null")});
    const QStringList values = dump(HKEY_CURRENT_USER, "Run\\");
    QCOMPARE(values.size(), 1000);
    QCOMPARE(values.first() + values.last(), "Run\\|v1000\t1000Run\\|v1999\t1999");
}

QTEST_APPLESS_MAIN(TestDoRegEdit)
#include "tst_doregedit.moc"
