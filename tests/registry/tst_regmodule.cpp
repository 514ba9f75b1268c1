// SPDX-License-Identifier: GPL-3.0-or-later
// The five registry procedures: the read buffer, keys created by writes and
// deletes, the grid rows, the result-code messages and the error messages;
// the tool's task rules (the level up, the task row). The start-up tasks
// over table RegEdit: rows that cannot be read, a missing table or column;
// all tasks written at once, as they would be one by one (exact task words,
// paths created, unknown roots, failures).

#include "RegTestSupport.h"
#include "registry/DoRegEdit.h"
#include "registry/TaskTable.h"

#include <QLockFile>
#include <QRegularExpression>
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
    DoRegEdit(t.db, t.prompts);
    const QStringList boxes = t.prompts.takeBoxes();
    const QRegularExpression start(QStringLiteral("^"));
    return boxes + dump(HKEY_CURRENT_USER).replaceInStrings(start, QStringLiteral("U ")) +
           dump(HKEY_LOCAL_MACHINE).replaceInStrings(start, QStringLiteral("M "));
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

class TestRegModule : public QObject
{
    Q_OBJECT
private slots:
    void readValue_data();
    void readValue();
    void writesAndListings();
    void taskRules();
    void unreadableRows();
    void missingTableOrColumn();
    void asOneByOne_data();
    void asOneByOne();
    void manyTasksOneWrite();
};

void TestRegModule::readValue_data()
{
    QTest::addColumn<QString>("stored"); // "-": nothing stored, "=": zero bytes of binary
    QTest::addColumn<QString>("result");
    QTest::addColumn<QStringList>("messages");
    auto row = [](const char *tag, const QString &stored, const QString &result,
                  const QStringList &messages = {}) {
        QTest::newRow(tag) << stored << result << messages;
    };
    const QString text = QStringLiteral("abcdefghijklmnopqrstuvwxyz").repeated(10);
    row("nothing stored", "-", "d");
    row("empty text", "", "");
    row("254 characters whole", text.left(254), text.left(254));
    row("255 give the default", text.left(255), "d");
    row("zero bytes fail the read", "=", "",
        {"Almarik (-, OK): ERROR # 5 : Invalid procedure call or argument\r"
         "Please exit and try again."});
}

void TestRegModule::readValue()
{
    QFETCH(QString, stored);
    TestEnv env;
    ScriptedPrompts prompts;
    if (stored == QLatin1String("="))
        writeStoreFile(HKEY_CURRENT_USER, "Windows Registry Editor Version 5.00\n"
                                          "[HKEY_CURRENT_USER\\K]\n\"Wallpaper\"=hex:\n");
    else if (stored != QLatin1String("-"))
        QVERIFY(SetRegValue(HKEY_CURRENT_USER, "K", "Wallpaper", stored, prompts));
    QTEST(GetRegValue(HKEY_CURRENT_USER, "K", "Wallpaper", "d", prompts), "result");
    QTEST(prompts.takeBoxes(), "messages");
}

void TestRegModule::writesAndListings()
{
    TestEnv env;
    ScriptedPrompts prompts;
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, "A\\B\\C\\", "Name", "C:\\x \"y\"", prompts));
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, "K", QString(), "default data", prompts));
    // Deleting a value that is missing, under a key that is missing too,
    // is false and leaves the key created; an empty name is the default value.
    QVERIFY(!DeleteRegKeyValue(HKEY_CURRENT_USER, "New\\Key\\", "v", prompts));
    QVERIFY(DeleteRegKeyValue(HKEY_CURRENT_USER, "K\\", QString(), prompts));
    QCOMPARE(dump(HKEY_CURRENT_USER),
             (QStringList{"A\\", "A\\B\\", "A\\B\\C\\", "A\\B\\C\\|Name\tC:\\x \"y\"", "K\\",
                          "New\\", "New\\Key\\"}));
    const qint32 m = HKEY_LOCAL_MACHINE;
    QVERIFY(SetRegValue(m, kRun, "Alpha", QString(), prompts));
    QVERIFY(SetRegValue(m, kRun + "Sub1", "x", "1", prompts));
    // Subkeys, then values (their order and the unnamed one's row: the
    // store's tests); an empty value's data cell stays empty.
    const QStringList values = {"Alpha\t"};
    QCOMPARE(listed(m, kRun), QStringList{"Sub1\t<sub key>"} + values);
    // Without write access to the root its subkeys are not listed, its values
    // are; writes and deletes there fail without a message.
    const QByteArray machine = readStoreFile(m);
    ReadOnlyRoot readOnly("HKEY_LOCAL_MACHINE");
    QCOMPARE(listed(m, kRun), values);
    QVERIFY(!SetRegValue(m, kRun, "Alpha", "2", prompts));
    QVERIFY(!DeleteRegKeyValue(m, kRun, "Alpha", prompts));
    QCOMPARE(readStoreFile(m), machine);
    // Each subkey row the grid refuses has its message; a value too big for
    // the data buffer ends the listing.
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, "K\\a", "x", "1", prompts));
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, "K\\b", "x", "1", prompts));
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, "K", "small", "1", prompts));
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, "K", "big", QString(32767, QLatin1Char('b')), prompts));
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, "K", "after", "2", prompts));
    RecordingGrid refusing;
    refusing.failAdd = true;
    ListSubKeys(HKEY_CURRENT_USER, "K", &refusing, prompts);
    QCOMPARE(prompts.takeBoxes(),
             QStringList(2, "Almarik (-, OK): Error in REG_MODULE.ListSubKeys\r\nNumber : 9\r\n"
                            "Description : Subscript out of range"));
    RecordingGrid grid;
    ListValues(HKEY_CURRENT_USER, "K", &grid, prompts);
    QCOMPARE(grid.rows, QStringList{"small\t1"});
    // The other result codes' messages (unknown codes: the store's tests).
    for (qint32 code : {5, 87, 259})
        RegistryResultMessage(code, prompts);
    QCOMPARE(prompts.takeBoxes(), (QStringList{"Almarik (-, OK): ERROR_MORE_DATA",
                                               "Almarik (critical, OK): ACCESS_DENIED",
                                               "Almarik (-, OK): Invalid Parameter",
                                               "Almarik (information, OK): NO_MORE_ITEMS"}));
}

void TestRegModule::taskRules()
{
    // Up one level skips the last character; a first level has none above.
    for (const auto &[path, parent] :
         {std::pair{"A\\B\\C\\", "A\\B\\"}, {"\\A", "\\"}, {"SOFTWARE\\", "-"}, {"", "-"}})
        QCOMPARE(parentKeyPath(path).value_or("-"), QLatin1String(parent));
    const auto row = [](qint32 root, const char *answer) {
        const TaskRow t = taskRowFor(root, "Run\\", "Tool", answer);
        return QStringList{QString::number(t.hKey), t.SubKey, t.key, t.Task, t.NewValue}.join('|');
    };
    QCOMPARE(row(HKEY_CURRENT_USER, "C:\\t.exe") + ' ' + row(HKEY_LOCAL_MACHINE, ""),
             "-2147483647|Run\\|Tool|edit|C:\\t.exe -2147483646|Run\\|Tool|delete|x");
}

void TestRegModule::unreadableRows()
{
    // A row whose fields cannot all be read runs nothing, never with the
    // values of the row before; each distinct message once a run.
    const QString user = QStringLiteral("|") + kUser + QStringLiteral("|");
    const QStringList rows = {
        "'edit'" + user + "'A\\'|'v1'|'one'", "'edit'" + user + "Null|'v2'|'two'",
        "'edit'" + user + "'A\\'|'v3'|Null",  "'edit'|Null|'A\\'|'v5'|'five'",
        "'edit'|2147483649|'A'|'v'|'x'",      "'edit'" + user + "'C\\'|'v6'|'six'"};
    const QStringList result =
        QStringList{failure(94, "Invalid use of Null"), failure(6, "Overflow")} +
        QStringList{"U A\\", "U A\\|v1\tone", "U C\\", "U C\\|v6\tsix"};
    TestDatabase f;
    addTasks(f, rows);
    QCOMPARE(run(f), result);
    // The tasks stay in the table and the next start repeats them all.
    QCOMPARE(run(f), result);
    QCOMPARE(storedTasks(f.db).size(), rows.size());
}

void TestRegModule::missingTableOrColumn()
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

void TestRegModule::asOneByOne_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QByteArray>("machine"); // HKEY_LOCAL_MACHINE's file
    const QString u = "|" + kUser + "|", m = "|" + kMachine + "|";
    const QByteArray tool = kHeader + "[HKEY_LOCAL_MACHINE\\Run]\n\"Tool\"=\"old.exe\"\n";
    QTest::newRow("set, set again in another case, deleted, deleted when missing, quoted")
        << QStringList{"'edit'" + u + "'Run\\'|'a'|'1'",    "'edit'" + u + "'Run\\'|'b'|'2'",
                       "'edit'" + u + "'RUN'|'A'|'3'",      "'delete'" + u + "'run\\'|'b'|'x'",
                       "'delete'" + u + "'Run'|'none'|'x'", "'edit'" + u + "'Old'|'v'|'it''s'"}
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

void TestRegModule::asOneByOne()
{
    QFETCH(QStringList, rows);
    QFETCH(QByteArray, machine);
    const QByteArray user = kHeader + "[HKEY_CURRENT_USER\\Old]\n\"v\"=\"old\"\n";
    QStringList oneByOne;
    for (const bool tasks : {false, true}) {
        TestDatabase f;
        writeStoreFile(HKEY_CURRENT_USER, user);
        writeStoreFile(HKEY_LOCAL_MACHINE, machine);
        if (!tasks) {
            runOneByOne(rows, f.prompts);
            oneByOne = outcome(f);
            continue;
        }
        addTasks(f, rows);
        FileWrites userWrites(HKEY_CURRENT_USER), machineWrites(HKEY_LOCAL_MACHINE);
        DoRegEdit(f.db, f.prompts);
        QCOMPARE(outcome(f), oneByOne);
        // One write of each file the tasks change.
        QCOMPARE(userWrites.count(), int(readStoreFile(HKEY_CURRENT_USER) != user));
        QCOMPARE(machineWrites.count(), int(readStoreFile(HKEY_LOCAL_MACHINE) != machine));
    }
}

void TestRegModule::manyTasksOneWrite()
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
    QCOMPARE(QString::number(values.size()) + values.first() + values.last(),
             "1000Run\\|v1000\t1000Run\\|v1999\t1999");
}

QTEST_APPLESS_MAIN(TestRegModule)
#include "tst_regmodule.moc"
