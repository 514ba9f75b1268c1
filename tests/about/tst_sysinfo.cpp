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
        QCOMPARE(VersionText(parseVersion("2.3.3")), "Version 2.3.3");
        QCOMPARE(VersionText(parseVersion("2.3.12")), "Version 2.3.12");
        QCOMPARE(versionNumbers(programVersion()), QStringLiteral(ALMARIK_VERSION));
        QCOMPARE(DisclaimerText(""), "Use this software at your own risk.\r\n\r\n");
        QCOMPARE(UpdateLabelText(parseVersion("2.3.3")),
                 "   [Your current Version: 2.3.3]   Close Almarik down before attempting to "
                 "replace the program file with that contained within the Update");
        QCOMPARE(WebHeight(400, 570), 170);
        QCOMPARE(WebHeight(3360, 570), 2790);
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
        QTest::newRow("string, closing NUL dropped")
            << REG_SZ << chars({'a', 'b', 0}) << 3u << "ab";
        QTest::newRow("no NUL: last character kept") << REG_SZ << "abc" << 3u << "abc";
        QTest::newRow("cut to length") << REG_SZ << "abcdef" << 3u << "abc";
        QTest::newRow("one NUL dropped") << REG_SZ << chars({'a', 0, 0}) << 3u << chars({'a', 0});
        QTest::newRow("dword, last byte first")
            << REG_DWORD << chars({0x78, 0x56, 0x34, 0x12}) << 4u << "&h12345678";
        QTest::newRow("dword, bytes unpadded")
            << REG_DWORD << chars({0x0f, 0x0a, 0x0b, 0x01}) << 4u << "&h1BAF";
        QTest::newRow("dword, zero last byte taken as a NUL")
            << REG_DWORD << chars({1, 0, 0, 0}) << 4u << "&h001";
        QTest::newRow("binary") << REG_BINARY << "ab" << 2u << "";
        QTest::newRow("expandable string") << REG_EXPAND_SZ << "%P%" << 3u << "";
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
        QTest::addColumn<QString>("value"); // null: not read
        QTest::newRow("string") << kKey + "\"PATH\"=\"/opt/mi\"\n"
                                << ""
                                << "/opt/mi";
        QTest::newRow("dword 1") << kKey + "\"PATH\"=dword:00000001\n"
                                 << ""
                                 << "&h001";
        QTest::newRow("1023 characters fit") << kKey + "\"PATH\"=\"" + QString(1023, 'x') + "\"\n"
                                             << "" << QString(1023, 'x');
        QTest::newRow("1024 do not") << kKey + "\"PATH\"=\"" + QString(1024, 'x') + "\"\n"
                                     << "" << QString();
        QTest::newRow("missing value") << kKey << "" << QString();
        QTest::newRow("missing key") << kLocation << "" << QString();
        QTest::newRow("root not writable: no all-access open") << kKey + "\"PATH\"=\"/opt/mi\"\n"
                                                               << "HKEY_LOCAL_MACHINE" << QString();
    }
    void getKeyValue()
    {
        QFETCH(QString, root);
        QFETCH(QString, readOnly);
        QFETCH(QString, value);
        TestEnv env;
        setUp(env, root, {});
        if (!readOnly.isEmpty())
            qputenv("ALMARIK_REGISTRY_READONLY", readOnly.toUtf8());
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
        const QString folder = kLocation + "\"MSINFO\"=\"%T/si\"\n";
        QTest::newRow("PATH value as it is")
            << kKey + "\"PATH\"=\"/opt/mi\"\n" + folder << QStringList{"hardinfo"} << "/opt/mi";
        QTest::newRow("folder with MSINFO32.EXE")
            << folder << QStringList{"hardinfo"} << "%T/si/MSINFO32.EXE";
        QTest::newRow("folder without it") << kLocation + "\"MSINFO\"=\"%T/bin\"\n"
                                           << QStringList{"hardinfo"} << "%T/bin/hardinfo";
        QTest::newRow("first known tool")
            << "" << QStringList{"gnome-system-monitor", "kinfocenter"} << "%T/bin/kinfocenter";
        QTest::newRow("a file that may not be run")
            << "" << QStringList{"hardinfo!", "msinfo32"} << "";
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
        QCOMPARE(shownTexts(prompts),
                 QStringList(2, "System Information Is Unavailable At This Time"));
        QCOMPARE(prompts.boxes[0].buttons, MsgButtons::OkOnly);
        QCOMPARE(prompts.boxes[0].title, "Almarik");
    }
};

QTEST_APPLESS_MAIN(TestSysInfo)
#include "tst_sysinfo.moc"
