// The texts of the About box and the update window, the registry read and
// the choice of the system information program. No program is started.

#include "about/SysInfo.h"
#include "about/UpdatePage.h"
#include "registry/RegTestSupport.h"

#include <QTest>

namespace {

const QString kKey = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\n";
const QString kLocation = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location]\n";

QString chars(std::initializer_list<int> values)
{
    QString out;
    for (int v : values)
        out += QChar(v);
    return out;
}

// The machine root (%T names the test's folder) and a PATH of one folder
// with the named files; a name ending in "!" may not be run.
void setUp(const TestEnv &env, QString root, const QStringList &onPath)
{
    writeStoreFile(HKEY_LOCAL_MACHINE, "Windows Registry Editor Version 5.00\n\n" +
                                           root.replace("%T", env.root()).toUtf8());
    QDir().mkpath(env.path("bin"));
    QDir().mkpath(env.path("si"));
    QFile(env.path("si/MSINFO32.EXE")).open(QIODevice::WriteOnly);
    for (QString name : onPath) {
        const bool runnable = !name.endsWith('!');
        QFile f(env.path("bin/" + name.remove('!')));
        f.open(QIODevice::WriteOnly);
        f.setPermissions(runnable ? QFile::ReadOwner | QFile::ExeOwner : QFile::ReadOwner);
    }
    qputenv("PATH", env.path("bin").toUtf8());
}

} // namespace

class TestSysInfo : public QObject
{
    Q_OBJECT
    QByteArray m_path = qgetenv("PATH");

private slots:
    void cleanup()
    {
        qputenv("PATH", m_path);
        qunsetenv("ALMARIK_REGISTRY_READONLY");
    }

    void texts()
    {
        QCOMPARE(VersionText(parseVersion("2.3.12")), "Version 2.3.12");
        QCOMPARE(versionNumbers(programVersion()), QStringLiteral(ALMARIK_VERSION));
        QCOMPARE(FileDescription(), "Almarik shows a months upcoming events on startup");
        QCOMPARE(DisclaimerText("/d/A.MDB"), "Use this software at your own risk.\r\n\r\n/d/A.MDB");
        QCOMPARE(UpdateLabelText(parseVersion("2.3.3")),
                 "   [Your current Version: 2.3.3]   Close Almarik down before attempting to "
                 "replace the program file with that contained within the Update");
        QCOMPARE(RefusedAddressReason(QUrl("https://h.example/almaupdt.htm")), "");
        QCOMPARE(RefusedAddressReason(QUrl("almaupdt.htm")),
                 "The address \"almaupdt.htm\" is not a complete web address.");
        QVERIFY(ErrorPageHtml(QUrl("http://h.example/"), "<b>&").contains("&lt;b&gt;&amp;"));
    }

    void keyValueText_data()
    {
        QTest::addColumn<quint32>("type");
        QTest::addColumn<QString>("data");
        QTest::addColumn<quint32>("length");
        QTest::addColumn<QString>("expected");
        auto row = [](const char *tag, quint32 type, const QString &data, quint32 length,
                      const QString &expected) {
            QTest::newRow(tag) << type << data << length << expected;
        };
        row("closing NUL dropped", REG_SZ, chars({'a', 'b', 0}), 3, "ab");
        row("no NUL: last character kept", REG_SZ, "abc", 3, "abc");
        row("cut to length", REG_SZ, "abcdef", 3, "abc");
        row("one NUL dropped", REG_SZ, chars({'a', 0, 0}), 3, chars({'a', 0}));
        row("dword, last byte first", REG_DWORD, chars({0x78, 0x56, 0x34, 0x12}), 4, "&h12345678");
        row("dword, bytes unpadded", REG_DWORD, chars({0x0f, 0x0a, 0x0b, 0x01}), 4, "&h1BAF");
        row("dword, zero last byte as a NUL", REG_DWORD, chars({1, 0, 0, 0}), 4, "&h001");
        row("other types", REG_BINARY, "ab", 2, "");
    }
    void keyValueText()
    {
        QFETCH(quint32, type);
        QFETCH(QString, data);
        QFETCH(quint32, length);
        QFETCH(QString, expected);
        QCOMPARE(KeyValueText(type, data, length), expected);
    }

    void getKeyValue_data()
    {
        QTest::addColumn<QString>("root");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("value"); // null: not read
        auto row = [](const char *tag, const QString &root, const QString &value,
                      bool readOnly = false) { QTest::newRow(tag) << root << readOnly << value; };
        const QString path = kKey + "\"PATH\"=";
        row("string", path + "\"/opt/mi\"\n", "/opt/mi");
        row("dword", path + "dword:00000001\n", "&h001");
        row("1023 characters fit", path + "\"" + QString(1023, 'x') + "\"\n", QString(1023, 'x'));
        row("1024 do not", path + "\"" + QString(1024, 'x') + "\"\n", QString());
        row("missing value", kKey, QString());
        row("missing key", kLocation, QString());
        row("root not writable", path + "\"/opt/mi\"\n", QString(), true); // no all-access open
    }
    void getKeyValue()
    {
        QFETCH(QString, root);
        QFETCH(bool, readOnly);
        QFETCH(QString, value);
        TestEnv env;
        setUp(env, root, {});
        if (readOnly)
            qputenv("ALMARIK_REGISTRY_READONLY", "HKEY_LOCAL_MACHINE");
        RegistryStore registry;
        QString keyVal = "before";
        QCOMPARE(GetKeyValue(registry, HKEY_LOCAL_MACHINE,
                             "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", keyVal),
                 !value.isNull());
        QCOMPARE(keyVal, value.isNull() ? "" : value);
    }

    void program_data()
    {
        QTest::addColumn<QString>("root");
        QTest::addColumn<QStringList>("onPath");
        QTest::addColumn<QString>("expected");
        auto row = [](const char *tag, const QString &root, const QStringList &onPath,
                      const char *expected) { QTest::newRow(tag) << root << onPath << expected; };
        const QString folder = kLocation + "\"MSINFO\"=\"%T/si\"\n";
        row("PATH value as it is", kKey + "\"PATH\"=\"/opt/mi\"\n" + folder, {"hardinfo"},
            "/opt/mi");
        row("folder with MSINFO32.EXE", folder, {"hardinfo"}, "%T/si/MSINFO32.EXE");
        row("folder without it", kLocation + "\"MSINFO\"=\"%T/bin\"\n", {"hardinfo"},
            "%T/bin/hardinfo");
        row("first known tool", "", {"gnome-system-monitor", "kinfocenter"}, "%T/bin/kinfocenter");
        row("a file that may not be run", "", {"hardinfo!", "msinfo32"}, "");
    }

    void program()
    {
        QFETCH(QString, root);
        QFETCH(QStringList, onPath);
        QFETCH(QString, expected);
        TestEnv env;
        setUp(env, root, onPath);
        RegistryStore registry;
        QCOMPARE(SysInfoProgram(registry), expected.replace("%T", env.root()));
    }

    void start()
    {
        TestEnv env;
        setUp(env, "", {"hardinfo"});
        ScriptedPrompts prompts;
        RegistryStore registry;
        QStringList calls;
        bool starts = true;
        const ProgramStarter starter = [&](const QString &p, const QStringList &a) {
            calls << p + '(' + a.join(' ') + ')';
            return starts;
        };
        QVERIFY(StartSysInfo(registry, prompts, starter));
        QVERIFY(prompts.boxes.isEmpty());
        starts = false; // the start fails
        QVERIFY(!StartSysInfo(registry, prompts, starter));
        QCOMPARE(calls, QStringList(2, env.path("bin/hardinfo()")));
        setUp(env, "", {"hardinfo!"}); // no program at all: the starter is not asked
        QVERIFY(!StartSysInfo(registry, prompts, starter));
        QCOMPARE(calls.size(), 2);
        QCOMPARE(prompts.takeBoxes(),
                 QStringList(2, "Almarik (-, OK): System Information Is Unavailable At This Time"));
    }
};

QTEST_APPLESS_MAIN(TestSysInfo)
#include "tst_sysinfo.moc"
