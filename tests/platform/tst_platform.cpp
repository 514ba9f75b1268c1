// The platform stand-ins without windows: the settings store, the file
// test and the file errors in the program's terms.

#include "platform/AppError.h"
#include "platform/Files.h"
#include "platform/Settings.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <cerrno>
#include <unistd.h>

class TestPlatform : public QObject
{
    Q_OBJECT
private slots:
    void settingsRoundTrip_data();
    void settingsRoundTrip();
    void settingDefault();
    void settingsLiveInTheTestFolder();
    void settingToBool_data();
    void settingToBool();
    void fileExists_data();
    void fileExists();
    void fileError_data();
    void fileError();

private:
    // QSettings finds its folder once per process, so one home serves
    // every test of this program.
    TestEnv m_env;
};

void TestPlatform::settingsRoundTrip_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("option") << "StartOnce"
                            << "True";
    QTest::newRow("colour number") << "Colour0"
                                   << "16777215";
    QTest::newRow("date text") << "LastStart"
                               << "12/06/2026";
    QTest::newRow("empty text") << "RecentEvents"
                                << "";
    QTest::newRow("blanks kept") << "Colour1"
                                 << "  8421504 ";
    QTest::newRow("comma not a list") << "Colour2"
                                      << "1, 2";
    QTest::newRow("INI specials") << "Colour3"
                                  << "a=b;c#d [e] \"f\" \\g";
    QTest::newRow("non-ASCII") << "Colour4"
                               << "Grüße, Ærø";
    QTest::newRow("number-looking text stays text") << "Colour5"
                                                    << "00042";
}

void TestPlatform::settingsRoundTrip()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    SaveSetting(key, value);
    QCOMPARE(GetSetting(key, QStringLiteral("default")), value);
    SaveSetting(key, QStringLiteral("second"));
    QCOMPARE(GetSetting(key, QStringLiteral("default")), QStringLiteral("second"));
    SaveSetting(key, value);
    QCOMPARE(GetSetting(key, QString()), value);
}

void TestPlatform::settingDefault()
{
    QCOMPARE(GetSetting(QStringLiteral("NeverWritten"), QStringLiteral("False")),
             QStringLiteral("False"));
    QCOMPARE(GetSetting(QStringLiteral("NeverWritten"), QString()), QString());
}

void TestPlatform::settingsLiveInTheTestFolder()
{
    SaveSetting(QStringLiteral("ChangeWallpaper"), QStringLiteral("False"));
    const QString file = m_env.path(QStringLiteral("config/Almarik2/Almarik2.ini"));
    QFile f(file);
    QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(file));
    const QByteArray text = f.readAll();
    QVERIFY(text.contains("[Settings]"));
    QVERIFY(text.contains("ChangeWallpaper=False"));
}

void TestPlatform::settingToBool_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");
    QTest::newRow("True") << "True" << true;
    QTest::newRow("true") << "true" << true;
    QTest::newRow("TRUE with blanks") << " TRUE " << true;
    QTest::newRow("False") << "False" << false;
    QTest::newRow("minus one") << "-1" << true;
    QTest::newRow("one") << "1" << true;
    QTest::newRow("zero") << "0" << false;
    QTest::newRow("fraction") << "0.5" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("yes is not a truth value") << "yes" << false;
    QTest::newRow("words") << "True story" << false;
}

void TestPlatform::settingToBool()
{
    QFETCH(QString, text);
    QFETCH(bool, expected);
    QCOMPARE(::settingToBool(text), expected);
    QCOMPARE(::settingToBool(boolToSetting(expected)), expected);
}

void TestPlatform::fileExists_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("expected");
    QTest::newRow("existing file") << "file" << true;
    QTest::newRow("empty file") << "empty" << true;
    QTest::newRow("missing file") << "missing" << false;
    QTest::newRow("file in a missing folder") << "missing folder" << false;
    QTest::newRow("folder") << "folder" << false;
    QTest::newRow("empty path") << "empty path" << false;
    QTest::newRow("unreadable but existing") << "unreadable" << true;
}

void TestPlatform::fileExists()
{
    QFETCH(QString, kind);
    QFETCH(bool, expected);
    const QString folder =
        m_env.path(QStringLiteral("files/") + QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(QDir().mkpath(folder));
    QString path = folder + QStringLiteral("/Almarik.MDB");
    if (kind == QLatin1String("file") || kind == QLatin1String("empty") ||
        kind == QLatin1String("unreadable")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        if (kind != QLatin1String("empty"))
            f.write("data");
        f.close();
        if (kind == QLatin1String("unreadable")) {
            if (::geteuid() == 0)
                QSKIP("root can read any file");
            QVERIFY(f.setPermissions({}));
        }
    } else if (kind == QLatin1String("missing folder")) {
        path = folder + QStringLiteral("/nowhere/Almarik.MDB");
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(path));
    } else if (kind == QLatin1String("empty path")) {
        path.clear();
    }
    QCOMPARE(FileExists(path), expected);
}

void TestPlatform::fileError_data()
{
    QTest::addColumn<int>("errnoValue");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description");
    QTest::newRow("no such file") << ENOENT << 53 << "File not found";
    QTest::newRow("not a folder on the way") << ENOTDIR << 76 << "Path not found";
    QTest::newRow("access") << EACCES << 70 << "Permission denied";
    QTest::newRow("not permitted") << EPERM << 70 << "Permission denied";
    QTest::newRow("read-only file system") << EROFS << 70 << "Permission denied";
    QTest::newRow("name too long") << ENAMETOOLONG << 52 << "Bad file name or number";
    QTest::newRow("input/output") << EIO << 57 << "Device I/O error";
    QTest::newRow("disk full") << ENOSPC << 61 << "Disk full";
    QTest::newRow("anything else") << EISDIR << 75 << "Path/File access error";
}

void TestPlatform::fileError()
{
    QFETCH(int, errnoValue);
    QFETCH(int, number);
    QFETCH(QString, description);
    const AppError e = ::fileError(errnoValue, QStringLiteral("/tmp/x.txt"));
    QCOMPARE(e.number(), number);
    QCOMPARE(e.description(), description);
}

QTEST_APPLESS_MAIN(TestPlatform)
#include "tst_platform.moc"
