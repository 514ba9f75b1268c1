// The platform stand-ins without windows: the settings store, the file
// test and the file errors in the program's terms.

#include "platform/AppError.h"
#include "platform/Files.h"
#include "platform/Settings.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTest>
#include <cerrno>
#include <unistd.h>

class TestPlatform : public QObject
{
    Q_OBJECT
private slots:
    void settings_data();
    void settings();
    void settingToBool_data();
    void settingToBool();
    void fileExists_data();
    void fileExists();
    void fileError();

private:
    // QSettings finds its folder once per process, so one home serves
    // every test of this program.
    TestEnv m_env;
};

void TestPlatform::settings_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("option") << "True";
    QTest::newRow("empty text") << "";
    QTest::newRow("blanks and a comma kept") << " 1, 2 ";
    QTest::newRow("INI specials") << "a=b;c#d [e] \"f\" \\g";
    QTest::newRow("non-ASCII") << "Grüße, Ærø";
    QTest::newRow("number-looking text stays text") << "00042";
}

void TestPlatform::settings()
{
    QFETCH(QString, value);
    QCOMPARE(GetSetting(QStringLiteral("Colour0"), QStringLiteral("default")),
             QStringLiteral("default"));
    SaveSetting(QStringLiteral("Colour0"), value);
    QCOMPARE(GetSetting(QStringLiteral("Colour0"), QStringLiteral("default")), value);
    QSettings(m_env.path(QStringLiteral("config/Almarik2/Almarik2.ini")), QSettings::IniFormat)
        .remove(QStringLiteral("Settings/Colour0")); // the file the program writes
    QCOMPARE(GetSetting(QStringLiteral("Colour0"), QString()), QString());
}

void TestPlatform::settingToBool_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");
    QTest::newRow("True") << "True" << true;
    QTest::newRow("TRUE with blanks") << " TRUE " << true;
    QTest::newRow("False") << "False" << false;
    QTest::newRow("minus one") << "-1" << true;
    QTest::newRow("zero") << "0" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("words") << "True story" << false;
}

void TestPlatform::settingToBool()
{
    QFETCH(QString, text);
    QFETCH(bool, expected);
    QCOMPARE(::settingToBool(text), expected);
    QCOMPARE(boolToSetting(expected), expected ? QStringLiteral("True") : QStringLiteral("False"));
}

void TestPlatform::fileExists_data()
{
    QTest::addColumn<QString>("name"); // below a fresh folder; "file" and "locked" exist
    QTest::addColumn<bool>("expected");
    QTest::newRow("existing file") << "file" << true;
    QTest::newRow("unreadable but existing") << "locked" << true;
    QTest::newRow("missing file") << "missing" << false;
    QTest::newRow("file in a missing folder") << "nowhere/file" << false;
    QTest::newRow("folder") << "." << false;
}

void TestPlatform::fileExists()
{
    QFETCH(QString, name);
    QFETCH(bool, expected);
    const QString folder = m_env.path(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(QDir().mkpath(folder));
    for (const char *made : {"file", "locked"}) {
        QFile f(folder + QLatin1Char('/') + QLatin1String(made));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    if (name == QLatin1String("locked") && ::geteuid() == 0)
        QSKIP("root can read any file");
    QVERIFY(QFile::setPermissions(folder + QStringLiteral("/locked"), {}));
    QCOMPARE(FileExists(folder + QLatin1Char('/') + name), expected);
    QVERIFY(!FileExists(QString()));
}

void TestPlatform::fileError()
{
    const QList<std::tuple<int, int, QString>> cases = {
        {ENOENT, 53, "File not found"},        {ENOTDIR, 76, "Path not found"},
        {EACCES, 70, "Permission denied"},     {EROFS, 70, "Permission denied"},
        {EIO, 57, "Device I/O error"},         {ENOSPC, 61, "Disk full"},
        {EISDIR, 75, "Path/File access error"}};
    for (const auto &[errnoValue, number, description] : cases) {
        const AppError e = ::fileError(errnoValue, QStringLiteral("/tmp/x.txt"));
        QCOMPARE(QString::number(e.number()) + " " + e.description(),
                 QString::number(number) + " " + description);
    }
}

QTEST_APPLESS_MAIN(TestPlatform)
#include "tst_platform.moc"
