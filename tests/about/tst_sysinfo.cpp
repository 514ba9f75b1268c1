// The About box's registry read and the choice of the system information
// program: the design's two local-machine keys, then known tools on PATH.
// No program is ever started; the starter records what it was asked.

#include "about/SysInfo.h"
#include "registry/RegTestSupport.h"

#include <QTest>

namespace {

QString bytes(std::initializer_list<int> values)
{
    QString out;
    for (int v : values)
        out += QChar(v);
    return out;
}

// A machine root whose text may name the test's folder as %T.
void writeMachineRoot(const TestEnv &env, const QString &body)
{
    QString text = body;
    text.replace("%T", env.root());
    writeStoreFile(HKEY_LOCAL_MACHINE, "Windows Registry Editor Version 5.00\n\n" + text.toUtf8());
}

// A folder on PATH holding the named files; a name ending in "!" is a file
// that may not be run.
void makePathFolder(const TestEnv &env, const QStringList &files)
{
    QDir().mkpath(env.path("bin"));
    for (QString name : files) {
        const bool runnable = !name.endsWith('!');
        name.remove('!');
        QFile f(env.path("bin/" + name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.setPermissions(runnable ? QFile::ReadOwner | QFile::ExeOwner : QFile::ReadOwner);
    }
    qputenv("PATH", env.path("bin").toUtf8());
}

const QString kKey = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\n";
const QString kLocation = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location]\n";

} // namespace

class TestSysInfo : public QObject
{
    Q_OBJECT
    QByteArray m_path;

private slots:
    void initTestCase() { m_path = qgetenv("PATH"); }
    void cleanup()
    {
        qputenv("PATH", m_path);
        qunsetenv("ALMARIK_REGISTRY_READONLY");
    }

    void keyValueText_data()
    {
        QTest::addColumn<quint32>("type");
        QTest::addColumn<QString>("data");
        QTest::addColumn<quint32>("length");
        QTest::addColumn<QString>("expected");
        QTest::newRow("string, closing NUL dropped")
            << REG_SZ << QString("C:\\msinfo32.exe" + QChar(0)) << 16u << "C:\\msinfo32.exe";
        QTest::newRow("string without NUL keeps its last character")
            << REG_SZ << "abc" << 3u << "abc";
        QTest::newRow("cut to the returned length") << REG_SZ << "abcdef" << 3u << "abc";
        QTest::newRow("only one NUL dropped")
            << REG_SZ << bytes({'a', 0, 0}) << 3u << bytes({'a', 0});
        QTest::newRow("dword, last byte first")
            << REG_DWORD << bytes({0x78, 0x56, 0x34, 0x12}) << 4u << "&h12345678";
        QTest::newRow("dword, bytes unpadded")
            << REG_DWORD << bytes({0x0f, 0x0a, 0x0b, 0x01}) << 4u << "&h1BAF";
        QTest::newRow("dword, zero last byte dropped as a NUL")
            << REG_DWORD << bytes({1, 0, 0, 0}) << 4u << "&h001";
        QTest::newRow("binary is empty") << REG_BINARY << "ab" << 2u << "";
        QTest::newRow("expandable string is empty") << REG_EXPAND_SZ << "%P%" << 3u << "";
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
        QTest::addColumn<QString>("readOnly");
        QTest::addColumn<bool>("read");
        QTest::addColumn<QString>("value");
        QTest::newRow("string") << kKey + "\"PATH\"=\"/opt/msinfo\"\n"
                                << "" << true << "/opt/msinfo";
        QTest::newRow("dword") << kKey + "\"PATH\"=dword:12345678\n"
                               << "" << true << "&h12345678";
        QTest::newRow("dword 1") << kKey + "\"PATH\"=dword:00000001\n"
                                 << "" << true << "&h001";
        QTest::newRow("1023 characters fit the buffer")
            << kKey + "\"PATH\"=\"" + QString(1023, 'x') + "\"\n"
            << "" << true << QString(1023, 'x');
        QTest::newRow("1024 characters do not")
            << kKey + "\"PATH\"=\"" + QString(1024, 'x') + "\"\n"
            << "" << false << "";
        QTest::newRow("missing value") << kKey + "\"Other\"=\"x\"\n"
                                       << "" << false << "";
        QTest::newRow("missing key") << kLocation << "" << false << "";
        QTest::newRow("root that may not be written: no all-access open")
            << kKey + "\"PATH\"=\"/opt/msinfo\"\n"
            << "HKEY_LOCAL_MACHINE" << false << "";
    }
    void getKeyValue()
    {
        QFETCH(QString, root);
        QFETCH(QString, readOnly);
        QFETCH(bool, read);
        QFETCH(QString, value);
        TestEnv env;
        writeMachineRoot(env, root);
        if (!readOnly.isEmpty())
            qputenv("ALMARIK_REGISTRY_READONLY", readOnly.toUtf8());
        RegistryStore registry;
        QString keyVal = "before";
        QCOMPARE(GetKeyValue(registry, HKEY_LOCAL_MACHINE,
                             "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", keyVal),
                 read);
        QCOMPARE(keyVal, value);
    }

    void program_data()
    {
        QTest::addColumn<QString>("root");
        QTest::addColumn<QStringList>("onPath");
        QTest::addColumn<QString>("expected");
        const QString folder = kLocation + "\"MSINFO\"=\"%T/si\"\n";
        QTest::newRow("PATH value taken as it is")
            << kKey + "\"PATH\"=\"/opt/si/msinfo\"\n" + folder << QStringList{"hardinfo"}
            << "/opt/si/msinfo";
        QTest::newRow("folder holding MSINFO32.EXE")
            << folder << QStringList{"hardinfo"} << "%T/si/MSINFO32.EXE";
        QTest::newRow("folder without it: PATH") << kLocation + "\"MSINFO\"=\"%T/bin\"\n"
                                                 << QStringList{"hardinfo"} << "%T/bin/hardinfo";
        QTest::newRow("no keys: first known tool")
            << "" << QStringList{"gnome-system-monitor", "kinfocenter"} << "%T/bin/kinfocenter";
        QTest::newRow("a file that may not be run is no tool")
            << "" << QStringList{"hardinfo!", "gnome-system-monitor"}
            << "%T/bin/gnome-system-monitor";
        QTest::newRow("nothing") << "" << QStringList{"hardinfo!", "msinfo32"} << "";
    }
    void program()
    {
        QFETCH(QString, root);
        QFETCH(QStringList, onPath);
        QFETCH(QString, expected);
        TestEnv env;
        writeMachineRoot(env, root);
        makePathFolder(env, onPath);
        QDir().mkpath(env.path("si"));
        QFile exe(env.path("si/MSINFO32.EXE"));
        QVERIFY(exe.open(QIODevice::WriteOnly));
        RegistryStore registry;
        QCOMPARE(SysInfoProgram(registry), QString(expected).replace("%T", env.root()));
    }

    void start_data()
    {
        QTest::addColumn<QStringList>("onPath");
        QTest::addColumn<bool>("starts");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<QStringList>("boxes");
        const QString unavailable = "System Information Is Unavailable At This Time|Almarik";
        QTest::newRow("started") << QStringList{"hardinfo"} << true
                                 << QStringList{"%T/bin/hardinfo|"} << QStringList{};
        QTest::newRow("start fails") << QStringList{"hardinfo"} << false
                                     << QStringList{"%T/bin/hardinfo|"} << QStringList{unavailable};
        QTest::newRow("no program")
            << QStringList{} << true << QStringList{} << QStringList{unavailable};
    }
    void start()
    {
        QFETCH(QStringList, onPath);
        QFETCH(bool, starts);
        QFETCH(QStringList, asked);
        QFETCH(QStringList, boxes);
        TestEnv env;
        makePathFolder(env, onPath);
        ScriptedPrompts prompts;
        RegistryStore registry;
        QStringList calls;
        const bool started =
            StartSysInfo(registry, prompts, [&](const QString &program, const QStringList &args) {
                calls << program + '|' + args.join(' ');
                return starts;
            });
        QCOMPARE(started, starts && !asked.isEmpty());
        QCOMPARE(calls, asked.replaceInStrings("%T", env.root()));
        QStringList shown;
        for (const RecordedBox &box : prompts.boxes) {
            QCOMPARE(box.buttons, MsgButtons::OkOnly);
            QCOMPARE(box.icon, MsgIcon::None);
            shown << box.text + '|' + box.title;
        }
        QCOMPARE(shown, boxes);
    }
};

QTEST_APPLESS_MAIN(TestSysInfo)
#include "tst_sysinfo.moc"
