// "Start at Login": where the autostart entry lives, its text (the program
// quoted as the desktop entry format wants), switching it on and off, and
// failures that leave the entry as it was.

#include "platform/AppError.h"
#include "startup/Autostart.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QTest>

class TestAutostart : public QObject
{
    Q_OBJECT
private slots:
    void entryPath_data();
    void entryPath();
    void execLine_data();
    void execLine();
    void switching();
    void failure_data();
    void failure();

private:
    TestEnv m_env;
};

void TestAutostart::entryPath_data()
{
    QTest::addColumn<QString>("configHome"); // "-": unset, "home": the test's own
    QTest::addColumn<QString>("expected");   // below the test's home
    QTest::newRow("XDG_CONFIG_HOME") << "home"
                                     << "config/autostart/almarik.desktop";
    QTest::newRow("unset") << "-"
                           << ".config/autostart/almarik.desktop";
    QTest::newRow("relative is ignored") << "rel/config"
                                         << ".config/autostart/almarik.desktop";
}

void TestAutostart::entryPath()
{
    QFETCH(QString, configHome);
    QFETCH(QString, expected);
    const QString home = m_env.path(QStringLiteral("config"));
    if (configHome == QLatin1String("-"))
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME",
                (configHome == QLatin1String("home") ? home : configHome).toUtf8());
    const QString path = autostartEntryPath();
    qputenv("XDG_CONFIG_HOME", home.toUtf8());
    QCOMPARE(path, m_env.path(expected));
}

void TestAutostart::execLine_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("exec");
    QTest::newRow("plain") << "/usr/bin/almarik"
                           << "Exec=/usr/bin/almarik";
    QTest::newRow("blank") << "/home/an user/almarik"
                           << "Exec=\"/home/an user/almarik\"";
    QTest::newRow("percent") << "/opt/100%/almarik"
                             << "Exec=/opt/100%%/almarik";
    QTest::newRow("quote and apostrophe") << "/tmp/it's \"x\"/almarik"
                                          << "Exec=\"/tmp/it's \\\\\"x\\\\\"/almarik\"";
    QTest::newRow("dollar and backslash") << "/tmp/$HOME\\a/almarik"
                                          << "Exec=\"/tmp/\\\\$HOME\\\\\\\\a/almarik\"";
}

void TestAutostart::execLine()
{
    QFETCH(QString, program);
    QFETCH(QString, exec);
    const QStringList lines = QString::fromUtf8(autostartEntryText(program)).split(u'\n');
    QCOMPARE(lines.filter(QStringLiteral("Exec=")), QStringList{exec});
}

void TestAutostart::switching()
{
    const QString entry = m_env.path(QStringLiteral("config/autostart/almarik.desktop"));
    QVERIFY(!autostartEnabled());
    setAutostart(true, QStringLiteral("/usr/bin/almarik"));
    QVERIFY(autostartEnabled());
    QFile f(entry);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("[Desktop Entry]\n"
                                     "Type=Application\n"
                                     "Name=Almarik\n"
                                     "Comment=This month's birthdays, anniversaries and reminders\n"
                                     "Exec=/usr/bin/almarik\n"
                                     "Icon=almarik\n"
                                     "Terminal=false\n"
                                     "X-GNOME-Autostart-enabled=true\n"));
    f.close();
    // Switched on again from another place: the entry names the new one.
    setAutostart(true, QStringLiteral("/opt/almarik"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.readAll().contains("\nExec=/opt/almarik\n"));
    f.close();
    setAutostart(false, QStringLiteral("/opt/almarik"));
    QVERIFY(!QFile::exists(entry));
    QVERIFY(!autostartEnabled());
    setAutostart(false, QStringLiteral("/opt/almarik")); // already off: nothing to do
    // Removed by hand: off, whatever the program last wrote.
    setAutostart(true, QStringLiteral("/opt/almarik"));
    QVERIFY(QFile::remove(entry));
    QVERIFY(!autostartEnabled());
}

void TestAutostart::failure_data()
{
    QTest::addColumn<QString>("blocker"); // a folder or file in the way
    QTest::addColumn<bool>("isFolder");
    QTest::addColumn<bool>("enable");
    QTest::newRow("autostart is a file") << "autostart" << false << true;
    QTest::newRow("the entry is a folder") << "autostart/almarik.desktop" << true << true;
    QTest::newRow("a folder is not the entry: left alone")
        << "autostart/almarik.desktop" << true << false;
}

void TestAutostart::failure()
{
    QFETCH(QString, blocker);
    QFETCH(bool, isFolder);
    QFETCH(bool, enable);
    QVERIFY(QDir(m_env.path(QStringLiteral("config/autostart"))).removeRecursively());
    const QString path = m_env.path(QStringLiteral("config/") + blocker);
    QVERIFY(QDir().mkpath(isFolder ? path : QFileInfo(path).absolutePath()));
    if (!isFolder) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("kept");
    }
    bool threw = false;
    try {
        setAutostart(enable, QStringLiteral("/usr/bin/almarik"));
    } catch (const AppError &) {
        threw = true;
    }
    QCOMPARE(threw, enable);
    QVERIFY(!autostartEnabled());
    QCOMPARE(QFileInfo(path).isDir(), isFolder);
    if (!isFolder) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("kept"));
    }
    QFile::remove(path);
}

QTEST_APPLESS_MAIN(TestAutostart)
#include "tst_autostart.moc"
