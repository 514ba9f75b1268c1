// SPDX-License-Identifier: GPL-3.0-or-later
// The platform stand-ins without windows: the settings store, the file
// test, and errors in the program's terms.

#include "platform/AppError.h"
#include "platform/ErrorStyles.h"
#include "platform/Files.h"
#include "platform/Settings.h"
#include "support/ChildProcess.h"
#include "support/TestEnv.h"

#include <QFile>
#include <QSettings>
#include <QTest>
#include <cerrno>
#include <unistd.h>

class TestPlatform : public QObject
{
    Q_OBJECT
    // QSettings finds its folder once per process, so one home serves
    // every test of this program.
    TestEnv m_env;

private slots:
    void settings()
    {
        // A value saved empty is read as empty, not as the default.
        const QString name = QStringLiteral("Colour0");
        SaveSetting(name, QString());
        QCOMPARE(GetSetting(name, QStringLiteral("default")), QString());
        QSettings(m_env.path(QStringLiteral("config/Almarik2/Almarik2.ini")), QSettings::IniFormat)
            .remove(QStringLiteral("Settings/Colour0")); // the file the program writes
        QCOMPARE(GetSetting(name, QStringLiteral("default")), "default");
    }

    void settingToBool_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("expected");
        QTest::newRow("TRUE with blanks") << " TRUE " << true;
        QTest::newRow("minus one") << "-1" << true;
        QTest::newRow("zero") << "0" << false;
        QTest::newRow("words") << "True story" << false;
    }

    void settingToBool()
    {
        QFETCH(QString, text);
        QFETCH(bool, expected);
        QCOMPARE(::settingToBool(text), expected);
        QCOMPARE(boolToSetting(expected),
                 expected ? QStringLiteral("True") : QStringLiteral("False"));
    }

    void fileExistsAndErrors()
    {
        // Any file counts, an unreadable one too; a folder or nothing does not.
        QFile f(m_env.path(QStringLiteral("file")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(f.setPermissions({}));
        QVERIFY(QFile::setPermissions(m_env.root(), QFile::ReadOwner | QFile::WriteOwner |
                                                        QFile::ExeOwner | QFile::ExeOther));
        // Seen by a user who may not read it, as root may.
        QCOMPARE(unprivileged([&] {
                     return FileExists(f.fileName()) ? QStringLiteral("counts")
                                                     : QStringLiteral("missed");
                 }),
                 "counts");
        for (const QString &path : {m_env.path("nowhere/file"), m_env.root(), QString()})
            QVERIFY2(!FileExists(path), qPrintable(path));
        // A few file errors in the program's terms; the rest is a table alike.
        const auto text = [](const AppError &e) -> QString {
            return QString::number(e.number()) + ' ' + e.description();
        };
        QCOMPARE(text(fileError(ENOENT, "/tmp/x.txt")), "53 File not found");
        QCOMPARE(text(fileError(EISDIR, "/tmp/x.txt")), "75 Path/File access error");
        // A failure that is no AppError, told apart when it is memory.
        try {
            throw std::bad_alloc();
        } catch (...) {
            QCOMPARE(text(currentAppError()), "7 Out of memory");
        }
    }
};

QTEST_APPLESS_MAIN(TestPlatform)
#include "tst_platform.moc"
