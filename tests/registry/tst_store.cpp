// The registry store: Windows result codes, names without regard to case,
// enumeration orders, the file form, persistence and damaged files.

#include "RegTestSupport.h"
#include "support/ScriptedPrompts.h"
#include "support/TestEnv.h"

#include <QTest>

namespace {

qint32 setText(RegistryStore &reg, qint32 root, const QString &path, const QString &name,
               const QString &text)
{
    RegKey key;
    const qint32 rc = reg.RegCreateKeyEx(root, path, KEY_ALL_ACCESS, key);
    return rc ? rc : reg.RegSetValueEx(key, name, REG_SZ, text, quint32(text.size()) + 1);
}

// The text read with a buffer of the given size, or "#" + the result code
// (and the length asked for, after ERROR_MORE_DATA).
QString query(RegistryStore &reg, qint32 root, const QString &path, const QString &name,
              quint32 buffer = 1000)
{
    RegKey key;
    QString data;
    quint32 type = 0;
    qint32 rc = reg.RegOpenKeyEx(root, path, KEY_QUERY_VALUE, key);
    if (rc == ERROR_SUCCESS)
        rc = reg.RegQueryValueEx(key, name, type, data, buffer);
    if (rc == ERROR_MORE_DATA)
        return QStringLiteral("#234 %1").arg(buffer);
    return rc ? QStringLiteral("#%1").arg(rc) : data.left(buffer - 1);
}

// Opens path with access and runs operation on the key; the open's code
// when it fails.
template <typename F>
qint32 withKey(RegistryStore &reg, qint32 root, const QString &path, quint32 access, F operation)
{
    RegKey key;
    const qint32 rc = reg.RegOpenKeyEx(root, path, access, key);
    return rc ? rc : operation(key);
}

// Subkey number index of path with a name buffer of the given size.
qint32 enumKey(RegistryStore &reg, const QString &path, quint32 access, quint32 index,
               quint32 nameLength = 100)
{
    return withKey(reg, HKEY_CURRENT_USER, path, access, [&](RegKey &key) {
        QString name, cls;
        quint32 classLength = 0;
        return reg.RegEnumKeyEx(key, index, name, nameLength, cls, classLength);
    });
}

// Value number index of path with a data buffer of the given size.
qint32 enumValue(RegistryStore &reg, const QString &path, quint32 index, quint32 dataLength)
{
    return withKey(reg, HKEY_CURRENT_USER, path, KEY_QUERY_VALUE, [&](RegKey &key) {
        QString name, data;
        quint32 nameLength = 100, type = 0;
        return reg.RegEnumValue(key, index, name, nameLength, type, data, dataLength);
    });
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

// A store file: the header, then body.
QByteArray regFile(const char *body)
{
    return QByteArray("Windows Registry Editor Version 5.00\n") + body;
}

} // namespace

class TestRegistryStore : public QObject
{
    Q_OBJECT
private slots:
    void locationsFollowTheEnvironment();
    void resultCodes();
    void namesIgnoreCaseAndEnumerationOrders();
    void fileForm();
    void fileFormRoundTrip_data();
    void fileFormRoundTrip();
    void regeditExportIsRead();
    void persistsAcrossStores();
    void damagedFileKeptAside_data();
    void damagedFileKeptAside();
};

void TestRegistryStore::locationsFollowTheEnvironment()
{
    TestEnv env;
    QCOMPARE(RegistryStore::fileFor(HKEY_CURRENT_USER),
             env.path(QStringLiteral("config/Almarik2/registry/HKEY_CURRENT_USER.reg")));
    QCOMPARE(RegistryStore::fileFor(HKEY_LOCAL_MACHINE),
             env.path(QStringLiteral("xdg/Almarik2/registry/HKEY_LOCAL_MACHINE.reg")));
    QCOMPARE(RegistryStore::fileFor(5), QString());
    qputenv("XDG_CONFIG_DIRS", "relative:" + env.path(QStringLiteral("second")).toUtf8() + ":/x");
    QCOMPARE(RegistryStore::machineFolder(), env.path(QStringLiteral("second/Almarik2/registry")));
}

void TestRegistryStore::resultCodes()
{
    TestEnv env;
    ScriptedPrompts prompts;
    const qint32 user = HKEY_CURRENT_USER, machine = HKEY_LOCAL_MACHINE;
    writeStoreFile(user, regFile("[HKEY_CURRENT_USER\\K\\Sub]\n"
                                 "[HKEY_CURRENT_USER\\K]\n\"v\"=\"abcd\"\n\"w\"=\"1\"\n"));
    writeStoreFile(machine, regFile("[HKEY_LOCAL_MACHINE\\K\\Sub]\n"
                                    "[HKEY_LOCAL_MACHINE\\K]\n\"v\"=\"abcd\"\n"));
    const QByteArray machineFile = readStoreFile(machine);
    ReadOnlyRoot readOnly(" hkey_local_machine ,OTHER");
    RegistryStore reg;
    RegKey key;
    auto deleteValue = [&](RegKey &k) { return reg.RegDeleteValue(k, "W"); };
    auto writeValue = [&](RegKey &k) { return reg.RegSetValueEx(k, "v", REG_SZ, "t", 2); };
    auto writeBinary = [&](RegKey &k) { return reg.RegSetValueEx(k, "v", REG_BINARY, "t", 2); };

    // 2: not found.
    QCOMPARE(reg.RegOpenKeyEx(user, "Nowhere", KEY_QUERY_VALUE, key), ERROR_FILE_NOT_FOUND);
    QCOMPARE(query(reg, user, "K", "missing"), QStringLiteral("#2"));
    QCOMPARE(withKey(reg, user, "K", KEY_ALL_ACCESS, deleteValue), ERROR_SUCCESS);
    QCOMPARE(withKey(reg, user, "K", KEY_ALL_ACCESS, deleteValue), ERROR_FILE_NOT_FOUND);
    // 5: writing, creating or opening for all access where the file may not
    // be written, and using a key for more than it was opened for.
    QCOMPARE(reg.RegCreateKeyEx(machine, "New", KEY_QUERY_VALUE, key), ERROR_ACCESS_DENIED);
    QCOMPARE(reg.RegCreateKeyEx(machine, "K", KEY_ALL_ACCESS, key), ERROR_ACCESS_DENIED);
    QCOMPARE(reg.RegOpenKeyEx(machine, "K", KEY_ALL_ACCESS, key), ERROR_ACCESS_DENIED);
    QCOMPARE(query(reg, machine, "k\\", "V"), QStringLiteral("abcd"));
    QCOMPARE(withKey(reg, user, "K", KEY_QUERY_VALUE, writeValue), ERROR_ACCESS_DENIED);
    QCOMPARE(enumKey(reg, "K", KEY_QUERY_VALUE, 0), ERROR_ACCESS_DENIED);
    // 6: a root that is none, a closed key.
    QCOMPARE(reg.RegCreateKeyEx(12345, "K", KEY_ALL_ACCESS, key), ERROR_INVALID_HANDLE);
    QCOMPARE(reg.RegOpenKeyEx(user, "K", KEY_ALL_ACCESS, key), ERROR_SUCCESS);
    QCOMPARE(reg.RegCloseKey(key), ERROR_SUCCESS);
    QCOMPARE(writeValue(key), ERROR_INVALID_HANDLE);
    QCOMPARE(reg.RegCloseKey(key), ERROR_INVALID_HANDLE);
    // 87: paths, names and types the store cannot hold.
    for (const QString &path : {QStringLiteral("A\\\\B"), QStringLiteral("\\A"),
                                QStringLiteral("\\"), QString(256, QLatin1Char('n'))})
        QCOMPARE(reg.RegCreateKeyEx(user, path, KEY_ALL_ACCESS, key), ERROR_INVALID_PARAMETER);
    QCOMPARE(reg.RegCreateKeyEx(user, QString(255, QLatin1Char('n')), KEY_ALL_ACCESS, key),
             ERROR_SUCCESS);
    QCOMPARE(setText(reg, user, "K", "a\nb", "t"), ERROR_INVALID_PARAMETER);
    QCOMPARE(withKey(reg, user, "K", KEY_ALL_ACCESS, writeBinary), ERROR_INVALID_PARAMETER);
    // 234: the buffer holds the text and its zero, or it is too small.
    QCOMPARE(query(reg, user, "K", "v", 5), QStringLiteral("abcd"));
    QCOMPARE(query(reg, user, "K", "v", 4), QStringLiteral("#234 5"));
    QCOMPARE(enumKey(reg, "K", KEY_ALL_ACCESS, 0, 4), ERROR_SUCCESS);
    QCOMPARE(enumKey(reg, "K", KEY_ALL_ACCESS, 0, 3), ERROR_MORE_DATA);
    QCOMPARE(enumValue(reg, "K", 0, 5), ERROR_SUCCESS);
    QCOMPARE(enumValue(reg, "K", 0, 4), ERROR_MORE_DATA);
    // 259: past the last subkey or value.
    QCOMPARE(enumKey(reg, "K", KEY_ALL_ACCESS, 1), ERROR_NO_MORE_ITEMS);
    QCOMPARE(enumValue(reg, "K", 1, 100), ERROR_NO_MORE_ITEMS);

    QCOMPARE(readStoreFile(machine), machineFile);
    QVERIFY(prompts.boxes.isEmpty());
}

void TestRegistryStore::namesIgnoreCaseAndEnumerationOrders()
{
    TestEnv env;
    ScriptedPrompts prompts;
    RegistryStore reg;
    // Subkeys in name order whatever the case, values in the order first
    // written; a rewrite under another spelling keeps the first spelling
    // and the place.
    for (const char *k : {"delta", "Bravo", "alpha", "Charlie"})
        QCOMPARE(setText(reg, HKEY_CURRENT_USER, "Top\\" + QLatin1String(k), "x", "1"), 0);
    for (const char *v : {"zulu", "Yankee", "", "xray"})
        QCOMPARE(setText(reg, HKEY_CURRENT_USER, "Top", v, QString::fromLatin1(v).toUpper()), 0);
    QCOMPARE(setText(reg, HKEY_CURRENT_USER, "tOP\\ALPHA", "X", "2"), 0);
    QCOMPARE(setText(reg, HKEY_CURRENT_USER, "TOP", "ZULU", "again"), 0);
    QCOMPARE(query(reg, HKEY_CURRENT_USER, "top\\alpha", "x"), QStringLiteral("2"));
    QCOMPARE(
        dump(HKEY_CURRENT_USER).join(QLatin1Char(' ')),
        QStringLiteral("Top\\ Top\\alpha\\ Top\\alpha\\|x\t2 Top\\Bravo\\ Top\\Bravo\\|x\t1 "
                       "Top\\Charlie\\ Top\\Charlie\\|x\t1 Top\\delta\\ Top\\delta\\|x\t1 "
                       "Top\\|zulu\tagain Top\\|Yankee\tYANKEE Top\\|(Default) Top\\|xray\tXRAY"));
}

void TestRegistryStore::fileForm()
{
    TestEnv env;
    RegistryStore reg;
    setText(reg, HKEY_CURRENT_USER, "Control Panel\\Desktop\\", "Wallpaper",
            "C:\\Pics\\\"sea\".bmp");
    setText(reg, HKEY_CURRENT_USER, "Control Panel", QString(), "default");
    setText(reg, HKEY_CURRENT_USER, "A\\B", "lines", "a\nb");
    setText(reg, HKEY_CURRENT_USER, QString(), "at root", "r");
    QCOMPARE(readStoreFile(HKEY_CURRENT_USER),
             regFile("\n[HKEY_CURRENT_USER]\n\"at root\"=\"r\"\n"
                     "\n[HKEY_CURRENT_USER\\A]\n"
                     "\n[HKEY_CURRENT_USER\\A\\B]\n\"lines\"=hex(1):61,00,0a,00,62,00,00,00\n"
                     "\n[HKEY_CURRENT_USER\\Control Panel]\n@=\"default\"\n"
                     "\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"
                     "\"Wallpaper\"=\"C:\\\\Pics\\\\\\\"sea\\\".bmp\"\n"));
}

void TestRegistryStore::fileFormRoundTrip_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    auto row = [](const char *tag, const QString &path, const QString &name, const QString &text) {
        QTest::newRow(tag) << path << name << text;
    };
    row("quotes and backslashes", "K", "say \"hi\"\\", "\\\\server\\\"share\"\\");
    row("line breaks", "K", "v", "one\r\ntwo\n");
    row("zero inside", "K", "v", QStringLiteral("a") + QChar(0) + "b");
    row("accents and symbols", "Grüße", "Grüße", "€ ÆØÅ 日本");
    row("long text in hex lines", "K", "v", QString(60, QLatin1Char('\n')));
    row("spaces at the ends", " K ", " padded ", "  text  ");
    row("brackets, equals, semicolon", "A]\\[B]", "a=b;c", "=;[x]");
    row("empty text", "K", "empty", "");
}

void TestRegistryStore::fileFormRoundTrip()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QFETCH(QString, text);
    TestEnv env;
    ScriptedPrompts prompts; // a file that did not read back would show a box
    {
        RegistryStore writer;
        QCOMPARE(setText(writer, HKEY_CURRENT_USER, path, name, text), ERROR_SUCCESS);
    }
    RegistryStore reg;
    QCOMPARE(query(reg, HKEY_CURRENT_USER, path, name), text);
    QVERIFY(prompts.boxes.isEmpty());
}

void TestRegistryStore::regeditExportIsRead()
{
    TestEnv env;
    ScriptedPrompts prompts;
    // UTF-16 with its byte order mark, as regedit exports, with the other
    // value types (returned byte by byte) and a continued hex line.
    const QString text = QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n; comment\r\n"
                                        "[HKEY_LOCAL_MACHINE\\Run]\r\n"
                                        "\"Count\"=dword:0000002a\r\n"
                                        "\"Blob\"=hex:41,42,\\\r\n  43\r\n"
                                        "\"Path\"=hex(2):25,00,41,00,25,00,00,00\r\n"
                                        "@=\"tool.exe\"\r\n");
    QByteArray raw("\xFF\xFE");
    raw.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    writeStoreFile(HKEY_LOCAL_MACHINE, raw);
    RegistryStore reg;
    QCOMPARE(query(reg, HKEY_LOCAL_MACHINE, "Run", "Count", 5), QString::fromLatin1("\x2a\0\0", 3));
    QCOMPARE(query(reg, HKEY_LOCAL_MACHINE, "Run", "Blob"), QStringLiteral("AB"));
    QCOMPARE(query(reg, HKEY_LOCAL_MACHINE, "Run", "Path"), QStringLiteral("%A%"));
    // Written again (in UTF-8), every type stays what it was.
    QCOMPARE(setText(reg, HKEY_LOCAL_MACHINE, "Run", "New", "n"), ERROR_SUCCESS);
    QCOMPARE(readStoreFile(HKEY_LOCAL_MACHINE),
             regFile("\n[HKEY_LOCAL_MACHINE\\Run]\n\"Count\"=dword:0000002a\n"
                     "\"Blob\"=hex:41,42,43\n\"Path\"=hex(2):25,00,41,00,25,00,00,00\n"
                     "@=\"tool.exe\"\n\"New\"=\"n\"\n"));
    QVERIFY(prompts.boxes.isEmpty());
}

void TestRegistryStore::persistsAcrossStores()
{
    TestEnv env;
    ScriptedPrompts prompts;
    RegistryStore first;
    RegistryStore second;
    QCOMPARE(query(second, HKEY_CURRENT_USER, "K", "v"), QStringLiteral("#2"));
    QVERIFY(
        !QFileInfo::exists(RegistryStore::fileFor(HKEY_CURRENT_USER))); // reading writes nothing
    // A key made by a create alone is kept too.
    RegKey key;
    QCOMPARE(first.RegCreateKeyEx(HKEY_CURRENT_USER, "Empty", KEY_QUERY_VALUE, key), ERROR_SUCCESS);
    QCOMPARE(setText(first, HKEY_CURRENT_USER, "K", "v", "1"), ERROR_SUCCESS);
    // The other store reads the change, and its own write keeps it.
    QCOMPARE(query(second, HKEY_CURRENT_USER, "K", "v"), QStringLiteral("1"));
    QCOMPARE(setText(second, HKEY_CURRENT_USER, "K", "w", "2"), ERROR_SUCCESS);
    QCOMPARE(dump(HKEY_CURRENT_USER), (QStringList{"Empty\\", "K\\", "K\\|v\t1", "K\\|w\t2"}));
    // Written atomically: no temporary file is left beside the store.
    QCOMPARE(filesIn(RegistryStore::userFolder()), QStringList{"HKEY_CURRENT_USER.reg"});
    // A change made to the file by hand is read too.
    writeStoreFile(HKEY_CURRENT_USER, "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"v\"=\"by hand\"\n");
    QCOMPARE(query(first, HKEY_CURRENT_USER, "K", "v"), QStringLiteral("by hand"));
}

void TestRegistryStore::damagedFileKeptAside_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("no header") << QByteArray("[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"1\"\n") << false;
    QTest::newRow("value outside a key") << regFile("\"v\"=\"1\"\n") << false;
    QTest::newRow("another root") << regFile("[HKEY_CURRENT_USER\\A]\n") << false;
    QTest::newRow("unfinished text") << regFile("[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"1\n") << false;
    QTest::newRow("unknown escape") << regFile("[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"\\n\"\n") << false;
    QTest::newRow("bad hex") << regFile("[HKEY_LOCAL_MACHINE\\A]\n\"v\"=hex:1g\n") << false;
    QTest::newRow("not UTF-8") << regFile("\xff\xfe\xfd") << false;
    QTest::newRow("key deletion") << regFile("[-HKEY_LOCAL_MACHINE\\A]\n") << false;
    QTest::newRow("read-only root: left in place") << QByteArray("garbage") << true;
}

void TestRegistryStore::damagedFileKeptAside()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, readOnly);
    TestEnv env;
    ScriptedPrompts prompts;
    writeStoreFile(HKEY_LOCAL_MACHINE, content);
    ReadOnlyRoot roots(readOnly ? "HKEY_LOCAL_MACHINE" : "");
    const QString path = RegistryStore::fileFor(HKEY_LOCAL_MACHINE);
    const QString aside = path + QStringLiteral(".damaged");
    RegistryStore reg;
    QCOMPARE(query(reg, HKEY_LOCAL_MACHINE, "A", "v"), QStringLiteral("#2"));
    // Told once; later calls carry on with an empty root.
    QCOMPARE(setText(reg, HKEY_LOCAL_MACHINE, "A", "v", "new"),
             readOnly ? ERROR_ACCESS_DENIED : ERROR_SUCCESS);
    QCOMPARE(query(reg, HKEY_LOCAL_MACHINE, "A", "v"),
             readOnly ? QStringLiteral("#2") : QStringLiteral("new"));
    QCOMPARE(prompts.boxes.size(), 1);
    QCOMPARE(prompts.boxes[0].icon, MsgIcon::Exclamation);
    const QString told =
        QStringLiteral("The registry file ") + path + QStringLiteral(" could not be read (");
    QVERIFY2(prompts.boxes[0].text.startsWith(told), qPrintable(prompts.boxes[0].text));
    if (readOnly) {
        QVERIFY(prompts.boxes[0].text.endsWith(
            ").\r\nIt is left as it is and nothing will be written to it."));
        QCOMPARE(readStoreFile(HKEY_LOCAL_MACHINE), content);
        QCOMPARE(filesIn(RegistryStore::machineFolder()), QStringList{"HKEY_LOCAL_MACHINE.reg"});
        return;
    }
    QVERIFY(prompts.boxes[0].text.endsWith(").\r\nIt has been kept as " + aside +
                                           " and a new one is started."));
    QFile kept(aside);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), content);
    // A second damaged file does not overwrite the first one kept.
    writeStoreFile(HKEY_LOCAL_MACHINE, "garbage");
    QCOMPARE(query(reg, HKEY_LOCAL_MACHINE, "A", "v"), QStringLiteral("#2"));
    QCOMPARE(prompts.boxes.size(), 2);
    QVERIFY(QFileInfo::exists(path + QStringLiteral(".2.damaged")));
    QVERIFY(kept.seek(0));
    QCOMPARE(kept.readAll(), content);
}

QTEST_APPLESS_MAIN(TestRegistryStore)
#include "tst_store.moc"
