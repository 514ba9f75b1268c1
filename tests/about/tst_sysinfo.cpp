// SPDX-License-Identifier: GPL-3.0-or-later
// The texts of the About box and the update window, which links of the
// update page go to the user's browser (web addresses only, relative ones
// resolved against the page), and the choice of the system information
// program. No program is started.

#include "about/SysInfo.h"
#include "about/UpdatePage.h"
#include "registry/RegTestSupport.h"

#include <QTest>

namespace {

const QString kKey = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\n";
const QString kLocation = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location]\n";

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

    void texts_data()
    {
        QTest::addColumn<QString>("got");
        QTest::addColumn<QString>("expected");
        QTest::newRow("version") << VersionText(parseVersion("2.3.12")) << "Version 2.3.12";
        QTest::newRow("disclaimer")
            << DisclaimerText("/d/A.MDB") << "Use this software at your own risk.\r\n\r\n/d/A.MDB";
        QTest::newRow("update label")
            << UpdateLabelText(parseVersion("2.3.3"))
            << "   [Your current Version: 2.3.3]   Close Almarik down before attempting to "
               "replace the program file with that contained within the Update";
        QTest::newRow("relative address")
            << RefusedAddressReason(QUrl("almaupdt.htm"))
            << "The address \"almaupdt.htm\" is not a complete web address.";
        QTest::newRow("error page escaped")
            << ErrorPageHtml(QUrl("http://h.example/"), "<b>&")
            << "<html><body><h3>The update page could not be shown</h3><p>http://h.example/</p>"
               "<p>&lt;b&gt;&amp;</p></body></html>";
        // Registry data as text: cut to length less a closing NUL; a dword
        // last byte first, unpadded, a zero last byte read as a NUL.
        QTest::newRow("text cut, NUL dropped")
            << KeyValueText(REG_SZ, QString::fromUtf16(u"ab\0c", 4), 3) << "ab";
        QTest::newRow("text without NUL") << KeyValueText(REG_SZ, "abc", 3) << "abc";
        QTest::newRow("dword, last byte first")
            << KeyValueText(REG_DWORD, QString::fromUtf16(u"\x0f\x0a\x34\x12", 4), 4) << "&h1234AF";
        QTest::newRow("dword, zero last byte")
            << KeyValueText(REG_DWORD, QString::fromUtf16(u"\x01\0\0\0", 4), 4) << "&h001";
        QTest::newRow("other types") << KeyValueText(REG_BINARY, "ab", 2) << "";
        // A link clicked on the update page: the address opened, and why not.
        const auto link = [](const char *tag, const QString &link, const QString &address,
                             const QString &refusal = {}) {
            const PageLink got =
                ClickedLink(QUrl("http://www.almarik.example/dl/almaupdt.htm"), QUrl(link));
            QTest::newRow(tag) << got.address.toString() + ' ' + got.refusal
                               << address + ' ' + refusal;
        };
        link("link http", "http://h.example/new.zip", "http://h.example/new.zip");
        link("link HTTPS in capitals", "HTTPS://H.example/x.zip", "https://h.example/x.zip");
        link("link relative", "../new.zip?v=2", "http://www.almarik.example/new.zip?v=2");
        const QString web = "The address \"%1\" is not a web address. The link is not opened.";
        link("link FILE in capitals", "FILE:///tmp/x.sh", "file:///tmp/x.sh",
             web.arg("file:///tmp/x.sh"));
        const QString mail = "mailto:a@h.example?attach=/etc/passwd";
        link("link mailto, asking for an attachment", mail, mail, web.arg(mail));
    }
    void texts()
    {
        QFETCH(QString, got);
        QTEST(got, "expected");
    }

    // The registry's PATH (read whole up to 1023 characters, with all access),
    // MSINFO32.EXE in the registry's folder, then the first known tool.
    void program_data()
    {
        QTest::addColumn<QString>("root");
        QTest::addColumn<QStringList>("onPath");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("readOnly");
        auto row = [](const char *tag, const QString &root, const QStringList &onPath,
                      const QString &expected, bool readOnly = false) {
            QTest::newRow(tag) << root << onPath << expected << readOnly;
        };
        const QString folder = kLocation + "\"MSINFO\"=\"%T/si\"\n";
        const QString path = kKey + "\"PATH\"=";
        row("PATH of 1023 characters as it is", path + "\"" + QString(1023, 'x') + "\"\n" + folder,
            {"hardinfo"}, QString(1023, 'x'));
        row("PATH of 1024 not read", path + "\"" + QString(1024, 'x') + "\"\n", {"hardinfo"},
            "%T/bin/hardinfo");
        row("root not writable", path + "\"/opt/mi\"\n" + folder, {"hardinfo"}, "%T/bin/hardinfo",
            true);
        row("key without PATH, folder with MSINFO32.EXE", kKey + folder, {"hardinfo"},
            "%T/si/MSINFO32.EXE");
        row("first known tool", "", {"gnome-system-monitor", "kinfocenter"}, "%T/bin/kinfocenter");
        row("a file that may not be run", "", {"hardinfo!", "msinfo32"}, "");
    }

    // Started with no arguments, or its failure said.
    void program()
    {
        QFETCH(QString, root);
        QFETCH(QStringList, onPath);
        QFETCH(QString, expected);
        QFETCH(bool, readOnly);
        TestEnv env;
        setUp(env, root, onPath);
        if (readOnly)
            qputenv("ALMARIK_REGISTRY_READONLY", "HKEY_LOCAL_MACHINE");
        RegistryStore registry;
        ScriptedPrompts prompts;
        QString started;
        const bool ok =
            StartSysInfo(registry, prompts, [&](const QString &p, const QStringList &a) {
                started = p + a.join(' ');
                return !p.endsWith(".EXE"); // a Windows program does not start here
            });
        QCOMPARE(started, expected.replace("%T", env.root()));
        QCOMPARE(ok, !expected.isEmpty() && !expected.endsWith(".EXE"));
        QCOMPARE(
            prompts.takeBoxes(),
            ok ? QStringList()
               : QStringList{"Almarik (-, OK): System Information Is Unavailable At This Time"});
    }
};

QTEST_APPLESS_MAIN(TestSysInfo)
#include "tst_sysinfo.moc"
