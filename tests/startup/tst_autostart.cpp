// "Start at Login": the autostart entry's text (the program quoted as the
// desktop entry format wants), switching it on and off, and failures that
// leave the entry as it was.

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
    const auto text = [&entry] {
        QFile f(entry);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
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
    QFile f(path);
    QVERIFY(isFolder || (f.open(QIODevice::WriteOnly) && f.write("kept") == 4 && f.flush()));
    f.close();
    QString thrown;
    try {
        setAutostart(true, QStringLiteral("/usr/bin/almarik"));
    } catch (const AppError &e) {
        thrown = e.description();
    }
    QCOMPARE(thrown, message.arg(autostartEntryPath()));
    QVERIFY(!autostartEnabled());
    QCOMPARE(QFileInfo(path).isDir(), isFolder);
    QVERIFY(isFolder || (f.open(QIODevice::ReadOnly) && f.readAll() == "kept"));
    QFile::remove(path);
}

QTEST_APPLESS_MAIN(TestAutostart)
#include "tst_autostart.moc"
