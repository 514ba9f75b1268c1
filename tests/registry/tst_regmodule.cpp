// The five registry procedures: the read buffer, keys created by writes and
// deletes, the grid rows, the result-code messages and the error messages.

#include "RegTestSupport.h"
#include "registry/REG_MODULE.h"
#include "support/ScriptedPrompts.h"
#include "support/TestEnv.h"

#include <QTest>

class TestRegModule : public QObject
{
    Q_OBJECT
private slots:
    void missingValueGivesDefault_data();
    void missingValueGivesDefault();
    void readBuffer_data();
    void readBuffer();
    void zeroLengthDataIsAnError();
    void writeCreatesThePath();
    void writeRefusedWithoutMessage();
    void deleteValue();
    void deleteMissingValueCreatesKey();
    void deleteRefusedIsSilent();
    void emptyKeyListsNothing();
    void listRows();
    void machineRootWithoutWriteAccess();
    void gridOfAnotherKind();
    void gridFailureIsReportedAndListingGoesOn_data();
    void gridFailureIsReportedAndListingGoesOn();
    void tooMuchDataEndsTheListing();
    void resultMessages_data();
    void resultMessages();
};

void TestRegModule::missingValueGivesDefault_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("defaultText");
    QTest::newRow("wallpaper, nothing stored") << "Control Panel\\Desktop\\"
                                               << "";
    QTest::newRow("missing key, own default") << "No\\Such\\Key"
                                              << "fallback";
    QTest::newRow("bad path") << "\\\\"
                              << "d";
}

void TestRegModule::missingValueGivesDefault()
{
    QFETCH(QString, path);
    QFETCH(QString, defaultText);
    TestEnv env;
    ScriptedPrompts prompts;
    QCOMPARE(
        GetRegValue(HKEY_CURRENT_USER, path, QStringLiteral("Wallpaper"), defaultText, prompts),
        defaultText);
    QVERIFY(prompts.boxes.isEmpty());
}

void TestRegModule::readBuffer_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("whole");
    QTest::newRow("empty") << 0 << true;
    QTest::newRow("254 characters") << 254 << true;
    QTest::newRow("255 characters") << 255 << false;
    QTest::newRow("1000 characters") << 1000 << false;
}

void TestRegModule::readBuffer()
{
    QFETCH(int, length);
    QFETCH(bool, whole);
    TestEnv env;
    ScriptedPrompts prompts;
    QString text;
    for (int i = 0; i < length; ++i)
        text += QChar(u'a' + i % 26);
    QVERIFY(
        SetRegValue(HKEY_CURRENT_USER, QStringLiteral("K"), QStringLiteral("v"), text, prompts));
    QCOMPARE(GetRegValue(HKEY_CURRENT_USER, QStringLiteral("K"), QStringLiteral("v"),
                         QStringLiteral("default"), prompts),
             whole ? text : QStringLiteral("default"));
    QVERIFY(prompts.boxes.isEmpty());
}

void TestRegModule::zeroLengthDataIsAnError()
{
    TestEnv env;
    ScriptedPrompts prompts;
    writeStoreFile(HKEY_CURRENT_USER,
                   "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\K]\n\"v\"=hex:\n");
    QCOMPARE(GetRegValue(HKEY_CURRENT_USER, QStringLiteral("K"), QStringLiteral("v"),
                         QStringLiteral("default"), prompts),
             QString());
    QCOMPARE(prompts.boxes.size(), 1);
    QCOMPARE(prompts.boxes[0].text,
             QStringLiteral("ERROR # 5 : Invalid procedure call or argument\r"
                            "Please exit and try again."));
    QCOMPARE(prompts.boxes[0].buttons, MsgButtons::OkOnly);
    QCOMPARE(prompts.boxes[0].icon, MsgIcon::None);
    QCOMPARE(prompts.boxes[0].title, QStringLiteral("Almarik"));
}

void TestRegModule::writeCreatesThePath()
{
    TestEnv env;
    ScriptedPrompts prompts;
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, QStringLiteral("A\\B\\C\\"), QStringLiteral("Name"),
                        QStringLiteral("C:\\x \"y\""), prompts));
    RecordingGrid grid;
    ListSubKeys(HKEY_CURRENT_USER, QStringLiteral("A"), &grid, prompts);
    ListSubKeys(HKEY_CURRENT_USER, QStringLiteral("A\\B"), &grid, prompts);
    QCOMPARE(grid.rows,
             (QStringList{QStringLiteral("B\t<sub key>"), QStringLiteral("C\t<sub key>")}));
    QCOMPARE(GetRegValue(HKEY_CURRENT_USER, QStringLiteral("a\\b\\c"), QStringLiteral("name"),
                         QString(), prompts),
             QStringLiteral("C:\\x \"y\""));
    // The same write again gives the same result.
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, QStringLiteral("A\\B\\C\\"), QStringLiteral("Name"),
                        QStringLiteral("C:\\x \"y\""), prompts));
    grid.rows.clear();
    ListValues(HKEY_CURRENT_USER, QStringLiteral("A\\B\\C"), &grid, prompts);
    QCOMPARE(grid.rows, QStringList{QStringLiteral("Name\tC:\\x \"y\"")});
    QVERIFY(prompts.boxes.isEmpty());
}

void TestRegModule::writeRefusedWithoutMessage()
{
    TestEnv env;
    ScriptedPrompts prompts;
    ReadOnlyRoot readOnly("HKEY_LOCAL_MACHINE");
    QVERIFY(!SetRegValue(HKEY_LOCAL_MACHINE, QStringLiteral("K"), QStringLiteral("v"),
                         QStringLiteral("t"), prompts));
    QVERIFY(
        !SetRegValue(7, QStringLiteral("K"), QStringLiteral("v"), QStringLiteral("t"), prompts));
    QVERIFY(prompts.boxes.isEmpty());
    QVERIFY(!QFileInfo::exists(RegistryStore::fileFor(HKEY_LOCAL_MACHINE)));
}

void TestRegModule::deleteValue()
{
    TestEnv env;
    ScriptedPrompts prompts;
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, QStringLiteral("K"), QStringLiteral("a"),
                        QStringLiteral("1"), prompts));
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, QStringLiteral("K"), QString(), QStringLiteral("d"),
                        prompts));
    QVERIFY(
        DeleteRegKeyValue(HKEY_CURRENT_USER, QStringLiteral("K\\"), QStringLiteral("A"), prompts));
    QVERIFY(
        !DeleteRegKeyValue(HKEY_CURRENT_USER, QStringLiteral("K"), QStringLiteral("a"), prompts));
    // An empty name is the key's default value.
    QVERIFY(DeleteRegKeyValue(HKEY_CURRENT_USER, QStringLiteral("K"), QString(), prompts));
    RecordingGrid grid;
    ListValues(HKEY_CURRENT_USER, QStringLiteral("K"), &grid, prompts);
    QCOMPARE(grid.rows, QStringList());
    QVERIFY(prompts.boxes.isEmpty());
}

void TestRegModule::deleteMissingValueCreatesKey()
{
    TestEnv env;
    ScriptedPrompts prompts;
    QVERIFY(!DeleteRegKeyValue(HKEY_CURRENT_USER, QStringLiteral("New\\Key\\"), QStringLiteral("v"),
                               prompts));
    QVERIFY(prompts.boxes.isEmpty());
    RegistryStore reg;
    RegKey key;
    QCOMPARE(reg.RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("New\\Key"), KEY_QUERY_VALUE, key),
             ERROR_SUCCESS);
}

void TestRegModule::deleteRefusedIsSilent()
{
    TestEnv env;
    ScriptedPrompts prompts;
    writeStoreFile(HKEY_LOCAL_MACHINE,
                   "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\K]\n\"v\"=\"1\"\n");
    ReadOnlyRoot readOnly("HKEY_LOCAL_MACHINE");
    // The key cannot be opened for all access: false at once, no message.
    QVERIFY(
        !DeleteRegKeyValue(HKEY_LOCAL_MACHINE, QStringLiteral("K"), QStringLiteral("v"), prompts));
    QVERIFY(!DeleteRegKeyValue(99, QStringLiteral("K"), QStringLiteral("v"), prompts));
    QVERIFY(prompts.boxes.isEmpty());
    QCOMPARE(GetRegValue(HKEY_LOCAL_MACHINE, QStringLiteral("K"), QStringLiteral("v"), QString(),
                         prompts),
             QStringLiteral("1"));
}

void TestRegModule::emptyKeyListsNothing()
{
    TestEnv env;
    ScriptedPrompts prompts;
    RecordingGrid grid;
    ListSubKeys(HKEY_CURRENT_USER, QStringLiteral("Empty"), &grid, prompts);
    ListValues(HKEY_CURRENT_USER, QStringLiteral("Empty"), &grid, prompts);
    QCOMPARE(grid.rows, QStringList());
    QCOMPARE(grid.fixedRows, QList<int>());
    QVERIFY(prompts.boxes.isEmpty());
}

void TestRegModule::listRows()
{
    TestEnv env;
    ScriptedPrompts prompts;
    const QString run = QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\");
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, run, QStringLiteral("Zeta"), QStringLiteral("z.exe"),
                        prompts));
    QVERIFY(
        SetRegValue(HKEY_CURRENT_USER, run, QString(), QStringLiteral("default data"), prompts));
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, run, QStringLiteral("Alpha"), QString(), prompts));
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, run + QStringLiteral("sub2"), QStringLiteral("x"),
                        QStringLiteral("1"), prompts));
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, run + QStringLiteral("Sub1"), QStringLiteral("x"),
                        QStringLiteral("1"), prompts));
    RecordingGrid grid;
    ListSubKeys(HKEY_CURRENT_USER, run, &grid, prompts);
    ListValues(HKEY_CURRENT_USER, run, &grid, prompts);
    QCOMPARE(grid.rows,
             (QStringList{QStringLiteral("Sub1\t<sub key>"), QStringLiteral("sub2\t<sub key>"),
                          QStringLiteral("Zeta\tz.exe"), QStringLiteral("(Default)"),
                          QStringLiteral("Alpha\t")}));
    // Fixed rows are set to 1 after every row.
    QCOMPARE(grid.fixedRows, QList<int>(5, 1));
    QVERIFY(prompts.boxes.isEmpty());
}

void TestRegModule::machineRootWithoutWriteAccess()
{
    TestEnv env;
    ScriptedPrompts prompts;
    const QString run = QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\");
    QVERIFY(SetRegValue(HKEY_LOCAL_MACHINE, run, QStringLiteral("Tool"), QStringLiteral("t.exe"),
                        prompts));
    QVERIFY(SetRegValue(HKEY_LOCAL_MACHINE, run + QStringLiteral("Sub"), QStringLiteral("x"),
                        QStringLiteral("1"), prompts));
    ReadOnlyRoot readOnly("HKEY_LOCAL_MACHINE");
    RecordingGrid grid;
    ListSubKeys(HKEY_LOCAL_MACHINE, run, &grid, prompts);
    QCOMPARE(grid.rows, QStringList());
    ListValues(HKEY_LOCAL_MACHINE, run, &grid, prompts);
    QCOMPARE(grid.rows, QStringList{QStringLiteral("Tool\tt.exe")});
    // A key that is missing is not created either, and still shows nothing.
    ListSubKeys(HKEY_LOCAL_MACHINE, QStringLiteral("Missing"), &grid, prompts);
    QVERIFY(prompts.boxes.isEmpty());
}

void TestRegModule::gridOfAnotherKind()
{
    TestEnv env;
    ScriptedPrompts prompts;
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, QStringLiteral("K\\S"), QStringLiteral("v"),
                        QStringLiteral("1"), prompts));
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, QStringLiteral("K"), QStringLiteral("v"),
                        QStringLiteral("1"), prompts));
    RecordingGrid grid;
    grid.typeName = QStringLiteral("ListBox");
    ListSubKeys(HKEY_CURRENT_USER, QStringLiteral("K"), &grid, prompts);
    ListValues(HKEY_CURRENT_USER, QStringLiteral("K"), &grid, prompts);
    QCOMPARE(grid.rows, QStringList());
    QCOMPARE(grid.fixedRows, QList<int>());
    ListSubKeys(HKEY_CURRENT_USER, QStringLiteral("K"), nullptr, prompts);
    ListValues(HKEY_CURRENT_USER, QStringLiteral("K"), nullptr, prompts);
    QVERIFY(prompts.boxes.isEmpty());
}

void TestRegModule::gridFailureIsReportedAndListingGoesOn_data()
{
    QTest::addColumn<bool>("subKeys");
    QTest::addColumn<QString>("procedure");
    QTest::newRow("subkeys") << true << "REG_MODULE.ListSubKeys";
    QTest::newRow("values") << false << "REG_MODULE.ListValues";
}

void TestRegModule::gridFailureIsReportedAndListingGoesOn()
{
    QFETCH(bool, subKeys);
    QFETCH(QString, procedure);
    TestEnv env;
    ScriptedPrompts prompts;
    for (const char *name : {"a", "b"})
        QVERIFY(SetRegValue(HKEY_CURRENT_USER, QStringLiteral("K\\") + QLatin1String(name),
                            QLatin1String(name), QStringLiteral("1"), prompts));
    RecordingGrid grid;
    grid.failAdd = true;
    const QString path = subKeys ? QStringLiteral("K") : QStringLiteral("K\\a");
    if (subKeys)
        ListSubKeys(HKEY_CURRENT_USER, path, &grid, prompts);
    else
        ListValues(HKEY_CURRENT_USER, path, &grid, prompts);
    const QString message =
        QStringLiteral("Error in ") + procedure +
        QStringLiteral("\r\nNumber : 9\r\nDescription : Subscript out of range");
    const int expected = subKeys ? 2 : 1;
    QCOMPARE(prompts.boxes.size(), expected);
    for (const RecordedBox &box : prompts.boxes) {
        QCOMPARE(box.text, message);
        QCOMPARE(box.buttons, MsgButtons::OkOnly);
        QCOMPARE(box.icon, MsgIcon::None);
    }
    // Each failed row is followed by its fixed-row step.
    QCOMPARE(grid.fixedRows, QList<int>(expected, 1));
}

void TestRegModule::tooMuchDataEndsTheListing()
{
    TestEnv env;
    ScriptedPrompts prompts;
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, QStringLiteral("K"), QStringLiteral("small"),
                        QStringLiteral("1"), prompts));
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, QStringLiteral("K"), QStringLiteral("big"),
                        QString(32767, QLatin1Char('b')), prompts));
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, QStringLiteral("K"), QStringLiteral("after"),
                        QStringLiteral("2"), prompts));
    RecordingGrid grid;
    ListValues(HKEY_CURRENT_USER, QStringLiteral("K"), &grid, prompts);
    QCOMPARE(grid.rows, QStringList{QStringLiteral("small\t1")});
    QCOMPARE(prompts.boxes.size(), 1);
    QCOMPARE(prompts.boxes[0].text, QStringLiteral("ERROR_MORE_DATA"));
}

void TestRegModule::resultMessages_data()
{
    QTest::addColumn<qint32>("code");
    QTest::addColumn<QString>("text");
    QTest::addColumn<MsgIcon>("icon");
    QTest::newRow("access denied") << 5 << "ACCESS_DENIED" << MsgIcon::Critical;
    QTest::newRow("invalid parameter") << 87 << "Invalid Parameter" << MsgIcon::None;
    QTest::newRow("more data") << 234 << "ERROR_MORE_DATA" << MsgIcon::None;
    QTest::newRow("no more items") << 259 << "NO_MORE_ITEMS" << MsgIcon::Information;
    QTest::newRow("file not found") << 2 << "Unknown Error 2" << MsgIcon::Information;
    QTest::newRow("registry i/o") << 1016 << "Unknown Error 1016" << MsgIcon::Information;
}

void TestRegModule::resultMessages()
{
    QFETCH(qint32, code);
    QFETCH(QString, text);
    QFETCH(MsgIcon, icon);
    ScriptedPrompts prompts;
    RegistryResultMessage(code, prompts);
    QCOMPARE(prompts.boxes.size(), 1);
    QCOMPARE(prompts.boxes[0].text, text);
    QCOMPARE(prompts.boxes[0].icon, icon);
    QCOMPARE(prompts.boxes[0].buttons, MsgButtons::OkOnly);
    QCOMPARE(prompts.boxes[0].title, QStringLiteral("Almarik"));
}

QTEST_APPLESS_MAIN(TestRegModule)
#include "tst_regmodule.moc"
