// SPDX-License-Identifier: GPL-3.0-or-later
// "Daily Notification": the units written for the open database, checked
// by systemd-analyze, switched through a fake systemctl (no test reaches the
// user's manager), and every refusal leaving the folder as it was.

#include "editor/FileBytes.h"
#include "platform/AppError.h"
#include "startup/DailyNotification.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

// What a switch said when it refused, "" when it did not.
QString refusal(const std::function<void()> &step)
{
    try {
        step();
    } catch (const AppError &e) {
        return e.description();
    }
    return {};
}

class TestDailyNotification : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void switching();
    void verified();
    void refused_data();
    void refused();

private:
    QStringList calls() const;
    QStringList unitFolder() const
    {
        return QDir(systemdUserFolder())
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    }

    TestEnv m_env;
    QString m_systemctl;
    QString m_database;
};

void TestDailyNotification::initTestCase()
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

void TestDailyNotification::init()
{
    QFile::remove(m_env.path(QStringLiteral("calls")));
    qunsetenv("FAKE_FAIL");
}

QStringList TestDailyNotification::calls() const
{
    QFile f(m_env.path(QStringLiteral("calls")));
    f.open(QIODevice::ReadOnly); // none before the first call
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void TestDailyNotification::switching()
{
    setDailyNotification(true, QStringLiteral(ALMARIK_LIST), m_database, m_systemctl);
    QVERIFY(dailyNotificationEnabled());
    QCOMPARE(calls(),
             (QStringList{"--user daemon-reload", "--user enable --now almarik-notify.timer"}));
    QFile service(systemdUserFolder() + QStringLiteral("/almarik-notify.service"));
    QVERIFY(service.open(QIODevice::ReadOnly));
    // Quoted as systemd reads it: no specifier, variable or quote is taken.
    const QString exec = QStringLiteral("ExecStart=\"") + QStringLiteral(ALMARIK_LIST) +
                         "\" --notify --database \"" + m_env.root() +
                         "/my \\\"events\\\" 100%%$$HOME.mdb\"";
    QCOMPARE(QString::fromUtf8(service.readAll()).section('\n', 5, 5), exec);
    QCOMPARE(QString::fromUtf8(dailyTimerText()).split('\n').filter("OnCalendar=").value(0),
             "OnCalendar=*-*-* 09:00:00");

    setDailyNotification(false, QStringLiteral(ALMARIK_LIST), m_database, m_systemctl);
    QVERIFY(!dailyNotificationEnabled());
    QCOMPARE(calls().mid(2),
             (QStringList{"--user disable --now almarik-notify.timer", "--user daemon-reload"}));
    QCOMPARE(unitFolder(), QStringList{"timers.target.wants"});
}

// The units as written pass systemd's own checks (the service's program
// must exist: it is the built almarik-list).
void TestDailyNotification::verified()
{
    const QString analyze = QStandardPaths::findExecutable(QStringLiteral("systemd-analyze"));
    if (analyze.isEmpty())
        QSKIP("systemd-analyze is not installed: the units are not verified");
    setDailyNotification(true, QStringLiteral(ALMARIK_LIST), m_database, m_systemctl);
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(analyze, {"--user", "verify", systemdUserFolder() + "/almarik-notify.timer",
                      systemdUserFolder() + "/almarik-notify.service"});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(QString::fromUtf8(p.readAll()), QString());
    QCOMPARE(p.exitCode(), 0);
    setDailyNotification(false, QStringLiteral(ALMARIK_LIST), m_database, m_systemctl);
}

void TestDailyNotification::refused_data()
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

void TestDailyNotification::refused()
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

QTEST_APPLESS_MAIN(TestDailyNotification)
#include "tst_dailynotification.moc"
