// SPDX-License-Identifier: GPL-3.0-or-later
// The five registry procedures: the read buffer, keys created by writes and
// deletes, the grid rows, the result-code messages and the error messages;
// the tool's task rules (the level up, the task row).

#include "RegTestSupport.h"
#include "registry/TaskTable.h"

#include <QTest>

class TestRegModule : public QObject
{
    Q_OBJECT
private slots:
    void readValue_data();
    void readValue();
    void writesAndListings();
    void listingFailures();
    void taskRules();
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
    QVERIFY(SetRegValue(m, kRun, "Zeta", "z.exe", prompts));
    QVERIFY(SetRegValue(m, kRun, QString(), "default data", prompts));
    QVERIFY(SetRegValue(m, kRun, "Alpha", QString(), prompts));
    QVERIFY(SetRegValue(m, kRun + "Sub1", "x", "1", prompts));
    // Subkeys, then values; the unnamed value's data cell stays empty.
    const QStringList values = {"Zeta\tz.exe", "(Default)", "Alpha\t"};
    QCOMPARE(listed(m, kRun), QStringList{"Sub1\t<sub key>"} + values);
    // Without write access to the root its subkeys are not listed, its values
    // are; writes and deletes there fail without a message.
    const QByteArray machine = readStoreFile(m);
    ReadOnlyRoot readOnly("HKEY_LOCAL_MACHINE");
    QCOMPARE(listed(m, kRun), values);
    QVERIFY(!SetRegValue(m, kRun, "Zeta", "2", prompts));
    QVERIFY(!DeleteRegKeyValue(m, kRun, "Zeta", prompts));
    QCOMPARE(readStoreFile(m), machine);
    QVERIFY(prompts.boxes.isEmpty());
}

void TestRegModule::listingFailures()
{
    TestEnv env;
    ScriptedPrompts prompts;
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, "K\\a", "x", "1", prompts));
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, "K\\b", "x", "1", prompts));
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, "K", "small", "1", prompts));
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, "K", "big", QString(32767, QLatin1Char('b')), prompts));
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, "K", "after", "2", prompts));
    // Each subkey row the grid refuses has its message.
    RecordingGrid refusing;
    refusing.failAdd = true;
    ListSubKeys(HKEY_CURRENT_USER, "K", &refusing, prompts);
    QCOMPARE(prompts.takeBoxes(),
             QStringList(2, "Almarik (-, OK): Error in REG_MODULE.ListSubKeys\r\nNumber : 9\r\n"
                            "Description : Subscript out of range"));
    // A value too big for the data buffer ends the listing.
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
    const auto text = [](const TaskRow &t) {
        return QStringList{QString::number(t.hKey), t.SubKey, t.key, t.Task, t.NewValue}.join('|');
    };
    QCOMPARE(text(taskRowFor(HKEY_CURRENT_USER, "Run\\", "Tool", "C:\\t.exe")),
             "-2147483647|Run\\|Tool|edit|C:\\t.exe");
    QCOMPARE(text(taskRowFor(HKEY_LOCAL_MACHINE, "Run\\", "Tool", "")),
             "-2147483646|Run\\|Tool|delete|x");
}

QTEST_APPLESS_MAIN(TestRegModule)
#include "tst_regmodule.moc"
