// SPDX-License-Identifier: GPL-3.0-or-later
// almarik-list run as a process over a small database: its output in each
// format (which rows are listed is the month list's rule, tst_startup),
// its options, failures and exit codes, that it leaves the database as it
// was, that a write in progress or interrupted does not stop it, and its
// notification, sent to a fake service on a private session bus.

#include "editor/FileBytes.h"
#include "platform/Settings.h"
#include "startup/StartupSettings.h"
#include "support/CalendarRows.h"
#include "support/TestDatabase.h"

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <sqlite3.h>

// Stands in for the desktop's notification service and keeps what it got.
class FakeNotifications : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList received; // "app|icon|summary|body|desktop-entry" per call
    QStringList capabilities;

public slots:
    QStringList GetCapabilities() { return capabilities; }
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
    void runs_data();
    void runs();
    void defaultSearchAndSetting();
    void notify();
    void writes_data();
    void writes();

private:
    struct Run
    {
        int status = -1;
        QString out, err;
    };
    Run run(const QStringList &arguments);

    TestEnv m_env;
    QString m_db;
    QProcessEnvironment m_extraEnv;
};

namespace {

void exec(Connection &db, const char *sql)
{
    db.check(sqlite3_exec(db.handle(), sql, nullptr, nullptr, nullptr));
}

// Fills the open transaction's change past SQLite's page cache, so that it
// reaches the files before any commit.
void spill(Connection &db)
{
    exec(db, "PRAGMA cache_size=10");
    exec(db, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
             "INSERT INTO Calendar (Dates, Description, Details, ShowOnce) "
             "SELECT '2000-12-05', 'spilt', hex(randomblob(1500)), 0 FROM n");
}

const QStringList kToday{"--date", "2026-12-05", "--days", "1", "--no-recent"};
const QString kTodayText = "05-12-2026  Today!!   0  once  Ida  reminder\n";

} // namespace

void TestListProgram::initTestCase()
{
    m_db = m_env.path("events.mdb");
    Connection db;
    newDatabase(m_db, db);
    // Descriptions hold a tab, quotes and a backslash for the tsv and json
    // escapes; Eve has no type; Ida is a one-off the window's purge would take.
    addEvents(db, {"(#12/31/2000#, 'holiday', 'New Year''s Eve', Null, False)",
                   "(#2/27/2027#, 'reminder', 'Due\tsoon', Null, True)",
                   "(#12/4/1980#, Null, 'Eve \"q\" \\ x', Null, False)",
                   "(#12/5/2026#, 'reminder', 'Ida', Null, True)",
                   "(#1/3/1990#, 'anniversary', 'Jo', Null, False)"});
    // An older table, without icon and ShowOnce.
    Connection old;
    old.Create(m_env.path("old.mdb"));
    exec(old, "CREATE TABLE Calendar (Dates DATETIME, Description VARCHAR(50))");
    exec(old, "INSERT INTO Calendar VALUES ('1990-12-05 00:00:00', 'Ida')");
}

TestListProgram::Run TestListProgram::run(const QStringList &arguments)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(m_extraEnv);
    p.setProcessEnvironment(env);
    // Waiting in an event loop lets the fake service in this process answer.
    QSignalSpy finished(&p, &QProcess::finished);
    p.start(QStringLiteral(ALMARIK_LIST), arguments);
    if (!finished.wait(60000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

void TestListProgram::runs_data()
{
    // A listing (status 0) reads the test's database, unless it names
    // another ("~": the test's home), and its text is the whole standard
    // output; a failure's is the whole standard error.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("text");
    const auto add = [](const char *name, const char *args, int status, const QString &text) {
        QTest::newRow(name) << QString::fromUtf8(args).split(QLatin1Char(' ')) << status << text;
    };
    add("recent on: the last two days", "--date 2027-01-05 --recent --days 1", 0,
        "03-01-1990  37 Years  -2  Jo  anniversary\n");
    // (json's layout is Qt's; its content is compared.)
    add("json: no type is null, escapes", "--date=2026-12-03 --no-recent --days=1 --format=json", 0,
        "[{\"date\":\"04-12-1980\",\"days\":1,\"description\":\"Eve \\\"q\\\" \\\\ x\","
        "\"once\":false,\"type\":null,\"years\":\"46 Years\"}]");
    add("a whole year ahead", "--date 2026-03-02 --days 366 --no-recent --format tsv", 0,
        "date\tyears\tdays\tdescription\ttype\tonce\n"
        "04-12-1980\t46 Years\t277\tEve \"q\" \\\\ x\t\t0\n"
        "05-12-2026\t\t278\tIda\treminder\t1\n"
        "31-12-2000\t26 Years\t304\tNew Year's Eve\tholiday\t0\n"
        "03-01-1990\t37 Years\t307\tJo\tanniversary\t0\n"
        "27-02-2027\t\t362\tDue\\tsoon\treminder\t1\n");
    // An older table without icon and ShowOnce lists its events as the window
    // does, with no types or marks.
    add("an older table", "--database ~/old.mdb --date 2026-12-05 --days 1 --no-recent", 0,
        "05-12-1990  36 Years   0  Ida\n");
    const QString tryHelp = "\nTry 'almarik-list --help' for more information.\n";
    add("unknown option", "--colour", 1, "almarik-list: unrecognized option '--colour'" + tryHelp);
    add("missing database", "--database /nonexistent/a.mdb", 2,
        "almarik-list: /nonexistent/a.mdb: Could not find file '/nonexistent/a.mdb'.\n");
    add("the Windows version's file", "--database " ACCESS_DATA "/Almarik-small.mdb", 2,
        "almarik-list: " ACCESS_DATA "/Almarik-small.mdb: made by the Windows version of "
        "Almarik; open it once in the Almarik window to convert it\n");
}

void TestListProgram::runs()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, text);
    arguments.replaceInStrings("~", m_env.root());
    const QByteArray before = fileBytes(m_db);
    const Run r = run((status ? QStringList() : QStringList{"--database", m_db}) + arguments);
    QString got = status ? r.err : r.out;
    if (text.startsWith('['))
        got = QJsonDocument::fromJson(got.toUtf8()).toJson(QJsonDocument::Compact);
    QCOMPARE(got, text);
    // The status, and nothing on the other stream.
    QCOMPARE(QString::number(r.status) + (status ? r.out : r.err), QString::number(status));
    QCOMPARE(fileBytes(m_db), before);
}

// With no --database the user's data folder is searched (never created),
// and --recent follows the window's setting.
void TestListProgram::defaultSearchAndSetting()
{
    const QString own = m_env.path("data/Almarik2");
    const QStringList day{"--date", "2026-12-05", "--days", "1"};
    Run r = run(day);
    QCOMPARE(r.status, 2);
    QVERIFY2(r.err.startsWith("almarik-list: no event database: neither "), qPrintable(r.err));
    QVERIFY(!QFileInfo::exists(own));

    QVERIFY(QDir().mkpath(own));
    QVERIFY(QFile::copy(m_db, own + "/Almarik.MDB"));
    r = run(day);
    QCOMPARE(r.out, kTodayText);
    SaveSetting(SettingKey::RecentEvents, "True");
    r = run(day);
    QCOMPARE(r.out, QStringLiteral("04-12-1980  46 Years  -1        Eve \"q\" \\ x\n"
                                   "05-12-2026  Today!!    0  once  Ida          reminder\n"));
}

void TestListProgram::notify()
{
    const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
    if (daemon.isEmpty())
        QSKIP("dbus-daemon is not installed: the notification is not tried");
    // A session bus of our own. It looks for service files under the XDG
    // data folders, so with TestEnv's empty ones nothing real is started.
    QProcess bus;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_DIRS", m_env.path("xdg"));
    bus.setProcessEnvironment(env);
    bus.start(daemon, {"--session", "--print-address", "--nofork"});
    QVERIFY(bus.waitForReadyRead(10000));
    const QString address = QString::fromUtf8(bus.readLine()).trimmed();
    m_extraEnv.insert("DBUS_SESSION_BUS_ADDRESS", address);
    const auto notify = [&](const QString &date) {
        return run({"--notify", "--recent", "--database", m_db, "--date", date});
    };
    Run r = notify("2026-12-04");
    QCOMPARE(r.err.section(" (", 0, 0), "almarik-list: no desktop notification service answered");
    QCOMPARE(r.status, 3);
    FakeNotifications fake;
    {
        QDBusConnection connection = QDBusConnection::connectToBus(address, "fake");
        QVERIFY(connection.registerObject("/org/freedesktop/Notifications", &fake,
                                          QDBusConnection::ExportAllSlots));
        QVERIFY(connection.registerService("org.freedesktop.Notifications"));
        // Nothing today or tomorrow: nothing sent.
        QCOMPARE(notify("2026-06-15").status, 0);
        r = notify("2026-12-04");
        // A server that reads markup gets the text escaped.
        fake.capabilities = QStringList{"body", "body-markup"};
        QCOMPARE(notify("2026-12-04").status, 0);
    }
    QDBusConnection::disconnectFromBus("fake");
    m_extraEnv.clear();
    bus.terminate();
    bus.waitForFinished(5000);
    QCOMPARE(QString::number(r.status) + r.out + r.err, "0");
    QCOMPARE(fake.received,
             (QStringList{"Almarik|almarik|Almarik|Today: Eve \"q\" \\ x (46 Years)\n"
                          "Tomorrow: Ida|almarik",
                          "Almarik|almarik|Almarik|Today: Eve &quot;q&quot; \\ x (46 Years)\n"
                          "Tomorrow: Ida|almarik"}));
}

void TestListProgram::writes_data()
{
    // A write held open (the SQL builder's question) keeps nobody from
    // reading the last committed events; a crash in the middle of one is
    // taken as a copy of the files then.
    QTest::addColumn<QString>(
        "write"); // "held", or a crash in the "log" or an old file's "journal"
    QTest::addColumn<QString>("refusal"); // %1: the copy; "" when it is read at once
    QTest::newRow("held open: the committed events") << "held" << QString();
    QTest::newRow("the log: the committed events") << "log" << QString();
    QTest::newRow("an old file's journal: refused until a writer undoes it")
        << "journal"
        << QStringLiteral("almarik-list: %1: '%1' holds a write that was interrupted; only a "
                          "program that may write it can undo that. Open it once in the Almarik "
                          "window.\n");
}

void TestListProgram::writes()
{
    QFETCH(QString, write);
    QFETCH(QString, refusal);
    const QString path = m_env.path(write + ".mdb");
    const QString copy = m_env.path(write + "/Almarik.MDB");
    const QString read = write == "held" ? path : copy;
    QVERIFY(QDir().mkpath(QFileInfo(copy).absolutePath()));
    QVERIFY(QFile::copy(m_db, path));
    Run r;
    {
        Connection writer;
        writer.Open(Connection::connectionStringFor(path));
        if (write == "journal")
            exec(writer, "PRAGMA journal_mode=DELETE");
        exec(writer, "BEGIN EXCLUSIVE");
        exec(writer, "DELETE FROM Calendar");
        spill(writer);
        if (read == copy) {
            QVERIFY(QFile::copy(path, copy));
            // The index beside a log is rebuilt from the log: not copied.
            const QString side = path + (write == "log" ? "-wal" : "-journal");
            QVERIFY(QFile::copy(side, copy + side.mid(path.size())));
        }
        r = run(QStringList{"--database", read} + kToday);
        writer.RollbackTrans();
    }
    QCOMPARE(r.out + r.err, refusal.isEmpty() ? kTodayText : refusal.arg(copy));
    QCOMPARE(r.status, refusal.isEmpty() ? 0 : 2);
    // The window's own opening takes the write up; then the copy reads.
    Connection window;
    window.Open(Connection::connectionStringFor(read));
    window.Close();
    r = run(QStringList{"--database", read} + kToday);
    QCOMPARE(r.out + r.err, kTodayText);
}

QTEST_GUILESS_MAIN(TestListProgram)
#include "tst_listprogram.moc"
