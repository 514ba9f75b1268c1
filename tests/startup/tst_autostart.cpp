// SPDX-License-Identifier: GPL-3.0-or-later
// "Start at Login": the autostart entry's text (the program and the
// database quoted as the desktop entry format wants), switching it on and
// off, an entry the desktop switched off, and failures that leave the
// entry as it was.

#include "editor/FileBytes.h"
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
    void switching();
    void database_data();
    void database();
    void switchedOff_data();
    void switchedOff();
    void failure_data();
    void failure();

private:
    TestEnv m_env;
};

void TestAutostart::switching()
{
    const QString entry = m_env.path(QStringLiteral("config/autostart/almarik.desktop"));
    // Quoted and escaped as desktop entries want: blank, quote, percent, dollar.
    setAutostart(true, QStringLiteral("/opt/my \"apps\" 100%$/almarik"));
    QVERIFY(autostartEnabled());
    const auto text = [&entry] { return fileBytes(entry); };
    QCOMPARE(text(), QByteArray("[Desktop Entry]\n"
                                "Type=Application\n"
                                "Name=Almarik\n"
                                "Comment=This month's birthdays, anniversaries and reminders\n"
                                "Exec=\"/opt/my \\\\\"apps\\\\\" 100%%\\\\$/almarik\"\n"
                                "Icon=almarik\n"
                                "Terminal=false\n"
                                "X-GNOME-Autostart-enabled=true\n"));
    // Switched on again from another place: the entry names the new one.
    setAutostart(true, QStringLiteral("/opt/almarik"));
    QVERIFY(text().contains("\nExec=/opt/almarik\n"));
    setAutostart(false, QStringLiteral("/opt/almarik"));
    QVERIFY(!QFile::exists(entry) && !autostartEnabled());
    setAutostart(false, QStringLiteral("/opt/almarik")); // already off: nothing to do
}

void TestAutostart::database_data()
{
    // database: the open one, "~" for the test's home; exec: the Exec value
    // for program /usr/bin/almarik, "" when the entry cannot hold it.
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("exec");
    const auto row = [](const char *name, const char *database, const char *exec) {
        QTest::newRow(name) << QString(database) << QString(exec);
    };
    row("the user's own: found without arguments", "~/data/Almarik2/Almarik.MDB",
        "/usr/bin/almarik");
    row("the one beside the program", "~/bin/Almarik.MDB", "/usr/bin/almarik");
    row("another, quoted", "~/my events 100%.mdb", "/usr/bin/almarik \"~/my events 100%%.mdb\"");
    row("a relative path made absolute", "rel.mdb", "/usr/bin/almarik ~/rel.mdb");
    row("a line break escaped", "~/a\nb.mdb", "/usr/bin/almarik \"~/a\\nb.mdb\"");
    row("another control character refused", "~/a\x01b.mdb", "");
}

void TestAutostart::database()
{
    QFETCH(QString, database);
    QFETCH(QString, exec);
    const QString home = m_env.root();
    const QString bin = m_env.path(QStringLiteral("bin"));
    QVERIFY(QDir().mkpath(bin));
    const QString beside = bin + QStringLiteral("/Almarik.MDB");
    writeBytes(beside, {});
    QVERIFY(QDir::setCurrent(home));
    database.replace(QLatin1Char('~'), home);
    // Beside the program wins the search; the user's own counts only without it.
    const QString folder = database.contains(QStringLiteral("/data/")) ? home : bin;
    QString text;
    try {
        text = QString::fromUtf8(autostartEntryText(QStringLiteral("/usr/bin/almarik"),
                                                    autostartDatabase(database, folder)));
    } catch (const AppError &e) {
        QCOMPARE(e.description(), "The path '" + database +
                                      "' holds a control character, which a desktop entry "
                                      "cannot hold.");
    }
    QCOMPARE(text.section(QStringLiteral("\nExec="), 1).section(QLatin1Char('\n'), 0, 0),
             exec.replace(QLatin1Char('~'), home));
    QFile::remove(beside);
}

void TestAutostart::switchedOff_data()
{
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<bool>("enabled");
    const QByteArray head = "[Desktop Entry]\nType=Application\nExec=/usr/bin/almarik\n";
    QTest::newRow("as written") << head + "X-GNOME-Autostart-enabled=true\n" << true;
    QTest::newRow("Hidden, as Xfce writes it") << head + "Hidden = true\n" << false;
    QTest::newRow("GNOME's switch off") << head + "X-GNOME-Autostart-enabled=false\n" << false;
    QTest::newRow("Hidden=false") << head + "Hidden=false\n" << true;
    QTest::newRow("Hidden in another group") << head + "[Desktop Action x]\nHidden=true\n" << true;
}

// The menu shows the desktop's switch; switching on writes the entry anew.
void TestAutostart::switchedOff()
{
    QFETCH(QByteArray, entry);
    const QString path = autostartEntryPath();
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    writeBytes(path, entry);
    QTEST(autostartEnabled(), "enabled");
    setAutostart(true, QStringLiteral("/usr/bin/almarik"));
    QVERIFY(autostartEnabled());
    QCOMPARE(fileBytes(path), autostartEntryText(QStringLiteral("/usr/bin/almarik")));
    setAutostart(false, QStringLiteral("/usr/bin/almarik"));
}

void TestAutostart::failure_data()
{
    QTest::addColumn<QString>("blocker"); // a folder or file in the way
    QTest::addColumn<bool>("isFolder");
    QTest::addColumn<QString>("message"); // %1: the entry's path
    QTest::newRow("autostart is a file") << "autostart" << false << "Path not found: %1";
    QTest::newRow("the entry is a folder")
        << "autostart/almarik.desktop" << true << "Path/File access error: %1";
}

void TestAutostart::failure()
{
    QFETCH(QString, blocker);
    QFETCH(bool, isFolder);
    QFETCH(QString, message);
    QVERIFY(QDir(m_env.path(QStringLiteral("config/autostart"))).removeRecursively());
    const QString path = m_env.path(QStringLiteral("config/") + blocker);
    QVERIFY(QDir().mkpath(isFolder ? path : QFileInfo(path).absolutePath()));
    if (!isFolder)
        writeBytes(path, "kept");
    QString thrown;
    try {
        setAutostart(true, QStringLiteral("/usr/bin/almarik"));
    } catch (const AppError &e) {
        thrown = e.description();
    }
    QCOMPARE(thrown, message.arg(autostartEntryPath()));
    QVERIFY(!autostartEnabled());
    QCOMPARE(QFileInfo(path).isDir(), isFolder);
    QVERIFY(isFolder || fileBytes(path) == "kept");
    QFile::remove(path);
}

QTEST_APPLESS_MAIN(TestAutostart)
#include "tst_autostart.moc"
