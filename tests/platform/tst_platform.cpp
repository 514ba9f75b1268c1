// The platform stand-ins without windows: the settings store, the file
// test, and errors in the program's terms.

#include "platform/AppError.h"
#include "platform/ErrorStyles.h"
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
    void fileExists();
    void errors();

private:
    // QSettings finds its folder once per process, so one home serves
    // every test of this program.
    TestEnv m_env;
};

void TestPlatform::settings_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("empty text") << "";
    QTest::newRow("INI specials") << "a=b;c#d [e] \"f\" \\g";
    QTest::newRow("non-ASCII") << "Grüße, Ærø";
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

void TestPlatform::fileExists()
{
    // Any file counts, an unreadable one too; a folder or nothing does not.
    const QString file = m_env.path(QStringLiteral("files/file"));
    QVERIFY(QDir().mkpath(QFileInfo(file).path()));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    if (::geteuid() != 0) // root can read any file
        QVERIFY(f.setPermissions({}));
    QVERIFY(FileExists(file));
    for (const char *name : {"files/missing", "nowhere/file", "files", ""})
        QVERIFY2(!FileExists(name[0] ? m_env.path(QLatin1String(name)) : QString()), name);
}

void TestPlatform::errors()
{
    // A few file errors in the program's terms; the rest is a table alike.
    const QList<std::pair<int, QString>> files = {{ENOENT, "53 File not found"},
                                                  {EROFS, "70 Permission denied"},
                                                  {EISDIR, "75 Path/File access error"}};
    for (const auto &[errnoValue, text] : files) {
        const AppError e = fileError(errnoValue, QStringLiteral("/tmp/x.txt"));
        QCOMPARE(QString::number(e.number()) + " " + e.description(), text);
    }
    // A failure that is no AppError, told apart when it is memory.
    try {
        throw std::bad_alloc();
    } catch (...) {
        const AppError e = currentAppError();
        QCOMPARE(QString::number(e.number()) + " " + e.description(), "7 Out of memory");
    }
}

QTEST_APPLESS_MAIN(TestPlatform)
#include "tst_platform.moc"
