// SPDX-License-Identifier: GPL-3.0-or-later
// Every file the program writes, on a disk with no room for it: the write
// fails in the program's words and the old file stays byte for byte, with
// nothing left beside it; the writer's other promises (links, permissions,
// what it refuses) and the size bound of whole-file reads.

#include "editor/FileBytes.h"
#include "editor/HolidayFile.h"
#include "editor/ICalendarFile.h"
#include "editor/ShareFile.h"
#include "editor/VCardFile.h"
#include "platform/AppError.h"
#include "platform/FileIO.h"
#include "platform/Registry.h"
#include "platform/Settings.h"
#include "registry/REG_MODULE.h"
#include "startup/Autostart.h"
#include "store/RecordSet.h"
#include "support/FullDisk.h"
#include "support/ScriptedPrompts.h"
#include "support/TestDatabase.h"
#include "support/TestEnv.h"
#include "wallpaper/Pictures.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTest>
#include <QTimeZone>

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

// The files of folder and its subfolders but the filler, relative names.
QStringList filesIn(const QString &folder)
{
    QStringList names;
    const QDir root(folder);
    for (const QFileInfo &f :
         root.entryInfoList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (f.fileName() == QLatin1String(".filler"))
            continue;
        if (f.isDir())
            for (const QString &inner : filesIn(f.filePath()))
                names << f.fileName() + QLatin1Char('/') + inner;
        else
            names << f.fileName();
    }
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

class TestFileIO : public QObject
{
    Q_OBJECT
private slots:
    void fullDisk_data();
    void fullDisk();
    void keeps_data();
    void keeps();
    void readRefused_data();
    void readRefused();
};

void TestFileIO::fullDisk_data()
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
        return withEvents(db,
                          [&](const RecordSet &rs) { ExportShareFile(rs, f + "/Almarik.Txt"); });
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
            const bool set = SetRegValue(HKEY_CURRENT_USER, "Control Panel\\Desktop\\", "Wallpaper",
                                         QString(9000, 'w'), prompts);
            return (set ? "set: " : "not set: ") + prompts.takeBoxes().join('|');
        },
        "not set: "); // quietly, as every failed set of a value
}

void TestFileIO::fullDisk()
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
            if (!picture.save(folder + "/small.gif") && !picture.save(folder + "/small.gif", "png"))
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

void TestFileIO::keeps_data()
{
    // What is at the path beforehand, and what writing "new" there gives:
    // the error, or the new content with the file's mode.
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("result");
    const auto row = [](const char *name, const char *before, const char *result) {
        QTest::newRow(name) << QString(before) << QString(result);
    };
    row("new file", "none", "new 644");
    row("mode kept", "file 600", "new 600");
    row("link followed", "link", "new 644, link kept");
    row("folder", "folder", "Path/File access error");
    row("missing folder", "no folder", "Path not found");
    row("named pipe", "fifo", "Path/File access error");
}

void TestFileIO::keeps()
{
    QFETCH(QString, before);
    TestEnv env;
    const mode_t mask = ::umask(022);
    QString path = env.path("f.txt");
    const QString target = env.path("target.txt");
    if (before == "file 600") {
        QVERIFY(put(path, "old"));
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0600) == 0);
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
    const QString said = failure([&] { writeWholeFile(path, "new"); });
    ::umask(mask);
    QString got = said;
    if (said == "written") {
        struct stat st
        {
        };
        const QString written = before == "link" ? target : path;
        ::stat(QFile::encodeName(written).constData(), &st);
        got = fileBytes(written) + ' ' + QString::number(st.st_mode & 0777, 8);
        if (before == "link")
            got += QFileInfo(path).isSymLink() ? ", link kept" : ", link replaced";
    }
    QTEST(got, "result");
    // Nothing of the write is left beside the file.
    QCOMPARE(QDir(env.root()).entryList({"*.new"}, QDir::Files | QDir::Hidden), QStringList());
}

void TestFileIO::readRefused_data()
{
    // What a whole-file read (and every import over it) says of a path,
    // before it reads a byte or waits for one.
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("said");
    const QString notRegular = "The file is no regular file (a pipe or a device) and is not read";
    // A sparse file over the bound costs no disk; reading it would cost its
    // whole size in memory.
    const auto row = [](const char *name, const char *what, const QString &said) {
        QTest::newRow(name) << QString(what) << said;
    };
    row("over the bound", "big", "The file is larger than 256 MB and is not read");
    row("a named pipe without a writer", "fifo", notRegular);
    row("an endless device", "/dev/zero", notRegular);
    row("a folder", "folder", "Path/File access error");
    row("missing", "missing", "File not found");
    row("a small file", "small", "read");
}

void TestFileIO::readRefused()
{
    QFETCH(QString, what);
    TestEnv env;
    const QString path = what.startsWith('/') ? what : env.path(what);
    if (what == "big" || what == "small") {
        QVERIFY(put(path, "BEGIN:VCALENDAR\r\n"));
        QVERIFY(QFile::resize(path, what == "big" ? kMaxWholeFileBytes + 1 : 40));
    } else if (what == "fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (what == "folder") {
        QVERIFY(QDir().mkpath(path));
    }
    QTEST(failure([&] { readWholeFile(path); }).replace("written", "read"), "said");
    if (what == "small")
        return;
    QTEST(failure([&] { readICalendarFile(path, QDate(2026, 1, 1)); }), "said");
    QTEST(failure([&] { readVCardFile(path); }), "said");
    QList<ImportCandidate> candidates;
    if (what != "big") // the share import reads the header alone first: no share file
        QTEST(failure([&] { readShareFile(path, &candidates); }), "said");
}

QTEST_APPLESS_MAIN(TestFileIO)
#include "tst_fileio.moc"
