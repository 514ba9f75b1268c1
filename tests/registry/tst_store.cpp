// The registry store: Windows result codes, names without regard to case,
// enumeration orders, the file form, persistence, damaged files and
// read-only roots.

#include "RegTestSupport.h"
#include "support/ScriptedPrompts.h"
#include "support/TestEnv.h"

#include <QTest>

namespace {

qint32 setText(RegistryStore &reg, qint32 root, const QString &path, const QString &name,
               const QString &text)
{
    RegKey key;
    qint32 rc = reg.RegCreateKeyEx(root, path, KEY_ALL_ACCESS, key);
    if (rc != ERROR_SUCCESS)
        return rc;
    rc = reg.RegSetValueEx(key, name, REG_SZ, text, quint32(text.size()) + 1);
    reg.RegCloseKey(key);
    return rc;
}

// The value's text, or "#" + result code.
QString getText(RegistryStore &reg, qint32 root, const QString &path, const QString &name,
                quint32 buffer = 1000)
{
    RegKey key;
    qint32 rc = reg.RegOpenKeyEx(root, path, KEY_QUERY_VALUE, key);
    if (rc != ERROR_SUCCESS)
        return QStringLiteral("#%1").arg(rc);
    QString data;
    quint32 type = 0;
    rc = reg.RegQueryValueEx(key, name, type, data, buffer);
    reg.RegCloseKey(key);
    if (rc != ERROR_SUCCESS)
        return QStringLiteral("#%1").arg(rc);
    return data.left(buffer - 1);
}

QStringList subKeys(RegistryStore &reg, qint32 root, const QString &path)
{
    QStringList names;
    RegKey key;
    if (reg.RegOpenKeyEx(root, path, KEY_ENUMERATE_SUB_KEYS, key) != ERROR_SUCCESS)
        return {QStringLiteral("#open")};
    for (quint32 i = 0;; ++i) {
        QString name, cls;
        quint32 nameLength = 300, classLength = 300;
        const qint32 rc = reg.RegEnumKeyEx(key, i, name, nameLength, cls, classLength);
        if (rc != ERROR_SUCCESS) {
            if (rc != ERROR_NO_MORE_ITEMS)
                names << QStringLiteral("#%1").arg(rc);
            break;
        }
        names << name.left(nameLength);
    }
    reg.RegCloseKey(key);
    return names;
}

QStringList valueNames(RegistryStore &reg, qint32 root, const QString &path)
{
    QStringList names;
    RegKey key;
    if (reg.RegOpenKeyEx(root, path, KEY_QUERY_VALUE, key) != ERROR_SUCCESS)
        return {QStringLiteral("#open")};
    for (quint32 i = 0;; ++i) {
        QString name, data;
        quint32 nameLength = 300, dataLength = 300, type = 0;
        const qint32 rc = reg.RegEnumValue(key, i, name, nameLength, type, data, dataLength);
        if (rc != ERROR_SUCCESS) {
            if (rc != ERROR_NO_MORE_ITEMS)
                names << QStringLiteral("#%1").arg(rc);
            break;
        }
        names << name.left(nameLength) + QLatin1Char('=') + data.left(dataLength - 1);
    }
    reg.RegCloseKey(key);
    return names;
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace

class TestRegistryStore : public QObject
{
    Q_OBJECT
private slots:
    void locationsFollowTheEnvironment();
    void missingKeyAndValue();
    void createMakesEveryKeyAlongThePath();
    void queryBuffer_data();
    void queryBuffer();
    void namesIgnoreCase();
    void enumerationOrders();
    void paths_data();
    void paths();
    void handles();
    void deleteValue();
    void fileForm();
    void fileFormRoundTrip_data();
    void fileFormRoundTrip();
    void handWrittenFile();
    void persistsAcrossStores();
    void damagedFileKeptAside_data();
    void damagedFileKeptAside();
    void damagedReadOnlyFileLeftAlone();
    void atomicWriteLeavesNoTempFiles();
    void readOnlyRoot();
    void enumerationBuffers();
};

void TestRegistryStore::locationsFollowTheEnvironment()
{
    TestEnv env;
    QCOMPARE(RegistryStore::fileFor(HKEY_CURRENT_USER),
             env.path(QStringLiteral("config/Almarik2/registry/HKEY_CURRENT_USER.reg")));
    QCOMPARE(RegistryStore::fileFor(HKEY_LOCAL_MACHINE),
             env.path(QStringLiteral("xdg/Almarik2/registry/HKEY_LOCAL_MACHINE.reg")));
    QCOMPARE(RegistryStore::fileFor(5), QString());
    QCOMPARE(HKEY_CURRENT_USER, -2147483647);
    QCOMPARE(HKEY_LOCAL_MACHINE, -2147483646);
    qputenv("XDG_CONFIG_DIRS", "relative:" + env.path(QStringLiteral("second")).toUtf8() + ":/x");
    QCOMPARE(RegistryStore::machineFolder(), env.path(QStringLiteral("second/Almarik2/registry")));
}

void TestRegistryStore::missingKeyAndValue()
{
    TestEnv env;
    RegistryStore reg;
    RegKey key;
    QCOMPARE(reg.RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("Nowhere"), KEY_QUERY_VALUE, key),
             ERROR_FILE_NOT_FOUND);
    QVERIFY(!key.open);
    QCOMPARE(getText(reg, HKEY_CURRENT_USER, QString(), QStringLiteral("x")), QStringLiteral("#2"));
    QVERIFY(
        !QFileInfo::exists(RegistryStore::fileFor(HKEY_CURRENT_USER))); // reading writes nothing
}

void TestRegistryStore::createMakesEveryKeyAlongThePath()
{
    TestEnv env;
    RegistryStore reg;
    QCOMPARE(setText(reg, HKEY_CURRENT_USER, QStringLiteral("A\\B\\C\\"), QStringLiteral("v"),
                     QStringLiteral("1")),
             ERROR_SUCCESS);
    QCOMPARE(subKeys(reg, HKEY_CURRENT_USER, QString()), QStringList{QStringLiteral("A")});
    QCOMPARE(subKeys(reg, HKEY_CURRENT_USER, QStringLiteral("A")),
             QStringList{QStringLiteral("B")});
    QCOMPARE(getText(reg, HKEY_CURRENT_USER, QStringLiteral("A\\B\\C"), QStringLiteral("v")),
             QStringLiteral("1"));
    // An empty key made by a create alone survives in the file.
    RegKey key;
    QCOMPARE(
        reg.RegCreateKeyEx(HKEY_CURRENT_USER, QStringLiteral("Empty\\Leaf"), KEY_ALL_ACCESS, key),
        ERROR_SUCCESS);
    reg.RegCloseKey(key);
    RegistryStore other;
    QCOMPARE(
        other.RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("Empty\\Leaf"), KEY_QUERY_VALUE, key),
        ERROR_SUCCESS);
}

void TestRegistryStore::queryBuffer_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<quint32>("buffer");
    QTest::addColumn<qint32>("rc");
    QTest::addColumn<quint32>("reported");
    QTest::newRow("254 characters fit 255") << 254 << 255u << ERROR_SUCCESS << 255u;
    QTest::newRow("255 characters need 256") << 255 << 255u << ERROR_MORE_DATA << 256u;
    QTest::newRow("empty text is its zero") << 0 << 255u << ERROR_SUCCESS << 1u;
    QTest::newRow("one character, no room for zero") << 1 << 1u << ERROR_MORE_DATA << 2u;
}

void TestRegistryStore::queryBuffer()
{
    QFETCH(int, length);
    QFETCH(quint32, buffer);
    QFETCH(qint32, rc);
    QFETCH(quint32, reported);
    TestEnv env;
    RegistryStore reg;
    const QString text(length, QLatin1Char('w'));
    QCOMPARE(setText(reg, HKEY_CURRENT_USER, QStringLiteral("K"), QStringLiteral("v"), text),
             ERROR_SUCCESS);
    RegKey key;
    QCOMPARE(reg.RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("K"), KEY_QUERY_VALUE, key),
             ERROR_SUCCESS);
    QString data = QStringLiteral("untouched");
    quint32 type = 0;
    quint32 size = buffer;
    QCOMPARE(reg.RegQueryValueEx(key, QStringLiteral("v"), type, data, size), rc);
    QCOMPARE(size, reported);
    QCOMPARE(type, REG_SZ);
    if (rc == ERROR_SUCCESS)
        QCOMPARE(data, text + QChar(0));
    else
        QCOMPARE(data, QStringLiteral("untouched"));
}

void TestRegistryStore::namesIgnoreCase()
{
    TestEnv env;
    RegistryStore reg;
    QCOMPARE(setText(reg, HKEY_CURRENT_USER, QStringLiteral("Software\\Almarik"),
                     QStringLiteral("Wallpaper"), QStringLiteral("one")),
             ERROR_SUCCESS);
    QCOMPARE(getText(reg, HKEY_CURRENT_USER, QStringLiteral("SOFTWARE\\almarik"),
                     QStringLiteral("WALLPAPER")),
             QStringLiteral("one"));
    QCOMPARE(setText(reg, HKEY_CURRENT_USER, QStringLiteral("software\\ALMARIK"),
                     QStringLiteral("wallpaper"), QStringLiteral("two")),
             ERROR_SUCCESS);
    // One key and one value, with the first spelling kept.
    QCOMPARE(subKeys(reg, HKEY_CURRENT_USER, QString()), QStringList{QStringLiteral("Software")});
    QCOMPARE(subKeys(reg, HKEY_CURRENT_USER, QStringLiteral("software")),
             QStringList{QStringLiteral("Almarik")});
    QCOMPARE(valueNames(reg, HKEY_CURRENT_USER, QStringLiteral("Software\\Almarik")),
             QStringList{QStringLiteral("Wallpaper=two")});
}

void TestRegistryStore::enumerationOrders()
{
    TestEnv env;
    RegistryStore reg;
    for (const char *k : {"delta", "Bravo", "alpha", "Charlie"})
        QCOMPARE(setText(reg, HKEY_CURRENT_USER, QStringLiteral("Top\\") + QLatin1String(k),
                         QStringLiteral("x"), QStringLiteral("1")),
                 ERROR_SUCCESS);
    for (const char *v : {"zulu", "Yankee", "", "xray"})
        QCOMPARE(setText(reg, HKEY_CURRENT_USER, QStringLiteral("Top"), QLatin1String(v),
                         QLatin1String(v).toString().toUpper()),
                 ERROR_SUCCESS);
    // Rewriting a value keeps its place.
    QCOMPARE(setText(reg, HKEY_CURRENT_USER, QStringLiteral("Top"), QStringLiteral("ZULU"),
                     QStringLiteral("again")),
             ERROR_SUCCESS);
    QCOMPARE(subKeys(reg, HKEY_CURRENT_USER, QStringLiteral("Top")),
             (QStringList{QStringLiteral("alpha"), QStringLiteral("Bravo"),
                          QStringLiteral("Charlie"), QStringLiteral("delta")}));
    QCOMPARE(valueNames(reg, HKEY_CURRENT_USER, QStringLiteral("Top")),
             (QStringList{QStringLiteral("zulu=again"), QStringLiteral("Yankee=YANKEE"),
                          QStringLiteral("="), QStringLiteral("xray=XRAY")}));
    // The same orders come back from the file.
    RegistryStore other;
    QCOMPARE(valueNames(other, HKEY_CURRENT_USER, QStringLiteral("Top")),
             valueNames(reg, HKEY_CURRENT_USER, QStringLiteral("Top")));
}

void TestRegistryStore::paths_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<qint32>("rc");
    QTest::newRow("trailing backslash") << "A\\B\\" << ERROR_SUCCESS;
    QTest::newRow("no trailing backslash") << "A\\B" << ERROR_SUCCESS;
    QTest::newRow("the root itself") << "" << ERROR_SUCCESS;
    QTest::newRow("leading backslash") << "\\A" << ERROR_INVALID_PARAMETER;
    QTest::newRow("empty name inside") << "A\\\\B" << ERROR_INVALID_PARAMETER;
    QTest::newRow("backslash alone") << "\\" << ERROR_INVALID_PARAMETER;
    QTest::newRow("line break in a name") << "A\nB" << ERROR_INVALID_PARAMETER;
    QTest::newRow("name of 256 characters")
        << QString(256, QLatin1Char('n')) << ERROR_INVALID_PARAMETER;
    QTest::newRow("name of 255 characters") << QString(255, QLatin1Char('n')) << ERROR_SUCCESS;
    QTest::newRow("brackets in a name") << "A]\\[B]" << ERROR_SUCCESS;
}

void TestRegistryStore::paths()
{
    QFETCH(QString, path);
    QFETCH(qint32, rc);
    TestEnv env;
    RegistryStore reg;
    RegKey key;
    QCOMPARE(reg.RegCreateKeyEx(HKEY_CURRENT_USER, path, KEY_ALL_ACCESS, key), rc);
    QCOMPARE(key.open, rc == ERROR_SUCCESS);
    if (rc == ERROR_SUCCESS) {
        QCOMPARE(reg.RegSetValueEx(key, QStringLiteral("v"), REG_SZ, QStringLiteral("t"), 2),
                 ERROR_SUCCESS);
        RegistryStore other; // read back from the file
        QCOMPARE(getText(other, HKEY_CURRENT_USER, path, QStringLiteral("v")), QStringLiteral("t"));
    }
}

void TestRegistryStore::handles()
{
    TestEnv env;
    RegistryStore reg;
    RegKey key;
    QCOMPARE(reg.RegCreateKeyEx(12345, QStringLiteral("A"), KEY_ALL_ACCESS, key),
             ERROR_INVALID_HANDLE);
    QCOMPARE(reg.RegOpenKeyEx(0, QString(), KEY_QUERY_VALUE, key), ERROR_INVALID_HANDLE);
    QString data;
    quint32 type = 0, length = 10;
    QCOMPARE(reg.RegQueryValueEx(key, QStringLiteral("v"), type, data, length),
             ERROR_INVALID_HANDLE);
    QCOMPARE(reg.RegSetValueEx(key, QStringLiteral("v"), REG_SZ, QStringLiteral("t"), 2),
             ERROR_INVALID_HANDLE);
    QCOMPARE(reg.RegCloseKey(key), ERROR_INVALID_HANDLE);

    QCOMPARE(reg.RegCreateKeyEx(HKEY_CURRENT_USER, QStringLiteral("A"), KEY_QUERY_VALUE, key),
             ERROR_SUCCESS);
    // A key opened to read may not write, nor list subkeys.
    QCOMPARE(reg.RegSetValueEx(key, QStringLiteral("v"), REG_SZ, QStringLiteral("t"), 2),
             ERROR_ACCESS_DENIED);
    QString name, cls;
    quint32 nameLength = 10, classLength = 10;
    QCOMPARE(reg.RegEnumKeyEx(key, 0, name, nameLength, cls, classLength), ERROR_ACCESS_DENIED);
    QCOMPARE(reg.RegCloseKey(key), ERROR_SUCCESS);
    QCOMPARE(reg.RegCloseKey(key), ERROR_INVALID_HANDLE);

    QCOMPARE(reg.RegCreateKeyEx(HKEY_CURRENT_USER, QStringLiteral("A"), KEY_ALL_ACCESS, key),
             ERROR_SUCCESS);
    QCOMPARE(reg.RegSetValueEx(key, QStringLiteral("v"), REG_BINARY, QStringLiteral("t"), 2),
             ERROR_INVALID_PARAMETER);
    QCOMPARE(reg.RegSetValueEx(key, QStringLiteral("a\nb"), REG_SZ, QStringLiteral("t"), 2),
             ERROR_INVALID_PARAMETER);
}

void TestRegistryStore::deleteValue()
{
    TestEnv env;
    RegistryStore reg;
    QCOMPARE(setText(reg, HKEY_CURRENT_USER, QStringLiteral("K"), QStringLiteral("a"),
                     QStringLiteral("1")),
             ERROR_SUCCESS);
    QCOMPARE(setText(reg, HKEY_CURRENT_USER, QStringLiteral("K"), QStringLiteral("b"),
                     QStringLiteral("2")),
             ERROR_SUCCESS);
    RegKey key;
    QCOMPARE(reg.RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("K"), KEY_ALL_ACCESS, key),
             ERROR_SUCCESS);
    QCOMPARE(reg.RegDeleteValue(key, QStringLiteral("A")), ERROR_SUCCESS);
    QCOMPARE(reg.RegDeleteValue(key, QStringLiteral("a")), ERROR_FILE_NOT_FOUND);
    reg.RegCloseKey(key);
    RegistryStore other;
    QCOMPARE(valueNames(other, HKEY_CURRENT_USER, QStringLiteral("K")),
             QStringList{QStringLiteral("b=2")});
}

void TestRegistryStore::fileForm()
{
    TestEnv env;
    RegistryStore reg;
    setText(reg, HKEY_CURRENT_USER, QStringLiteral("Control Panel\\Desktop\\"),
            QStringLiteral("Wallpaper"), QStringLiteral("C:\\Pics\\\"sea\".bmp"));
    setText(reg, HKEY_CURRENT_USER, QStringLiteral("Control Panel"), QString(),
            QStringLiteral("default"));
    // A line break cannot be held in a value name.
    QCOMPARE(setText(reg, HKEY_CURRENT_USER, QStringLiteral("A\\B"), QStringLiteral("two\nlines"),
                     QStringLiteral("x")),
             ERROR_INVALID_PARAMETER);
    setText(reg, HKEY_CURRENT_USER, QStringLiteral("A\\B"), QStringLiteral("lines"),
            QStringLiteral("a\nb"));
    setText(reg, HKEY_CURRENT_USER, QString(), QStringLiteral("at root"), QStringLiteral("r"));
    QCOMPARE(readStoreFile(HKEY_CURRENT_USER),
             QByteArray("Windows Registry Editor Version 5.00\n"
                        "\n"
                        "[HKEY_CURRENT_USER]\n"
                        "\"at root\"=\"r\"\n"
                        "\n"
                        "[HKEY_CURRENT_USER\\A]\n"
                        "\n"
                        "[HKEY_CURRENT_USER\\A\\B]\n"
                        "\"lines\"=hex(1):61,00,0a,00,62,00,00,00\n"
                        "\n"
                        "[HKEY_CURRENT_USER\\Control Panel]\n"
                        "@=\"default\"\n"
                        "\n"
                        "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"
                        "\"Wallpaper\"=\"C:\\\\Pics\\\\\\\"sea\\\".bmp\"\n"));
}

void TestRegistryStore::fileFormRoundTrip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("quotes and backslashes") << "say \"hi\"\\"
                                            << "\\\\server\\\"share\"\\";
    QTest::newRow("line breaks") << "v"
                                 << "one\r\ntwo\n";
    QTest::newRow("zero inside") << "v" << QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    QTest::newRow("accents and symbols") << "Grüße"
                                         << "€ ÆØÅ 日本";
    QTest::newRow("long text in hex lines") << "v" << QString(60, QLatin1Char('\n'));
    QTest::newRow("spaces at the ends") << " padded "
                                        << "  text  ";
    QTest::newRow("equals and semicolon") << "a=b;c"
                                          << "=;[x]";
    QTest::newRow("empty text") << "empty"
                                << "";
}

void TestRegistryStore::fileFormRoundTrip()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    TestEnv env;
    {
        RegistryStore reg;
        QCOMPARE(setText(reg, HKEY_CURRENT_USER, QStringLiteral("K"), name, text), ERROR_SUCCESS);
    }
    ScriptedPrompts prompts; // a file that did not read back would show a box
    RegistryStore reg;
    QCOMPARE(getText(reg, HKEY_CURRENT_USER, QStringLiteral("K"), name), text);
    QVERIFY(prompts.boxes.isEmpty());
}

void TestRegistryStore::handWrittenFile()
{
    TestEnv env;
    ScriptedPrompts prompts;
    // UTF-16 with its byte order mark, as regedit exports, with the other
    // value types and a continued hex line.
    const QString text =
        QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                       "; a comment\r\n"
                       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
                       "\"Count\"=dword:0000002a\r\n"
                       "\"Blob\"=hex:01,02,\\\r\n  03\r\n"
                       "\"Path\"=hex(2):25,00,41,00,25,00,00,00\r\n"
                       "@=\"tool.exe\"\r\n");
    QByteArray raw("\xFF\xFE");
    for (const QChar c : text) {
        raw.append(char(c.unicode() & 0xFF));
        raw.append(char(c.unicode() >> 8));
    }
    writeStoreFile(HKEY_LOCAL_MACHINE, raw);
    RegistryStore reg;
    const QString run = QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");
    RegKey key;
    QCOMPARE(reg.RegOpenKeyEx(HKEY_LOCAL_MACHINE, run, KEY_QUERY_VALUE, key), ERROR_SUCCESS);
    QString data;
    quint32 type = 0, length = 100;
    QCOMPARE(reg.RegQueryValueEx(key, QStringLiteral("Count"), type, data, length), ERROR_SUCCESS);
    QCOMPARE(type, REG_DWORD);
    QCOMPARE(data, QString::fromLatin1("\x2a\0\0\0", 4));
    length = 100;
    QCOMPARE(reg.RegQueryValueEx(key, QStringLiteral("Blob"), type, data, length), ERROR_SUCCESS);
    QCOMPARE(type, REG_BINARY);
    QCOMPARE(data, QString::fromLatin1("\x01\x02\x03", 3));
    length = 100;
    QCOMPARE(reg.RegQueryValueEx(key, QStringLiteral("Path"), type, data, length), ERROR_SUCCESS);
    QCOMPARE(type, REG_EXPAND_SZ);
    QCOMPARE(data, QStringLiteral("%A%") + QChar(0));
    QCOMPARE(getText(reg, HKEY_LOCAL_MACHINE, run, QString()), QStringLiteral("tool.exe"));
    reg.RegCloseKey(key);

    // Written again (in UTF-8), every type stays what it was.
    QCOMPARE(setText(reg, HKEY_LOCAL_MACHINE, run, QStringLiteral("New"), QStringLiteral("n")),
             ERROR_SUCCESS);
    QCOMPARE(readStoreFile(HKEY_LOCAL_MACHINE),
             QByteArray("Windows Registry Editor Version 5.00\n\n"
                        "[HKEY_LOCAL_MACHINE\\SOFTWARE]\n\n"
                        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft]\n\n"
                        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows]\n\n"
                        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\n\n"
                        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run]\n"
                        "\"Count\"=dword:0000002a\n"
                        "\"Blob\"=hex:01,02,03\n"
                        "\"Path\"=hex(2):25,00,41,00,25,00,00,00\n"
                        "@=\"tool.exe\"\n"
                        "\"New\"=\"n\"\n"));
    QVERIFY(prompts.boxes.isEmpty());
}

void TestRegistryStore::persistsAcrossStores()
{
    TestEnv env;
    RegistryStore first;
    RegistryStore second;
    QCOMPARE(getText(second, HKEY_CURRENT_USER, QStringLiteral("K"), QStringLiteral("v")),
             QStringLiteral("#2"));
    QCOMPARE(setText(first, HKEY_CURRENT_USER, QStringLiteral("K"), QStringLiteral("v"),
                     QStringLiteral("1")),
             ERROR_SUCCESS);
    // The other store reads the change, and its own write keeps it.
    QCOMPARE(getText(second, HKEY_CURRENT_USER, QStringLiteral("K"), QStringLiteral("v")),
             QStringLiteral("1"));
    QCOMPARE(setText(second, HKEY_CURRENT_USER, QStringLiteral("K"), QStringLiteral("w"),
                     QStringLiteral("2")),
             ERROR_SUCCESS);
    QCOMPARE(valueNames(first, HKEY_CURRENT_USER, QStringLiteral("K")),
             (QStringList{QStringLiteral("v=1"), QStringLiteral("w=2")}));
    // A change made to the file by hand is read too.
    writeStoreFile(HKEY_CURRENT_USER, "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"v\"=\"by hand\"\n");
    QCOMPARE(valueNames(first, HKEY_CURRENT_USER, QStringLiteral("K")),
             QStringList{QStringLiteral("v=by hand")});
}

void TestRegistryStore::damagedFileKeptAside_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("no header") << QByteArray("[HKEY_CURRENT_USER\\A]\n\"v\"=\"1\"\n");
    QTest::newRow("value outside a key")
        << QByteArray("Windows Registry Editor Version 5.00\n\"v\"=\"1\"\n");
    QTest::newRow("another root") << QByteArray(
        "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n");
    QTest::newRow("unfinished text")
        << QByteArray("Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"1\n");
    QTest::newRow("unknown escape") << QByteArray(
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"\\n\"\n");
    QTest::newRow("bad hex") << QByteArray(
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"v\"=hex:1g\n");
    QTest::newRow("not UTF-8") << QByteArray("Windows Registry Editor Version 5.00\n\xff\xfe\xfd");
    QTest::newRow("key deletion") << QByteArray(
        "Windows Registry Editor Version 5.00\n[-HKEY_CURRENT_USER\\A]\n");
}

void TestRegistryStore::damagedFileKeptAside()
{
    QFETCH(QByteArray, content);
    TestEnv env;
    ScriptedPrompts prompts;
    writeStoreFile(HKEY_CURRENT_USER, content);
    const QString path = RegistryStore::fileFor(HKEY_CURRENT_USER);
    RegistryStore reg;
    QCOMPARE(getText(reg, HKEY_CURRENT_USER, QStringLiteral("A"), QStringLiteral("v")),
             QStringLiteral("#2"));
    QCOMPARE(prompts.boxes.size(), 1);
    QVERIFY(prompts.boxes[0].text.startsWith(QStringLiteral("The registry file ") + path +
                                             QStringLiteral(" could not be read")));
    QVERIFY(prompts.boxes[0].text.contains(path + QStringLiteral(".damaged")));
    QCOMPARE(prompts.boxes[0].icon, MsgIcon::Exclamation);
    QFile aside(path + QStringLiteral(".damaged"));
    QVERIFY(aside.open(QIODevice::ReadOnly));
    QCOMPARE(aside.readAll(), content);

    // Told once: other stores and later calls carry on with an empty root.
    RegistryStore other;
    QCOMPARE(setText(other, HKEY_CURRENT_USER, QStringLiteral("A"), QStringLiteral("v"),
                     QStringLiteral("new")),
             ERROR_SUCCESS);
    QCOMPARE(getText(reg, HKEY_CURRENT_USER, QStringLiteral("A"), QStringLiteral("v")),
             QStringLiteral("new"));
    QCOMPARE(prompts.boxes.size(), 1);

    // A second damaged file does not overwrite the first one kept.
    writeStoreFile(HKEY_CURRENT_USER, "garbage");
    QCOMPARE(getText(reg, HKEY_CURRENT_USER, QStringLiteral("A"), QStringLiteral("v")),
             QStringLiteral("#2"));
    QCOMPARE(prompts.boxes.size(), 2);
    QVERIFY(QFileInfo::exists(path + QStringLiteral(".2.damaged")));
    QVERIFY(aside.seek(0));
    QCOMPARE(aside.readAll(), content);
}

void TestRegistryStore::damagedReadOnlyFileLeftAlone()
{
    TestEnv env;
    ScriptedPrompts prompts;
    ReadOnlyRoot readOnly("HKEY_LOCAL_MACHINE");
    writeStoreFile(HKEY_LOCAL_MACHINE, "garbage");
    RegistryStore reg;
    QCOMPARE(subKeys(reg, HKEY_LOCAL_MACHINE, QString()), QStringList());
    QCOMPARE(subKeys(reg, HKEY_LOCAL_MACHINE, QString()), QStringList());
    QCOMPARE(prompts.boxes.size(), 1);
    QVERIFY(prompts.boxes[0].text.endsWith(
        QStringLiteral("It is left as it is and nothing will be written to it.")));
    QCOMPARE(readStoreFile(HKEY_LOCAL_MACHINE), QByteArray("garbage"));
    QCOMPARE(filesIn(RegistryStore::machineFolder()),
             QStringList{QStringLiteral("HKEY_LOCAL_MACHINE.reg")});
}

void TestRegistryStore::atomicWriteLeavesNoTempFiles()
{
    TestEnv env;
    RegistryStore reg;
    for (int i = 0; i < 20; ++i)
        QCOMPARE(setText(reg, HKEY_CURRENT_USER, QStringLiteral("K%1").arg(i % 3),
                         QStringLiteral("v%1").arg(i), QStringLiteral("x")),
                 ERROR_SUCCESS);
    QCOMPARE(filesIn(RegistryStore::userFolder()),
             QStringList{QStringLiteral("HKEY_CURRENT_USER.reg")});
}

void TestRegistryStore::readOnlyRoot()
{
    TestEnv env;
    writeStoreFile(HKEY_LOCAL_MACHINE, "Windows Registry Editor Version 5.00\n\n"
                                       "[HKEY_LOCAL_MACHINE\\K\\Sub]\n"
                                       "[HKEY_LOCAL_MACHINE\\K]\n\"v\"=\"1\"\n");
    ReadOnlyRoot readOnly(" hkey_local_machine ,OTHER");
    QVERIFY(!RegistryStore::mayWrite(HKEY_LOCAL_MACHINE));
    QVERIFY(RegistryStore::mayWrite(HKEY_CURRENT_USER));
    RegistryStore reg;
    RegKey key;
    QCOMPARE(reg.RegCreateKeyEx(HKEY_LOCAL_MACHINE, QStringLiteral("New"), KEY_ALL_ACCESS, key),
             ERROR_ACCESS_DENIED);
    QCOMPARE(reg.RegCreateKeyEx(HKEY_LOCAL_MACHINE, QStringLiteral("K"), KEY_ALL_ACCESS, key),
             ERROR_ACCESS_DENIED);
    QCOMPARE(reg.RegOpenKeyEx(HKEY_LOCAL_MACHINE, QStringLiteral("K"), KEY_ALL_ACCESS, key),
             ERROR_ACCESS_DENIED);
    QCOMPARE(reg.RegOpenKeyEx(HKEY_LOCAL_MACHINE, QStringLiteral("Missing"), KEY_ALL_ACCESS, key),
             ERROR_FILE_NOT_FOUND);
    // Reading and listing still work.
    QCOMPARE(reg.RegCreateKeyEx(HKEY_LOCAL_MACHINE, QStringLiteral("K"), KEY_QUERY_VALUE, key),
             ERROR_SUCCESS);
    reg.RegCloseKey(key);
    QCOMPARE(getText(reg, HKEY_LOCAL_MACHINE, QStringLiteral("K"), QStringLiteral("v")),
             QStringLiteral("1"));
    QCOMPARE(subKeys(reg, HKEY_LOCAL_MACHINE, QStringLiteral("K")),
             QStringList{QStringLiteral("Sub")});
    QCOMPARE(setText(reg, HKEY_CURRENT_USER, QStringLiteral("K"), QStringLiteral("v"),
                     QStringLiteral("1")),
             ERROR_SUCCESS);
}

void TestRegistryStore::enumerationBuffers()
{
    TestEnv env;
    RegistryStore reg;
    setText(reg, HKEY_CURRENT_USER, QStringLiteral("K\\abcd"), QStringLiteral("name"),
            QStringLiteral("data"));
    RegKey key;
    QCOMPARE(reg.RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("K"), KEY_ENUMERATE_SUB_KEYS, key),
             ERROR_SUCCESS);
    QString name, cls;
    quint32 nameLength = 4, classLength = 0;
    QCOMPARE(reg.RegEnumKeyEx(key, 0, name, nameLength, cls, classLength), ERROR_MORE_DATA);
    nameLength = 5;
    QCOMPARE(reg.RegEnumKeyEx(key, 0, name, nameLength, cls, classLength), ERROR_SUCCESS);
    QCOMPARE(name, QStringLiteral("abcd"));
    QCOMPARE(nameLength, 4u);
    QCOMPARE(reg.RegEnumKeyEx(key, 1, name, nameLength, cls, classLength), ERROR_NO_MORE_ITEMS);
    reg.RegCloseKey(key);

    QCOMPARE(reg.RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("K\\abcd"), KEY_QUERY_VALUE, key),
             ERROR_SUCCESS);
    QString data;
    quint32 type = 0, dataLength = 4;
    nameLength = 5;
    QCOMPARE(reg.RegEnumValue(key, 0, name, nameLength, type, data, dataLength), ERROR_MORE_DATA);
    QCOMPARE(dataLength, 5u);
    QCOMPARE(reg.RegEnumValue(key, 0, name, nameLength, type, data, dataLength), ERROR_SUCCESS);
    QCOMPARE(name, QStringLiteral("name"));
    QCOMPARE(data, QStringLiteral("data") + QChar(0));
    QCOMPARE(reg.RegEnumValue(key, 1, name, nameLength, type, data, dataLength),
             ERROR_NO_MORE_ITEMS);
}

QTEST_APPLESS_MAIN(TestRegistryStore)
#include "tst_store.moc"
