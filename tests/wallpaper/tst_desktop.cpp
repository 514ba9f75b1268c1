// SPDX-License-Identifier: GPL-3.0-or-later
// Telling the running desktop: hostile file names reach each tool as that
// tool must read them (sway's wordexp() run for real by fake_swaymsg and by
// a headless sway where one is installed, the others recorded by fakes on
// PATH), or are refused before anything changes.

#include "support/TestDatabase.h"
#include "wallpaper/DesktopWallpaper.h"
#include "wallpaper/Pictures.h"
#include "wallpaper/WallpaperChange.h"
#include "wallpaper/WallpaperTable.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A program that appends "name|arg|arg..." to the log; xfconf-query -l lists
// two monitors' last-image properties among others.
const char kFake[] = R"(#!/bin/sh
{ printf '%s' "${0##*/}"; for a in "$@"; do printf '|%s' "$a"; done; printf '\n'; } >> "$FAKE_LOG"
if [ "${0##*/}" = xfconf-query ] && [ "$3" = "-l" ]; then
  printf '/backdrop/screen0/monitorVGA-1/workspace0/last-image\n'
  printf '/backdrop/screen0/monitorVGA-1/workspace0/image-style\n'
  printf '/backdrop/screen0/monitorHDMI-1/workspace1/last-image\n'
fi
exit 0
)";

const QString kSwayRefusal = QStringLiteral(
    "sway cannot take a file name with a backslash or a control character such as a line break");

// Each desktop's calls, %1 standing for the path as its tool receives it.
QStringList callsOf(const QString &desktop)
{
    const QString xfce = "xfconf-query|-c|xfce4-desktop|";
    const QString gnome = "gsettings|set|org.gnome.desktop.background|picture-uri";
    const QHash<QString, QStringList> calls = {
        {"GNOME", {gnome + "|%1", gnome + "-dark|%1"}},
        {"MATE", {"gsettings|set|org.mate.background|picture-filename|%1"}},
        {"XFCE",
         {xfce + "-l", xfce + "-p|/backdrop/screen0/monitorVGA-1/workspace0/last-image|-s|%1",
          xfce + "-p|/backdrop/screen0/monitorHDMI-1/workspace1/last-image|-s|%1"}},
        {"KDE",
         {"dbus-send|--session|--print-reply|--dest=org.kde.plasmashell|/PlasmaShell|"
          "org.kde.PlasmaShell.evaluateScript|string:for (var key in desktops()) {var d = "
          "desktops()[key];d.wallpaperPlugin = 'org.kde.image';d.currentConfigGroup = "
          "['Wallpaper', 'org.kde.image', 'General'];d.writeConfig('Image', %1);}"}},
        {"sway", {"swaymsg|output|*|bg|%1|fill"}},
        {"", {"feh|--bg-fill|%1"}}, // any other X11 session
    };
    return calls.value(desktop);
}

// A headless sway of the test's own, as nobody when the tests run as root
// (sway refuses root). Its swaybg is a recorder that logs the picture it is
// given, one line each, so what sway made of the command can be read back.
class HeadlessSway
{
public:
    // "" when sway answers, else what went wrong.
    QString start()
    {
        if (!m_dir.isValid())
            return "no folder";
        const bool root = ::geteuid() == 0;
        // Its own folders go to nobody, when sway runs as nobody.
        const auto mode = [&](const QString &path, int mode, bool own = false) {
            ::chmod(QFile::encodeName(path).constData(), mode_t(mode));
            if (own && root && ::chown(QFile::encodeName(path).constData(), 65534, 65534) != 0)
                qWarning("chown %s failed", qPrintable(path));
        };
        const auto write = [&](const char *name, const QByteArray &text) {
            QFile f(path(name));
            return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
        };
        for (const char *sub : {"run", "out", "pics"})
            QDir(m_dir.path()).mkdir(QLatin1String(sub));
        mode(m_dir.path(), 0755);
        mode(path("run"), 0700, true);
        mode(path("out"), 0755, true);
        mode(path("pics"), 0755);
        if (!write(
                "swaybg",
                "#!/bin/sh\nwhile [ $# -gt 0 ]; do [ \"$1\" = -i ] && printf '%s\\n' \"$2\" >> " +
                    QFile::encodeName(path("out/log")) + "; shift; done\n"))
            return "no recorder";
        mode(path("swaybg"), 0755);
        if (!write("config", "xwayland disable\nswaybg_command " +
                                 QFile::encodeName(path("swaybg")) + "\nexec touch " +
                                 QFile::encodeName(path("out/ready")) + "\n"))
            return "no config";
        QProcessEnvironment env;
        for (const auto &[name, value] :
             {std::pair<const char *, QString>{"PATH", "/usr/local/bin:/usr/bin:/bin"},
              {"HOME", m_dir.path()},
              {"XDG_RUNTIME_DIR", path("run")},
              {"WLR_BACKENDS", "headless"},
              {"WLR_LIBINPUT_NO_DEVICES", "1"},
              {"WLR_RENDERER", "pixman"}})
            env.insert(QLatin1String(name), value);
        m_sway.setProcessEnvironment(env);
        m_sway.setProcessChannelMode(QProcess::MergedChannels);
        m_sway.setWorkingDirectory(path("out")); // where a command that ran would write
        QStringList sway = {"sway", "-c", path("config")};
        if (root)
            sway =
                QStringList{"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"} + sway;
        m_sway.start(sway[0], sway.mid(1));
        // Up to 20 s for its start-up command to run.
        for (int i = 0; i < 400 && !QFile::exists(path("out/ready")); ++i) {
            if (m_sway.waitForFinished(50))
                return "sway ended: " + QString::fromLocal8Bit(m_sway.readAll());
        }
        const QStringList sockets = QDir(path("run")).entryList({"sway-ipc.*.sock"}, QDir::System);
        if (sockets.isEmpty())
            return "sway did not start: " + QString::fromLocal8Bit(m_sway.readAll());
        m_socket = path("run/") + sockets.first();
        return {};
    }
    ~HeadlessSway()
    {
        m_sway.kill();
        m_sway.waitForFinished(5000);
    }
    QString path(const char *name) const { return m_dir.filePath(QLatin1String(name)); }
    QString socket() const { return m_socket; }
    // The picture swaybg was last given.
    QString lastPicture() const
    {
        QFile log(path("out/log"));
        if (!log.open(QIODevice::ReadOnly))
            return {};
        const QList<QByteArray> lines = log.readAll().split('\n');
        return lines.size() > 1 ? QString::fromUtf8(lines.at(lines.size() - 2)) : QString();
    }

private:
    QTemporaryDir m_dir;
    QProcess m_sway;
    QString m_socket;
};

} // namespace

class TestDesktop : public QObject
{
    Q_OBJECT
    QByteArray m_path = qgetenv("PATH");
    QString m_cwd = QDir::currentPath();

private slots:
    void cleanup()
    {
        qputenv("PATH", m_path);
        QDir::setCurrent(m_cwd);
    }
    void apply_data();
    void apply();
    void refusedBeforeWriting_data();
    void refusedBeforeWriting();
    void headlessSway_data();
    void headlessSway();
    void cleanupTestCase() { m_sway.reset(); }

private:
    std::unique_ptr<HeadlessSway> m_sway; // started by the first row
};

void TestDesktop::apply_data()
{
    QTest::addColumn<QString>("desktop"); // XDG_CURRENT_DESKTOP; "" an X11 session
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("received"); // "": the path itself
    QTest::addColumn<bool>("taken");
    auto row = [](const char *tag, const char *desktop, const char *path, const char *received = "",
                  bool taken = true) {
        QTest::newRow(tag) << desktop << path << received << taken;
    };
    // sway: the path as wordexp() leaves it, which is the path itself.
    row("sway: substitutions and a variable", "sway", "{pics}/c$(echo>PWNED)`echo>PWNED`$HOME.bmp");
    row("sway: tilde after =, doubled blanks, quotes", "sway", "{pics}/x=~/two  it's \"b\".bmp");
    row("sway: its command separators, non-ASCII", "sway", "{pics}/a;exec echo>PWNED,b Mój ✓.bmp");
    row("sway: a line break is refused", "sway", "{pics}/a\nb.bmp", "", false);
    row("sway: a backslash is refused", "sway", "{pics}/a\\$HOME.bmp", "", false);
    // GVariant and JavaScript literals of a percent-encoded URI.
    row("GNOME: quotes and URI syntax", "GNOME", "{pics}/it's \"b\" 100%#?.bmp",
        "'file://{pics}/it\\'s%20%22b%22%20100%25%23%3F.bmp'");
    row("GNOME: line break, backslash, non-ASCII", "GNOME", "{pics}/a\n\\ó.bmp",
        "'file://{pics}/a%0A%5C%C3%B3.bmp'");
    row("MATE: the path as GVariant text", "MATE", "{pics}/it's \"b\"\n\\.bmp",
        "'{pics}/it\\'s \"b\"\\u000a\\\\.bmp'");
    row("KDE: the URI as a JavaScript literal", "KDE", "{pics}/it's \"b\" %#?\n\\ó.bmp",
        "'file://{pics}/it\\'s%20%22b%22%20%25%23%3F%0A%5C%C3%B3.bmp'");
    // Tools that take the path as a plain argument, never through a shell.
    const char *hostile = "{pics}/$(echo>PWNED) it's \"b\"\n.bmp";
    row("XFCE", "XFCE", hostile);
    row("X11", "", hostile);
    row("X11: a relative path, never an option", "", "-x.bmp", "{root}/-x.bmp");
    row("another Wayland session: no tool", "Hyprland", "{pics}/a.bmp");
}

void TestDesktop::apply()
{
    QFETCH(QString, desktop);
    QFETCH(QString, path);
    QFETCH(QString, received);
    QFETCH(bool, taken);
    TestEnv env;
    const auto real = [&](QString text) {
        return text.replace("{pics}", env.path("pics")).replace("{root}", env.root());
    };
    QDir().mkpath(env.path("bin"));
    QDir().mkpath(env.path("pics"));
    QFile(env.path("pics/a.bmp")).open(QIODevice::WriteOnly);
    for (const char *tool : {"gsettings", "xfconf-query", "dbus-send", "pcmanfm-qt", "feh"}) {
        QFile f(env.path("bin/") + QLatin1String(tool));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(kFake);
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QVERIFY(QFile::copy(QStringLiteral(FAKE_SWAYMSG), env.path("bin/swaymsg")));
    // Only the fakes can be found; a command that runs writes into the test's folder.
    qputenv("PATH", env.path("bin").toUtf8());
    qputenv("FAKE_LOG", env.path("log").toUtf8());
    qputenv("XDG_CURRENT_DESKTOP", desktop.toUtf8());
    qputenv("DISPLAY", desktop.isEmpty() ? ":0" : "");
    qputenv("WAYLAND_DISPLAY", desktop.isEmpty() ? "" : "wayland-0");
    QDir::setCurrent(env.root());

    const QString file = real(path);
    const QStringList calls = taken ? callsOf(desktop) : QStringList();
    QCOMPARE(DesktopWallpaper().refusal(file), taken ? QString() : kSwayRefusal);
    QCOMPARE(DesktopWallpaper().apply(file), !calls.isEmpty());
    QFile log(env.path("log")); // none when no tool ran
    const QByteArray logged = log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
    const QString expected = calls.isEmpty() ? QString() : calls.join('\n') + '\n';
    QCOMPARE(QString::fromUtf8(logged),
             QString(expected).replace("%1", received.isEmpty() ? file : real(received)));
    QVERIFY(!QFile::exists(env.path("PWNED")));
}

void TestDesktop::refusedBeforeWriting_data()
{
    QTest::addColumn<QString>("name"); // the one active picture besides a.bmp, drawn first
    QTest::addColumn<QStringList>("events");
    QTest::newRow("a BMP name sway cannot take: nothing written")
        << "x\\y.bmp"
        << QStringList{"Wallpaper not shown|Wallpaper selected: {pics}/x\\y.bmp cannot be shown: " +
                       kSwayRefusal + ".\r\nPlease update Wallpaper list"};
    // The desktop is handed the bitmap, whose name it takes.
    QTest::newRow("a JPG with a line break becomes the bitmap")
        << "x\ny.jpg" << QStringList{"write {data}/Almarik.BMP", "apply {data}/Almarik.BMP"};
}

void TestDesktop::refusedBeforeWriting()
{
    QFETCH(QString, name);
    QFETCH(QStringList, events);
    TestDatabase f;
    const QString pics = f.env.path("pics"), data = f.env.path("data/Almarik2");
    QDir().mkpath(pics);
    QImage(4, 4, QImage::Format_RGB32).save(pics + "/" + name, "JPG");
    QImage(4, 4, QImage::Format_RGB32).save(pics + "/a.bmp", "BMP");
    f.db.Execute(InsertWallpaperStatement(name, pics));
    f.db.Execute(InsertWallpaperStatement("a.bmp", pics));
    qputenv("XDG_CURRENT_DESKTOP", "sway");
    QStringList got;
    WallpaperSeams seams;
    seams.random = [] { return 0.0f; };
    seams.writeSetting = [&](const QString &file) { return got << "write " + file, true; };
    seams.applyToDesktop = [&](const QString &file) { got << "apply " + file; };
    seams.desktopRefusal = [](const QString &file) { return DesktopWallpaper().refusal(file); };
    seams.bitmapFolder = data;
    if (const auto message = WallpaperOutcomeMessage(ChangeWallpaper(f.db, QString(), seams)))
        got << message->title + '|' + message->text;
    QCOMPARE(got.join('\n'), events.join('\n').replace("{pics}", pics).replace("{data}", data));
    QCOMPARE(QFile::exists(BitmapPath(data)), name.endsWith(".jpg"));
}

void TestDesktop::headlessSway_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("blanks in parentheses, an ampersand") << "a (b c) & y.bmp";
    QTest::newRow("command substitution, quotes") << "c$(echo>PWNED) it's \"b\".bmp";
    QTest::newRow("its command separators") << "a;exec echo>PWNED,b.bmp";
    QTest::newRow("doubled blanks and a variable") << "two  $HOME.bmp";
    QTest::newRow("glob and shell syntax") << "[a]?*{x}|<>#!~.bmp";
}

// The command as sway itself parses and expands it: swaybg is given the
// picture's path, exactly.
void TestDesktop::headlessSway()
{
    QFETCH(QString, name);
    if (QStandardPaths::findExecutable("sway").isEmpty() ||
        QStandardPaths::findExecutable("swaymsg").isEmpty())
        QSKIP("sway is not installed: only fake_swaymsg has read the commands");
    if (!m_sway) {
        m_sway = std::make_unique<HeadlessSway>();
        const QString failed = m_sway->start();
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
    }
    QVERIFY(!m_sway->socket().isEmpty());
    TestEnv env;
    const QString file = m_sway->path("pics") + QLatin1Char('/') + name;
    QVERIFY(QImage(4, 4, QImage::Format_RGB32).save(file, "BMP"));
    qputenv("XDG_CURRENT_DESKTOP", "sway");
    qputenv("SWAYSOCK", m_sway->socket().toUtf8());
    QVERIFY(DesktopWallpaper().apply(file));
    QTRY_COMPARE_WITH_TIMEOUT(m_sway->lastPicture(), file, 10000);
    QVERIFY(!QFile::exists(m_sway->path("out/PWNED")));
}

QTEST_APPLESS_MAIN(TestDesktop)
#include "tst_desktop.moc"
