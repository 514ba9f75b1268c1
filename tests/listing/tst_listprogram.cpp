// almarik-list run as a process over a small database: its whole output for
// a fixed day (year ends, 29 February, the recent days, the formats), its
// options and its failures, that it leaves the database as it was, and its
// notification, sent to a fake service on a private session bus.

#include "platform/Settings.h"
#include "startup/StartupSettings.h"
#include "store/Connection.h"
#include "store/Repair.h"
#include "support/TestEnv.h"

#include <QCryptographicHash>
#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

// Stands in for the desktop's notification service and keeps what it got.
class FakeNotifications : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList received; // "app|icon|summary|body|desktop-entry" per call

public slots:
    uint Notify(const QString &app, uint, const QString &icon, const QString &summary,
                const QString &body, const QStringList &, const QVariantMap &hints, int)
    {
        received << QStringList{app, icon, summary, body, hints.value("desktop-entry").toString()}
                        .join('|');
        return uint(received.size());
    }
};

class TestListProgram : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void listing_data();
    void listing();
    void failure_data();
    void failure();
    void defaultSearchAndSetting();
    void notify_data();
    void notify();
    void cleanupTestCase();

private:
    struct Run
    {
        int status = -1;
        QString out;
        QString err;
    };
    Run run(const QStringList &arguments);
    // The private bus's address, started on first use; "" without dbus-daemon.
    QString busAddress();
    QByteArray fileHash() const;

    TestEnv m_env;
    QString m_db;
    QProcess m_bus;
    QString m_address;
    QProcessEnvironment m_extraEnv;
};

void TestListProgram::initTestCase()
{
    m_db = m_env.path(QStringLiteral("events.mdb"));
    CreateDatabase(m_db);
    Connection db;
    db.Open(m_db);
    // Descriptions hold a tab, quotes and a backslash for the tsv and json
    // escapes; Eve has no type; Ida is a one-off the window's purge would take.
    const char *events[] = {"#1/1/1990#, 'birthday', 'Ann', False",
                            "#12/31/2000#, 'holiday', 'New Year''s Eve', False",
                            "#2/29/2004#, 'doctor', 'Leap', False",
                            "#3/1/2010#, 'memorial', 'March', False",
                            "#2/27/2027#, 'reminder', 'Due\tsoon', True",
                            "#12/4/1980#, Null, 'Eve \"q\" \\ x', False",
                            "#12/5/2026#, 'reminder', 'Ida', True",
                            "#1/3/1990#, 'anniversary', 'Jo', False"};
    for (const char *values : events)
        db.Execute(QStringLiteral("INSERT INTO Calendar (Dates, icon, Description, ShowOnce) "
                                  "VALUES (") +
                   QString::fromUtf8(values) + QLatin1Char(')'));
    db.Close();
}

QByteArray TestListProgram::fileHash() const
{
    QFile f(m_db);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

TestListProgram::Run TestListProgram::run(const QStringList &arguments)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("NO_COLOR"));
    env.insert(m_extraEnv);
    p.setProcessEnvironment(env);
    // Waiting in an event loop lets the fake service in this process answer.
    QSignalSpy finished(&p, &QProcess::finished);
    p.start(QStringLiteral(ALMARIK_LIST), arguments);
    Run r;
    if (!finished.wait(60000))
        return r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

void TestListProgram::listing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected");
    const auto add = [](const char *name, const char *args, const char *out) {
        QTest::newRow(name) << QString::fromUtf8(args).split(QLatin1Char(' '))
                            << QString::fromUtf8(out);
    };
    add("New Year: 31 Dec of a common year", "--date 2026-12-31 --no-recent",
        "31-12-2000  26 Years   0  New Year's Eve  holiday\n"
        "01-01-1990  37 Years   1  Ann             birthday\n"
        "03-01-1990  37 Years   3  Jo              anniversary\n");
    add("New Year: recent on, 1 Jan, not back across the year", "--date 2027-01-01 --recent",
        "01-01-1990  37 Years   0  Ann  birthday\n"
        "03-01-1990  37 Years   2  Jo   anniversary\n");
    add("recent on: the last two days", "--date 2027-01-05 --recent --days 1",
        "03-01-1990  37 Years  -2  Jo  anniversary\n");
    add("a later year: in 1 Years", "--date 2026-02-20 --days 7 --no-recent",
        "27-02-2027  in 1 Years   7  Due\tsoon  reminder\n");
    add("29 Feb on 28 Feb of a common year", "--date 2027-02-28 --days 1 --no-recent",
        "29-02-2004  23 Years   0  Leap   doctor\n"
        "01-03-2010  17 Years   1  March  memorial\n");
    add("29 Feb in a leap year", "--date 2028-02-28 --days 1 --no-recent",
        "29-02-2004  24 Years   1  Leap  doctor\n");
    add("json: no type is null, escapes", "--date=2026-12-03 --no-recent --days=1 --format=json",
        "[\n"
        "    {\n"
        "        \"date\": \"04-12-1980\",\n"
        "        \"days\": 1,\n"
        "        \"description\": \"Eve \\\"q\\\" \\\\ x\",\n"
        "        \"type\": null,\n"
        "        \"years\": \"46 Years\"\n"
        "    }\n"
        "]\n");
    add("a whole year ahead", "--date 2026-03-02 --days 366 --no-recent --format tsv",
        "date\tyears\tdays\tdescription\ttype\n"
        "04-12-1980\t46 Years\t277\tEve \"q\" \\\\ x\t\n"
        "05-12-2026\t\t278\tIda\treminder\n"
        "31-12-2000\t26 Years\t304\tNew Year's Eve\tholiday\n"
        "01-01-1990\t37 Years\t305\tAnn\tbirthday\n"
        "03-01-1990\t37 Years\t307\tJo\tanniversary\n"
        "27-02-2027\t\t362\tDue\\tsoon\treminder\n"
        "29-02-2004\t23 Years\t363\tLeap\tdoctor\n"
        "01-03-2010\t17 Years\t364\tMarch\tmemorial\n");
}

void TestListProgram::listing()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    const QByteArray before = fileHash();
    const Run r = run(QStringList{QStringLiteral("--database"), m_db} + arguments);
    QCOMPARE(r.err, QString());
    QCOMPARE(r.out, expected);
    QCOMPARE(r.status, 0);
    QCOMPARE(fileHash(), before);
}

void TestListProgram::failure_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("error");
    const auto add = [](const char *name, const char *args, int status, const QString &error) {
        QTest::newRow(name) << QString::fromUtf8(args).split(' ') << status
                            << "almarik-list: " + error +
                                   (status == 1
                                        ? "\nTry 'almarik-list --help' for more information.\n"
                                        : "\n");
    };
    add("unknown option", "--colour", 1, "unrecognized option '--colour'");
    add("days 367", "--days=367", 1, "invalid number of days '367' (1 to 366)");
    add("29 February of a common year", "--date 2027-02-29", 1,
        "invalid date '2027-02-29' (YYYY-MM-DD)");
    add("value missing", "--date", 1, "option '--date' requires an argument");
    add("missing database", "--database /nonexistent/a.mdb", 2,
        "/nonexistent/a.mdb: Could not find file '/nonexistent/a.mdb'.");
}

void TestListProgram::failure()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, error);
    const Run r = run(arguments);
    QCOMPARE(r.err, error);
    QCOMPARE(r.out, QString());
    QCOMPARE(r.status, status);
}

// With no --database the user's data folder is searched (never created),
// and --recent follows the window's setting.
void TestListProgram::defaultSearchAndSetting()
{
    const QString own = m_env.path(QStringLiteral("data/Almarik2"));
    const QStringList day{"--date", "2026-12-05", "--days", "1"};
    Run r = run(day);
    QCOMPARE(r.status, 2);
    QVERIFY2(r.err.startsWith(QStringLiteral("almarik-list: no event database: neither ")),
             qPrintable(r.err));
    QVERIFY(!QFileInfo::exists(own));

    QVERIFY(QDir().mkpath(own));
    QVERIFY(QFile::copy(m_db, own + QStringLiteral("/Almarik.MDB")));
    r = run(day);
    QCOMPARE(r.out, QStringLiteral("05-12-2026  Today!!   0  Ida  reminder\n"));
    SaveSetting(SettingKey::RecentEvents, QStringLiteral("True"));
    r = run(day);
    QCOMPARE(r.out, QStringLiteral("04-12-1980  46 Years  -1  Eve \"q\" \\ x\n"
                                   "05-12-2026  Today!!    0  Ida          reminder\n"));
    QCOMPARE(r.status, 0);
}

QString TestListProgram::busAddress()
{
    if (!m_address.isEmpty())
        return m_address;
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty())
        return QString();
    // A session bus of our own. It looks for service files under the XDG
    // data folders, so with TestEnv's empty ones nothing real is started.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_DIRS"), m_env.path(QStringLiteral("xdg")));
    m_bus.setProcessEnvironment(env);
    m_bus.start(daemon, {QStringLiteral("--session"), QStringLiteral("--print-address"),
                         QStringLiteral("--nofork")});
    if (!m_bus.waitForReadyRead(10000))
        return QString();
    m_address = QString::fromUtf8(m_bus.readLine()).trimmed();
    return m_address;
}

void TestListProgram::notify_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<bool>("service");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("received"); // "" : none
    QTest::newRow("today and tomorrow") << "2026-12-04" << true << 0
                                        << "Almarik|almarik|Almarik|Today: Eve \"q\" \\ x (46 "
                                           "Years)\nTomorrow: Ida|almarik";
    QTest::newRow("nothing today or tomorrow") << "2026-06-15" << true << 0 << "";
    QTest::newRow("no service") << "2026-12-04" << false << 3 << "";
}

void TestListProgram::notify()
{
    QFETCH(QString, date);
    QFETCH(bool, service);
    QFETCH(int, status);
    QFETCH(QString, received);
    const QString address = busAddress();
    if (address.isEmpty())
        QSKIP("dbus-daemon is not installed: the notification is not tried");
    QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("fake"));
    QVERIFY(bus.isConnected());
    FakeNotifications fake;
    const QString name = QStringLiteral("org.freedesktop.Notifications");
    QVERIFY(bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &fake,
                               QDBusConnection::ExportAllSlots));
    if (service)
        QVERIFY(bus.registerService(name));
    m_extraEnv.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
    const Run r = run({QStringLiteral("--notify"), QStringLiteral("--recent"),
                       QStringLiteral("--database"), m_db, QStringLiteral("--date"), date});
    m_extraEnv.clear();
    bus.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
    if (service)
        bus.unregisterService(name);
    QCOMPARE(r.out, QString());
    if (service)
        QCOMPARE(r.err, QString());
    else
        QVERIFY2(r.err.startsWith(
                     QStringLiteral("almarik-list: no desktop notification service answered "
                                    "(org.freedesktop.DBus.Error.ServiceUnknown: ")),
                 qPrintable(r.err));
    QCOMPARE(r.status, status);
    QCOMPARE(fake.received, received.isEmpty() ? QStringList() : QStringList{received});
}

void TestListProgram::cleanupTestCase()
{
    QDBusConnection::disconnectFromBus(QStringLiteral("fake"));
    if (m_bus.state() != QProcess::NotRunning) {
        m_bus.terminate();
        m_bus.waitForFinished(5000);
    }
}

QTEST_GUILESS_MAIN(TestListProgram)
#include "tst_listprogram.moc"
