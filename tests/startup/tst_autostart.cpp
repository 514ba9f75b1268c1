// SPDX-License-Identifier: GPL-3.0-or-later
// What Almarik sets up in the user's session. "Start at Login": the
// autostart entry's text (the program and the database quoted as the
// desktop entry format wants), switching it on and off, an entry the
// desktop switched off, and failures that leave the entry as it was.
// "Daily Notification": the units written for the open database, checked
// by systemd-analyze, switched through a fake systemctl (no test reaches the
// user's manager), and every refusal leaving the folder as it was.

#include "editor/FileBytes.h"
#include "platform/AppError.h"
#include "startup/Autostart.h"
#include "startup/DailyNotification.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

// What a step said when it refused, "" when it did not.
QString refusal(const std::function<void()> &step)
{
    try {
        step();
    } catch (const AppError &e) {
        return e.description();
    }
    return {};
}

class TestAutostart : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void switching();
    void database_data();
    void database();
    void switchedOff_data();
    void switchedOff();
    void failure_data();
    void failure();
    void notificationSwitching();
    void notificationRefused_data();
    void notificationRefused();

private:
    // The fake systemctl's calls so far.
    QStringList calls() const
    {
        return QString::fromUtf8(fileBytes(m_env.path(QStringLiteral("calls"))))
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    QStringList unitFolder() const
    {
        return QDir(systemdUserFolder())
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    }

    TestEnv m_env;
    QString m_systemctl;
    QString m_database;
};

void TestAutostart::initTestCase()
{
    // Logs its arguments, fails the step FAKE_FAIL names as systemctl does
    // without a bus, and links and unlinks the timer as enabling does.
    m_systemctl = m_env.path(QStringLiteral("systemctl"));
    writeBytes(m_systemctl, "#!/bin/sh\n"
                            "echo \"$*\" >> \"$FAKE_LOG\"\n"
                            "if [ -n \"$FAKE_FAIL\" ] && [ \"$2\" = \"$FAKE_FAIL\" ]; then\n"
                            "  echo 'Failed to connect to bus: No medium found' >&2; exit 1\n"
                            "fi\n"
                            "wants=\"$XDG_CONFIG_HOME/systemd/user/timers.target.wants\"\n"
                            "case \"$2\" in\n"
                            "  enable) mkdir -p \"$wants\" && ln -sf ../$4 \"$wants/$4\" ;;\n"
                            "  disable) rm -f \"$wants/$4\" ;;\n"
                            "esac\n");
    QVERIFY(
        QFile::setPermissions(m_systemctl, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    qputenv("FAKE_LOG", m_env.path(QStringLiteral("calls")).toUtf8());
    m_database = m_env.path(QStringLiteral("my \"events\" 100%$HOME.mdb"));
}

void TestAutostart::init()
{
    QFile::remove(m_env.path(QStringLiteral("calls")));
    qunsetenv("FAKE_FAIL");
}

void TestAutostart::switching()
{
    const QString entry = m_env.path(QStringLiteral("config/autostart/almarik.desktop"));
    // Quoted and escaped as desktop entries want: blank, quote, percent, dollar.
    // (That the entry then shows ticked is switchedOff's.)
    setAutostart(true, QStringLiteral("/opt/my \"apps\" 100%$/almarik"));
    QCOMPARE(fileBytes(entry),
             QByteArray("[Desktop Entry]\n"
                        "Type=Application\n"
                        "Name=Almarik\n"
                        "Comment=This month's birthdays, anniversaries and reminders\n"
                        "Exec=\"/opt/my \\\\\"apps\\\\\" 100%%\\\\$/almarik\"\n"
                        "Icon=almarik\n"
                        "Terminal=false\n"
                        "X-GNOME-Autostart-enabled=true\n"));
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
    writeBytes(bin + QStringLiteral("/Almarik.MDB"), {});
    QVERIFY(QDir::setCurrent(home));
    database.replace(QLatin1Char('~'), home);
    // Beside the program wins the search; the user's own counts only without it.
    const QString folder = database.contains(QStringLiteral("/data/")) ? home : bin;
    // The refusal, or the entry's Exec value.
    QString text;
    const QString refused = refusal([&] {
        text = QString::fromUtf8(autostartEntryText(QStringLiteral("/usr/bin/almarik"),
                                                    autostartDatabase(database, folder)));
    });
    QCOMPARE(refused + text.section(QStringLiteral("\nExec="), 1).section(QLatin1Char('\n'), 0, 0),
             exec.isEmpty() ? "The path '" + database +
                                  "' holds a control character, which a desktop entry cannot hold."
                            : exec.replace(QLatin1Char('~'), home));
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

// The menu shows the desktop's switch; switching on writes the entry anew
// (for the program now running, too).
void TestAutostart::switchedOff()
{
    QFETCH(QByteArray, entry);
    const QString path = autostartEntryPath();
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    writeBytes(path, entry);
    QTEST(autostartEnabled(), "enabled");
    setAutostart(true, QStringLiteral("/opt/almarik"));
    QVERIFY(autostartEnabled());
    QCOMPARE(fileBytes(path), autostartEntryText(QStringLiteral("/opt/almarik")));
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
    QCOMPARE(refusal([] { setAutostart(true, QStringLiteral("/usr/bin/almarik")); }),
             message.arg(autostartEntryPath()));
    QVERIFY(!autostartEnabled());
    QCOMPARE(QFileInfo(path).isDir(), isFolder);
    QVERIFY(isFolder || fileBytes(path) == "kept");
    QFile::remove(path);
}

void TestAutostart::notificationSwitching()
{
    setDailyNotification(true, QStringLiteral(ALMARIK_LIST), m_database, m_systemctl);
    QVERIFY(dailyNotificationEnabled());
    QCOMPARE(calls(),
             (QStringList{"--user daemon-reload", "--user enable --now almarik-notify.timer"}));
    // Quoted as systemd reads it: no specifier, variable or quote is taken.
    const QString exec = QStringLiteral("ExecStart=\"") + QStringLiteral(ALMARIK_LIST) +
                         "\" --notify --database \"" + m_env.root() +
                         "/my \\\"events\\\" 100%%$$HOME.mdb\"";
    QCOMPARE(QString::fromUtf8(fileBytes(systemdUserFolder() + "/almarik-notify.service"))
                 .section('\n', 5, 5),
             exec);
    QCOMPARE(QString::fromUtf8(dailyTimerText()).split('\n').filter("OnCalendar=").value(0),
             "OnCalendar=*-*-* 09:00:00");

    setDailyNotification(false, QStringLiteral(ALMARIK_LIST), m_database, m_systemctl);
    QVERIFY(!dailyNotificationEnabled());
    QCOMPARE(calls().mid(2),
             (QStringList{"--user disable --now almarik-notify.timer", "--user daemon-reload"}));
    QCOMPARE(unitFolder(), QStringList{"timers.target.wants"});

    // The units as written pass systemd's own checks (the service's program
    // must exist: it is the built almarik-list).
    const QString analyze = QStandardPaths::findExecutable(QStringLiteral("systemd-analyze"));
    if (analyze.isEmpty())
        QSKIP("systemd-analyze is not installed: the units are not verified");
    setDailyNotification(true, QStringLiteral(ALMARIK_LIST), m_database, m_systemctl);
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(analyze, {"--user", "verify", systemdUserFolder() + "/almarik-notify.timer",
                      systemdUserFolder() + "/almarik-notify.service"});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(QString::number(p.exitCode()) + QString::fromUtf8(p.readAll()), "0");
}

void TestAutostart::notificationRefused_data()
{
    QTest::addColumn<bool>("systemctl");
    QTest::addColumn<QString>("program"); // "" : the built almarik-list
    QTest::addColumn<QString>("fail");    // the systemctl step that fails
    QTest::addColumn<QString>("message");
    const auto row = [](const char *name, bool systemctl, const char *program, const char *fail,
                        const QString &message) {
        QTest::newRow(name) << systemctl << QString(program) << QString(fail) << message;
    };
    const QString noBus = "failed: Failed to connect to bus: No medium found. Nothing was changed.";
    row("no systemctl", false, "", "",
        "Daily Notification needs systemd's user manager, and systemctl was not found. Nothing was "
        "written.");
    row("no almarik-list", true, "/nonexistent/almarik-list", "",
        "'/nonexistent/almarik-list' was not found. Nothing was written.");
    row("no user manager", true, "", "daemon-reload", "systemctl --user daemon-reload " + noBus);
    row("enabling fails", true, "", "enable",
        "systemctl --user enable --now almarik-notify.timer " + noBus);
}

void TestAutostart::notificationRefused()
{
    QFETCH(bool, systemctl);
    QFETCH(QString, program);
    QFETCH(QString, fail);
    QVERIFY(QDir(systemdUserFolder()).removeRecursively());
    qputenv("FAKE_FAIL", fail.toUtf8());
    QTEST(refusal([&] {
              setDailyNotification(true, program.isEmpty() ? QStringLiteral(ALMARIK_LIST) : program,
                                   m_database, systemctl ? m_systemctl : QString());
          }),
          "message");
    QVERIFY(!dailyNotificationEnabled());
    QCOMPARE(unitFolder(), QStringList());

    // Switched on, a failing switch-off keeps the timer, and says so.
    if (fail == QLatin1String("enable")) {
        qunsetenv("FAKE_FAIL");
        setDailyNotification(true, QStringLiteral(ALMARIK_LIST), m_database, m_systemctl);
        qputenv("FAKE_FAIL", "disable");
        QCOMPARE(refusal([&] { setDailyNotification(false, QString(), m_database, m_systemctl); }),
                 "systemctl --user disable --now almarik-notify.timer failed: Failed to "
                 "connect to bus: No medium found. The timer stays as it was.");
        QVERIFY(dailyNotificationEnabled());
    }
}

QTEST_APPLESS_MAIN(TestAutostart)
#include "tst_autostart.moc"
