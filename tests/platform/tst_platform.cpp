// SPDX-License-Identifier: GPL-3.0-or-later
// The platform stand-ins without windows. Every file the program writes, on
// a disk with no room for it: the write fails in the program's words and the
// old file stays byte for byte, with nothing left beside it; the writer's
// other promises (links, permissions, what it refuses) and the size bound of
// whole-file reads. The file test, errors in the program's terms, the
// settings store.

#include "editor/FileBytes.h"
#include "editor/HolidayFile.h"
#include "editor/ICalendarFile.h"
#include "editor/ShareFile.h"
#include "editor/VCardFile.h"
#include "platform/AppError.h"
#include "platform/ErrorStyles.h"
#include "platform/FileIO.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/Settings.h"
#include "registry/REG_MODULE.h"
#include "startup/Autostart.h"
#include "store/RecordSet.h"
#include "support/ChildProcess.h"
#include "support/FullDisk.h"
#include "support/ScriptedPrompts.h"
#include "support/TestDatabase.h"
#include "support/TestEnv.h"
#include "wallpaper/Pictures.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QSettings>
#include <QTest>
#include <QTimeZone>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Writer = std::function<QString(const QString &folder, const QString &db)>;

bool put(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QString failure(const std::function<void()> &work)
{
    try {
        work();
        return QStringLiteral("written");
    } catch (const AppError &e) {
        return e.description();
    }
}

// The files of folder and its subfolders but the filler, relative names in
// order.
QStringList filesIn(const QString &folder)
{
    QStringList names;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
         it.hasNext();)
        names << QDir(folder).relativeFilePath(it.next());
    names.removeAll(QStringLiteral(".filler"));
    names.sort();
    return names;
}

// The event set every export writes from, opened in the child.
template <typename F> QString withEvents(const QString &db, F &&work)
{
    Connection conn;
    conn.Open(db);
    RecordSet rs;
    rs.setCursorLocation(adUseClient);
    rs.Open(QStringLiteral("SELECT * FROM Calendar ORDER BY Dates"), conn, adOpenStatic,
            adLockReadOnly);
    return failure([&] { work(rs); });
}

} // namespace

class TestPlatform : public QObject
{
    Q_OBJECT
private slots:
    void fullDisk_data()
    {
        // The old file (relative to the folder), what replaces it, and what the
        // writer said on the full disk.
        QTest::addColumn<QString>("file");
        QTest::addColumn<Writer>("writer");
        QTest::addColumn<QString>("said");
        const auto row = [](const char *name, const char *file, const Writer &writer,
                            const QString &said = QStringLiteral("Disk full")) {
            QTest::newRow(name) << QString(file) << writer << said;
        };
        row("whole file", "a.txt", [](const QString &f, const QString &) {
            return failure([&] { writeWholeFile(f + "/a.txt", QByteArray(9000, 'n')); });
        });
        row("share file", "Almarik.Txt", [](const QString &f, const QString &db) {
            return withEvents(
                db, [&](const RecordSet &rs) { ExportShareFile(rs, f + "/Almarik.Txt"); });
        });
        row("holiday file appended", "Outlook.Txt", [](const QString &f, const QString &db) {
            return withEvents(db, [&](const RecordSet &rs) {
                appendToHolidayFile(f + "/Outlook.Txt", holidaySectionText(rs, "2007"));
            });
        });
        row("iCalendar", "Almarik.ics", [](const QString &f, const QString &db) {
            return withEvents(db, [&](const RecordSet &rs) {
                ExportICalendarFile(rs, f + "/Almarik.ics",
                                    QDateTime(QDate(2026, 1, 2), QTime(3, 4), QTimeZone::utc()));
            });
        });
        row("wallpaper bitmap", "Almarik.BMP", [](const QString &f, const QString &) {
            return failure([&] { ConvertToBitmap(f + "/small.gif", f + "/Almarik.BMP"); });
        });
        row("settings", "Almarik2/Almarik2.ini", [](const QString &, const QString &) {
            return failure([] { SaveSetting("LastStart", QString(9000, 'd')); });
        });
        row(
            "autostart entry", "autostart/almarik.desktop",
            [](const QString &, const QString &) {
                return failure([] { setAutostart(true, "/opt/" + QString(9000, 'p')); });
            },
            "Disk full: ~/autostart/almarik.desktop");
        row(
            "registry store", "Almarik2/registry/HKEY_CURRENT_USER.reg",
            [](const QString &, const QString &) -> QString {
                ScriptedPrompts prompts;
                const bool set = SetRegValue(HKEY_CURRENT_USER, "Control Panel\\Desktop\\",
                                             "Wallpaper", QString(9000, 'w'), prompts);
                return (set ? "set: " : "not set: ") + prompts.takeBoxes().join('|');
            },
            "not set: "); // quietly, as every failed set of a value
    }

    void fullDisk()
    {
        QFETCH(QString, file);
        QFETCH(Writer, writer);
        QFETCH(QString, said);
        TestEnv env;
        Connection conn;
        const QString db = newDatabase(env.path("Almarik.MDB"), conn,
                                       {"(#03/10/1990#,'birthday','Ann','likes tea',False)",
                                        "(#03/15/1967#,'holiday','Jo/Al party, home',Null,True)"});
        conn.Close();
        const QByteArray old = "the old file\r\n" + QByteArray(300, 'o');
        const QString report = onFullDisk(
            1024,
            [&](const QString &folder) -> QString {
                // Settings, registry and autostart entry live under the config home.
                qputenv("XDG_CONFIG_HOME", folder.toUtf8());
                QImage picture(40, 40, QImage::Format_RGB32);
                picture.fill(Qt::red);
                if (!picture.save(folder + "/small.gif") &&
                    !picture.save(folder + "/small.gif", "png"))
                    return "no picture";
                return put(folder + '/' + file, old) ? QString() : QStringLiteral("no old file");
            },
            [&](const QString &folder) -> QString {
                const QString said = writer(folder, db).replace(folder, "~");
                return said + " / " + (fileBytes(folder + '/' + file) == old ? "kept" : "changed") +
                       " / " + filesIn(folder).join(' ');
            });
        QStringList files = {file, "small.gif"};
        files.sort();
        QCOMPARE(report, said + " / kept / " + files.join(' '));
    }

    void paths_data()
    {
        // What is at the path beforehand; what a whole-file read (and every
        // import over it) says of it, before it reads a byte or waits for one;
        // what writing "new" there gives: the error, or the new content with
        // the file's mode ("-": not written).
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("read");
        QTest::addColumn<QString>("written");
        const QString notRegular =
            "The file is no regular file (a pipe or a device) and is not read";
        const auto row = [](const char *name, const char *before, const QString &read,
                            const char *written) {
            QTest::newRow(name) << QString(before) << read << QString(written);
        };
        row("new file", "none", "File not found", "new 644");
        row("mode kept", "file 600", "read", "new 600");
        row("link followed", "link", "read", "new 644, link kept");
        // A sparse file over the bound costs no disk; reading it would cost its
        // whole size in memory.
        row("over the bound", "big", "The file is larger than 256 MB and is not read", "new 644");
        row("folder", "folder", "Path/File access error", "Path/File access error");
        row("missing folder", "no folder", "File not found", "Path not found");
        row("named pipe without a writer", "fifo", notRegular, "Path/File access error");
        row("an endless device", "/dev/zero", notRegular, "-");
    }

    void paths()
    {
        QFETCH(QString, before);
        QFETCH(QString, read);
        TestEnv env;
        const mode_t mask = ::umask(022);
        QString path = before.startsWith('/') ? before : env.path("f.txt");
        const QString target = env.path("target.txt");
        if (before == "file 600" || before == "big") {
            QVERIFY(put(path, "BEGIN:VCALENDAR\r\n"));
            QVERIFY(QFile::resize(path, before == "big" ? kMaxWholeFileBytes + 1 : 40));
            QVERIFY(::chmod(QFile::encodeName(path).constData(), before == "big" ? 0644 : 0600) ==
                    0);
        } else if (before == "link") {
            QVERIFY(put(target, "old"));
            QVERIFY(QFile::link(target, path));
        } else if (before == "folder") {
            QVERIFY(QDir().mkpath(path));
        } else if (before == "no folder") {
            path = env.path("none/f.txt");
        } else if (before == "fifo") {
            QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0644) == 0);
        }
        QCOMPARE(failure([&] { readWholeFile(path); }).replace("written", "read"), read);
        if (read != "read") {
            QCOMPARE(failure([&] { readICalendarFile(path, QDate(2026, 1, 1)); }), read);
            QCOMPARE(failure([&] { readVCardFile(path); }), read);
            QList<ImportCandidate> candidates;
            if (before != "big") // the share import reads the header alone first: no share file
                QCOMPARE(failure([&] { readShareFile(path, &candidates); }), read);
        }
        QString got = QStringLiteral("-");
        if (!before.startsWith('/'))
            got = failure([&] { writeWholeFile(path, "new"); });
        ::umask(mask);
        if (got == "written") {
            struct stat st = {};
            const QString written = before == "link" ? target : path;
            ::stat(QFile::encodeName(written).constData(), &st);
            got = fileBytes(written) + ' ' + QString::number(st.st_mode & 0777, 8);
            if (before == "link")
                got += QFileInfo(path).isSymLink() ? ", link kept" : ", link replaced";
        }
        QTEST(got, "written");
        // Nothing of the write is left beside the file.
        QCOMPARE(QDir(env.root()).entryList({"*.new"}, QDir::Files | QDir::Hidden), QStringList());
    }

    // After the file tests: QSettings finds its folder once per process, at
    // its first use, and the tests above use it only in child processes.
    void settings()
    {
        TestEnv env;
        // A value saved empty is read as empty, not as the default.
        const QString name = QStringLiteral("Colour0");
        SaveSetting(name, QString());
        QCOMPARE(GetSetting(name, QStringLiteral("default")), QString());
        QSettings(env.path(QStringLiteral("config/Almarik2/Almarik2.ini")), QSettings::IniFormat)
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
        TestEnv env;
        // Any file counts, an unreadable one too; a folder or nothing does not.
        QFile f(env.path(QStringLiteral("file")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(f.setPermissions({}));
        QVERIFY(QFile::setPermissions(env.root(), QFile::ReadOwner | QFile::WriteOwner |
                                                      QFile::ExeOwner | QFile::ExeOther));
        // Seen by a user who may not read it, as root may.
        QCOMPARE(unprivileged([&] {
                     return FileExists(f.fileName()) ? QStringLiteral("counts")
                                                     : QStringLiteral("missed");
                 }),
                 "counts");
        for (const QString &path : {env.path("nowhere/file"), env.root(), QString()})
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
