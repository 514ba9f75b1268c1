// SPDX-License-Identifier: GPL-3.0-or-later
// The registry store: where its files are, Windows result codes, names
// without regard to case, enumeration orders, the file form (also regedit's),
// persistence, damaged files and other writers.

#include "RegTestSupport.h"
#include "platform/RegistryTree.h"

#include <QLockFile>
#include <QProcess>
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

// A store file: the header, then body.
QByteArray regFile(const QByteArray &body)
{
    return "Windows Registry Editor Version 5.00\n" + body;
}

const QByteArray kDesktopSection = "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"
                                   "\"Wallpaper\"=\"C:\\\\sea.bmp\"\n";

} // namespace

class TestRegistryStore : public QObject
{
    Q_OBJECT
private slots:
    void locationsResultCodesAndNames();
    void fileFormRoundTrip_data();
    void fileFormRoundTrip();
    void fileRead_data();
    void fileRead();
    void otherWriters();
    void batch();
};

void TestRegistryStore::locationsResultCodesAndNames()
{
    TestEnv env;
    ScriptedPrompts prompts;
    QCOMPARE(RegistryStore::fileFor(HKEY_CURRENT_USER),
             env.path(QStringLiteral("config/Almarik2/registry/HKEY_CURRENT_USER.reg")));
    const qint32 user = HKEY_CURRENT_USER, machine = HKEY_LOCAL_MACHINE;
    // The user's file as regedit exports: UTF-16 with its byte order mark,
    // the other value types (returned byte by byte), a continued hex line.
    const QString text = QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n; comment\r\n"
                                        "[HKEY_CURRENT_USER\\K]\r\n\"v\"=\"abcd\"\r\n"
                                        "\"Count\"=dword:0000002a\r\n"
                                        "\"Blob\"=hex:41,42,\\\r\n  43\r\n"
                                        "\"Path\"=hex(2):25,00,41,00,25,00,00,00\r\n");
    writeStoreFile(user, "\xFF\xFE" + QByteArray(reinterpret_cast<const char *>(text.utf16()),
                                                 text.size() * 2));
    writeStoreFile(machine, regFile("[HKEY_LOCAL_MACHINE\\K]\n\"v\"=\"abcd\"\n"));
    const QByteArray machineFile = readStoreFile(machine);
    ReadOnlyRoot readOnly(" hkey_local_machine ,OTHER");
    RegistryStore reg;
    RegKey key;

    // (2, not found, is the registry procedures' missing values and keys.)
    // 5: writing, creating or opening for all access where the file may not
    // be written, and using a key for more than it was opened for.
    QCOMPARE(reg.RegCreateKeyEx(machine, "New", KEY_QUERY_VALUE, key), ERROR_ACCESS_DENIED);
    QCOMPARE(reg.RegOpenKeyEx(machine, "K", KEY_ALL_ACCESS, key), ERROR_ACCESS_DENIED);
    QCOMPARE(query(reg, machine, "k\\", "V"), QStringLiteral("abcd"));
    QCOMPARE(reg.RegOpenKeyEx(user, "K", KEY_QUERY_VALUE, key), ERROR_SUCCESS);
    QCOMPARE(reg.RegSetValueEx(key, "v", REG_SZ, "t", 2), ERROR_ACCESS_DENIED);
    // 6: a root that is none, a closed key.
    QCOMPARE(reg.RegCreateKeyEx(12345, "K", KEY_ALL_ACCESS, key), ERROR_INVALID_HANDLE);
    QCOMPARE(reg.RegOpenKeyEx(user, "K", KEY_ALL_ACCESS, key), ERROR_SUCCESS);
    QCOMPARE(reg.RegSetValueEx(key, "v", REG_BINARY, "t", 2), ERROR_INVALID_PARAMETER);
    QCOMPARE(reg.RegCloseKey(key), ERROR_SUCCESS);
    QCOMPARE(reg.RegSetValueEx(key, "v", REG_SZ, "t", 2), ERROR_INVALID_HANDLE);
    QCOMPARE(reg.RegCloseKey(key), ERROR_INVALID_HANDLE);
    // 87: paths, names and types the store cannot hold.
    const QString levels512 = QStringList(512, QStringLiteral("L")).join(QLatin1Char('\\'));
    for (const QString &path :
         {QStringLiteral("A\\\\B"), QString(256, 'n'), QString(levels512 + QStringLiteral("\\L"))})
        QCOMPARE(reg.RegCreateKeyEx(user, path, KEY_ALL_ACCESS, key), ERROR_INVALID_PARAMETER);
    QCOMPARE(reg.RegOpenKeyEx(user, "\\A", KEY_QUERY_VALUE, key), ERROR_INVALID_PARAMETER);
    QCOMPARE(reg.RegCreateKeyEx(user, QString(255, 'n'), KEY_ALL_ACCESS, key), ERROR_SUCCESS);
    QCOMPARE(reg.RegCreateKeyEx(user, levels512 + QStringLiteral("\\"), KEY_ALL_ACCESS, key),
             ERROR_SUCCESS);
    QCOMPARE(setText(reg, user, "K", "a\nb", "t"), ERROR_INVALID_PARAMETER);
    // 234: the buffer holds the text and its zero, or it is too small (the
    // listings' 234 and 259 are the registry procedures' tests).
    QCOMPARE(query(reg, user, "K", "v", 5) + ' ' + query(reg, user, "K", "v", 4), "abcd #234 5");
    QCOMPARE(query(reg, user, "K", "Count", 5), QString::fromLatin1("\x2a\0\0", 3));
    QCOMPARE(readStoreFile(machine), machineFile);
    // Subkeys in name order whatever the case, values in the order first
    // written; a rewrite under another spelling keeps the first spelling
    // and the place.
    for (const char *k : {"delta", "Bravo", "alpha"})
        QCOMPARE(setText(reg, user, "Top\\" + QLatin1String(k), "x", "1"), 0);
    for (const char *v : {"zulu", "", "xray"})
        QCOMPARE(setText(reg, user, "Top", v, QString::fromLatin1(v).toUpper()), 0);
    QCOMPARE(setText(reg, user, "tOP\\ALPHA", "X", "2"), 0);
    QCOMPARE(setText(reg, user, "TOP", "ZULU", "again"), 0);
    // One rule for keys and values: Unicode case folding, one letter for one.
    QCOMPARE(compareRegNames("ΟΔΟΣ", "οδος"), 0);
    QVERIFY(compareRegNames("Straße", "STRASSE") != 0 && compareRegNames("İ", "i") != 0);
    QCOMPARE(dump(user, "Top\\").join(QLatin1Char(' ')),
             QStringLiteral("Top\\alpha\\ Top\\alpha\\|x\t2 Top\\Bravo\\ Top\\Bravo\\|x\t1 "
                            "Top\\delta\\ Top\\delta\\|x\t1 Top\\|zulu\tagain Top\\|(Default) "
                            "Top\\|xray\tXRAY"));
    // Written again (in UTF-8), every type stays what it was; a text with a
    // line break is hex(1); a value at the root has the root's section.
    QCOMPARE(setText(reg, user, {}, "lines", "a\nb"), 0);
    const QByteArray file = readStoreFile(user);
    QVERIFY(file.startsWith(
        regFile("\n[HKEY_CURRENT_USER]\n\"lines\"=hex(1):61,00,0a,00,62,00,00,00\n")));
    QVERIFY(file.contains("\n[HKEY_CURRENT_USER\\K]\n\"v\"=\"abcd\"\n\"Count\"=dword:0000002a\n"
                          "\"Blob\"=hex:41,42,43\n\"Path\"=hex(2):25,00,41,00,25,00,00,00\n"));
    QVERIFY(prompts.boxes.isEmpty());
    // The first absolute XDG_CONFIG_DIRS entry; a relative XDG_CONFIG_HOME
    // is ignored.
    qputenv("XDG_CONFIG_DIRS", "relative:" + env.path(QStringLiteral("second")).toUtf8() + ":/x");
    QCOMPARE(RegistryStore::machineFolder(), env.path(QStringLiteral("second/Almarik2/registry")));
    qputenv("XDG_CONFIG_HOME", "relative/config");
    QCOMPARE(RegistryStore::userFolder(), env.path(QStringLiteral(".config/Almarik2/registry")));
}

void TestRegistryStore::fileFormRoundTrip_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    auto row = [](const char *tag, const QString &path, const QString &name, const QString &text) {
        QTest::newRow(tag) << path << name << text;
    };
    row("quotes, backslashes, brackets", "A]\\[B]", "say \"hi\"=;\\", "\\\\server\\\"sh\"=;[x]\\");
    row("accents, symbols", "Grüße", "Grüße", "€ ÆØÅ 日本");
    row("a zero inside, long hex lines", "K", "v", "a" + QString(QChar(0)) + QString(60, '\n'));
}

void TestRegistryStore::fileFormRoundTrip()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QFETCH(QString, text);
    TestEnv env;
    ScriptedPrompts prompts; // a file that did not read back would show a box
    RegistryStore writer, reader;
    QCOMPARE(setText(writer, HKEY_CURRENT_USER, path, name, text), ERROR_SUCCESS);
    QCOMPARE(query(reader, HKEY_CURRENT_USER, path, name), text);
    QVERIFY(prompts.boxes.isEmpty());
}

void TestRegistryStore::fileRead_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("fault");        // empty: read whole
    QTest::addColumn<QStringList>("readable"); // the root, or the desktop key's values
    auto row = [](const char *tag, const QByteArray &content, const QString &fault,
                  const QStringList &after = {}) {
        QTest::newRow(tag) << content << fault << QStringList{"Wallpaper\tC:\\sea.bmp"} + after;
    };
    const QByteArray desktop = kDesktopSection;
    row("backslashes not doubled",
        regFile("\n" + desktop + "\"x\"=\"C:\\Program Files\\y\"\n\"after\"=\"1\"\n"),
        "line 5: a text value that cannot be read", {"after\t1"});
    row("a section of another root",
        regFile("[HKEY_LOCAL_MACHINE\\Other]\n\"v\"=\"1\"\n" + desktop),
        "line 2: a key outside HKEY_CURRENT_USER");
    row("not UTF-8", regFile(desktop + "\"bad\"=\"\xff\"\n"), "line 4: the text is not UTF-8");
    row("no header", desktop, "line 1: no registry file header");
    row("513 levels",
        regFile(desktop + "[HKEY_CURRENT_USER" + QByteArray("\\k").repeated(513) + "]\n"),
        "line 4: a key more than 512 levels deep");
    row("a name of 256", regFile("[HKEY_CURRENT_USER\\" + QByteArray(256, 'n') + "]\n" + desktop),
        "line 2: a key name longer than 255 characters");
    row("bad hex, continued", regFile(desktop + "\"b\"=hex:41,\\\n  4g\n\"c\"=\"1\"\n"),
        "line 4: hex bytes that cannot be read", {"c\t1"});
    QTest::newRow("REGEDIT4 in Windows-1252")
        << QByteArray("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Caf\xe9]\r\n\"Price\"=\"\x80 5\"\r\n"
                      "\"Quote\"=hex(1):93,68,69,94,00\r\n")
        << QString() << QStringList{"Café\\", "Café\\|Price\t€ 5", "Café\\|Quote\t“hi”"};
    QTest::newRow("deletion lines")
        << regFile("[HKEY_CURRENT_USER\\K\\Sub\\Deeper]\n[HKEY_CURRENT_USER\\K]\n"
                   "\"a\"=\"1\"\n\"b\"=\"2\"\n@=\"d\"\n\"A\"=-\n@=-\n\"never there\"=-\n"
                   "[-HKEY_CURRENT_USER\\k\\sub]\n[-HKEY_CURRENT_USER\\Never\\There]\n")
        << QString() << QStringList{"K\\", "K\\|b\t2"};
}

void TestRegistryStore::fileRead()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, fault);
    QFETCH(QStringList, readable);
    TestEnv env;
    ScriptedPrompts prompts;
    writeStoreFile(HKEY_CURRENT_USER, content);
    // What can be read is read (a damaged root lists no subkeys, as it
    // cannot be opened for all access).
    QCOMPARE(fault.isEmpty() ? dump(HKEY_CURRENT_USER) : listed(HKEY_CURRENT_USER, kDesktop),
             readable);
    QCOMPARE(prompts.boxes.size(), fault.isEmpty() ? 0 : 1);
    if (fault.isEmpty())
        return;
    // A damaged line: writes are refused until the file is mended; the user
    // is told once.
    QVERIFY(!SetRegValue(HKEY_CURRENT_USER, kDesktop, "Wallpaper", "C:\\new.bmp", prompts));
    QVERIFY(!DeleteRegKeyValue(HKEY_CURRENT_USER, kDesktop, "Wallpaper", prompts));
    QCOMPARE(prompts.takeBoxes(),
             QStringList{"Almarik (exclamation, OK): The registry file " +
                         RegistryStore::fileFor(HKEY_CURRENT_USER) + " could not be read (" +
                         fault + ").\r\nIt is left as it is and nothing will be written to it."});
    QCOMPARE(readStoreFile(HKEY_CURRENT_USER), content);
    // Mended by hand, the file is written again.
    writeStoreFile(HKEY_CURRENT_USER, regFile(kDesktopSection));
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, kDesktop, "New", "n", prompts));
    QCOMPARE(GetRegValue(HKEY_CURRENT_USER, kDesktop, "Wallpaper", "", prompts), "C:\\sea.bmp");
    QVERIFY(prompts.boxes.isEmpty());
}

void TestRegistryStore::otherWriters()
{
    TestEnv env;
    ScriptedPrompts prompts;
    writeStoreFile(HKEY_CURRENT_USER,
                   regFile(kDesktopSection + "[HKEY_CURRENT_USER\\Padding]\n\"v\"=\"" +
                           QByteArray(9000, 'x') + "\"\n"));
    const QByteArray before = readStoreFile(HKEY_CURRENT_USER);
    // Files may not grow past a quarter of that (a longer write fails instead
    // of ending the process): the write fails quietly, the delete with its
    // message, the file stays whole.
    {
        const FileSizeLimit limit(before.size() / 4);
        QVERIFY(!SetRegValue(HKEY_CURRENT_USER, kDesktop, "Wallpaper", "C:\\new.bmp", prompts));
        // The change that was not saved is not kept in memory either.
        QCOMPARE(GetRegValue(HKEY_CURRENT_USER, kDesktop, "Wallpaper", "", prompts), "C:\\sea.bmp");
        QVERIFY(!DeleteRegKeyValue(HKEY_CURRENT_USER, kDesktop, "Wallpaper", prompts));
    }
    QCOMPARE(prompts.takeBoxes(), QStringList{"Almarik (information, OK): Unknown Error 1016"});
    QCOMPARE(readStoreFile(HKEY_CURRENT_USER), before);
    // The lock of a writer that died is taken over; two writers at once
    // lose nothing.
    QCOMPARE(QProcess::execute(QStringLiteral(REGISTRY_WRITER), {"die-holding"}), 0);
    QVERIFY(QFileInfo::exists(RegistryStore::fileFor(HKEY_CURRENT_USER) + ".lock"));
    QProcess a, b;
    a.start(QStringLiteral(REGISTRY_WRITER), {"a", "300"});
    b.start(QStringLiteral(REGISTRY_WRITER), {"b", "300"});
    for (QProcess *p : {&a, &b}) {
        QVERIFY(p->waitForFinished(-1) && p->exitCode() == 0);
        QCOMPARE(p->readAllStandardOutput(), QByteArray("300"));
    }
    // Names are distinct, so 600 rows are every value of both.
    const QStringList values = dump(HKEY_CURRENT_USER, "Race\\");
    QCOMPARE(values.size(), 600);
    QVERIFY(values.contains("Race\\|a299\t299") && values.contains("Race\\|b0\t0"));
    QCOMPARE(GetRegValue(HKEY_CURRENT_USER, kDesktop, "Wallpaper", "", prompts), "C:\\sea.bmp");
    QCOMPARE(QDir(RegistryStore::userFolder()).entryList(QDir::Files | QDir::Hidden),
             QStringList{"HKEY_CURRENT_USER.reg"});
}

void TestRegistryStore::batch()
{
    TestEnv env;
    const qint32 user = HKEY_CURRENT_USER;
    RegistryStore reg, other;
    QLockFile probe(RegistryStore::fileFor(user) + ".lock");
    reg.beginBatch();
    // Until the batch's first change another writer may write, and is kept.
    QCOMPARE(setText(other, user, "K", "other", "1"), 0);
    QCOMPARE(setText(reg, user, "K", "a", "2"), 0);
    QCOMPARE(setText(reg, user, "K", "b", "3"), 0);
    // From then on the lock is held and the file waits for the batch's end;
    // the batch reads its own changes.
    QVERIFY(!probe.tryLock(0));
    QCOMPARE(query(other, user, "K", "a") + ' ' + query(reg, user, "k", "A"), "#2 2");
    QCOMPARE(reg.endBatch(), ERROR_SUCCESS);
    QCOMPARE(query(other, user, "K", "other") + query(other, user, "K", "b"), QStringLiteral("13"));
    QVERIFY(probe.tryLock(0));
}

QTEST_APPLESS_MAIN(TestRegistryStore)
#include "tst_store.moc"
