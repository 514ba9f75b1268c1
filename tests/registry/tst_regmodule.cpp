// The five registry procedures: the read buffer, keys created by writes and
// deletes, the grid rows, the result-code messages and the error messages.

#include "RegTestSupport.h"
#include "registry/TaskTable.h"

#include <QTest>

class TestRegModule : public QObject
{
    Q_OBJECT
private slots:
    void readValue_data();
    void readValue();
    void writeAndDeleteCreateThePath();
    void listings();
    void listingFailures_data();
    void listingFailures();
    void resultMessages_data();
    void resultMessages();
    void parentPath_data();
    void parentPath();
    void taskRows();
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
    QFETCH(QString, result);
    QFETCH(QStringList, messages);
    TestEnv env;
    ScriptedPrompts prompts;
    if (stored == QLatin1String("="))
        writeStoreFile(HKEY_CURRENT_USER, "Windows Registry Editor Version 5.00\n"
                                          "[HKEY_CURRENT_USER\\K]\n\"Wallpaper\"=hex:\n");
    else if (stored != QLatin1String("-"))
        QVERIFY(SetRegValue(HKEY_CURRENT_USER, "K", "Wallpaper", stored, prompts));
    QCOMPARE(GetRegValue(HKEY_CURRENT_USER, "K", "Wallpaper", "d", prompts), result);
    QCOMPARE(prompts.takeBoxes(), messages);
}

void TestRegModule::writeAndDeleteCreateThePath()
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
    QVERIFY(prompts.boxes.isEmpty());
}

void TestRegModule::listings()
{
    TestEnv env;
    ScriptedPrompts prompts;
    const qint32 m = HKEY_LOCAL_MACHINE;
    QVERIFY(SetRegValue(m, kRun, "Zeta", "z.exe", prompts));
    QVERIFY(SetRegValue(m, kRun, QString(), "default data", prompts));
    QVERIFY(SetRegValue(m, kRun, "Alpha", QString(), prompts));
    QVERIFY(SetRegValue(m, kRun + "Sub1", "x", "1", prompts));
    // Subkeys, then values; the unnamed value's data cell stays empty. Fixed
    // rows are set after every row.
    RecordingGrid grid;
    ListSubKeys(m, kRun, &grid, prompts);
    ListValues(m, kRun, &grid, prompts);
    const QStringList values = {"Zeta\tz.exe", "(Default)", "Alpha\t"};
    QCOMPARE(grid.rows, QStringList{"Sub1\t<sub key>"} + values);
    QCOMPARE(grid.fixedRows, QList<int>(4, 1));
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

void TestRegModule::listingFailures_data()
{
    QTest::addColumn<bool>("failAdd"); // else a value too big for the data buffer
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("a subkey row the grid refuses")
        << true << QStringList()
        << QStringList(2, "Almarik (-, OK): Error in REG_MODULE.ListSubKeys\r\nNumber : 9\r\n"
                          "Description : Subscript out of range");
    QTest::newRow("a value too big for the data buffer ends the listing")
        << false << QStringList{"small\t1"} << QStringList{"Almarik (-, OK): ERROR_MORE_DATA"};
}

void TestRegModule::listingFailures()
{
    QFETCH(bool, failAdd);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, messages);
    TestEnv env;
    ScriptedPrompts prompts;
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, "K\\a", "x", "1", prompts));
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, "K\\b", "x", "1", prompts));
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, "K", "small", "1", prompts));
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, "K", "big", QString(32767, QLatin1Char('b')), prompts));
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, "K", "after", "2", prompts));
    RecordingGrid grid;
    grid.failAdd = failAdd;
    if (failAdd)
        ListSubKeys(HKEY_CURRENT_USER, "K", &grid, prompts);
    else
        ListValues(HKEY_CURRENT_USER, "K", &grid, prompts);
    QCOMPARE(grid.rows, rows);
    QCOMPARE(prompts.takeBoxes(), messages);
    // A failed row is followed by its fixed-row step all the same.
    QCOMPARE(grid.fixedRows, QList<int>(failAdd ? 2 : 1, 1));
}

void TestRegModule::resultMessages_data()
{
    QTest::addColumn<qint32>("code");
    QTest::addColumn<QString>("box");
    QTest::newRow("access denied") << 5 << "Almarik (critical, OK): ACCESS_DENIED";
    QTest::newRow("invalid parameter") << 87 << "Almarik (-, OK): Invalid Parameter";
    QTest::newRow("more data") << 234 << "Almarik (-, OK): ERROR_MORE_DATA";
    QTest::newRow("no more items") << 259 << "Almarik (information, OK): NO_MORE_ITEMS";
    QTest::newRow("others") << 1016 << "Almarik (information, OK): Unknown Error 1016";
}

void TestRegModule::resultMessages()
{
    QFETCH(qint32, code);
    QFETCH(QString, box);
    ScriptedPrompts prompts;
    RegistryResultMessage(code, prompts);
    QCOMPARE(prompts.takeBoxes(), QStringList{box});
}

void TestRegModule::parentPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("parent"); // "-" for none
    auto row = [](const char *path, const char *parent) {
        QTest::newRow(path) << QString::fromLatin1(path) << QString::fromLatin1(parent);
    };
    row("A\\B\\C\\", "A\\B\\");
    row("\\A", "\\");
    row("SOFTWARE\\", "-");
    row("", "-");
}

void TestRegModule::parentPath()
{
    QFETCH(QString, path);
    QFETCH(QString, parent);
    QCOMPARE(parentKeyPath(path).value_or(QStringLiteral("-")), parent);
}

void TestRegModule::taskRows()
{
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
