// SPDX-License-Identifier: GPL-3.0-or-later
// Telling the running desktop: hostile file names reach each tool as that
// tool must read them (sway's wordexp() run for real by fake_swaymsg and then
// by a headless sway where one is installed, the others recorded by fakes on
// PATH), or are refused (the start-up change's refusal is the rotation
// test's).

#include "support/TestEnv.h"
#include "wallpaper/DesktopWallpaper.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
        const bool root = ::geteuid() == 0;
        // Its own folders go to nobody, when sway runs as nobody.
        const auto mode = [&](const QString &path, int mode, bool own = false) {
            ::chmod(QFile::encodeName(path).constData(), mode_t(mode));
            if (own && root && ::chown(QFile::encodeName(path).constData(), 65534, 65534) != 0)
                qWarning("chown %s failed", qPrintable(path));
        };
        const auto write = [&](const char *name, const QByteArray &text) {
            QFile f(path(name));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(text) == text.size());
        };
        for (const char *sub : {"run", "out", "pics"})
            QDir(m_dir.path()).mkdir(QLatin1String(sub));
        mode(m_dir.path(), 0755);
        mode(path("run"), 0700, true);
        mode(path("out"), 0755, true);
        mode(path("pics"), 0755);
        write("swaybg",
              "#!/bin/sh\nwhile [ $# -gt 0 ]; do [ \"$1\" = -i ] && printf '%s\\n' \"$2\" >> " +
                  QFile::encodeName(path("out/log")) + "; shift; done\n");
        mode(path("swaybg"), 0755);
        write("config", "xwayland disable\nswaybg_command " + QFile::encodeName(path("swaybg")) +
                            "\nexec touch " + QFile::encodeName(path("out/ready")) + "\n");
        QProcessEnvironment env;
        env.insert("PATH", "/usr/local/bin:/usr/bin:/bin");
        env.insert("HOME", m_dir.path());
        env.insert("XDG_RUNTIME_DIR", path("run"));
        env.insert("WLR_BACKENDS", "headless");
        env.insert("WLR_LIBINPUT_NO_DEVICES", "1");
        env.insert("WLR_RENDERER", "pixman");
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
        const QList<QByteArray> lines =
            log.open(QIODevice::ReadOnly) ? log.readAll().split('\n') : QList<QByteArray>();
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
    void cleanupTestCase() { m_sway.reset(); }

private:
    std::unique_ptr<HeadlessSway> m_sway; // started by the first sway row
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
    row("sway: parentheses, an ampersand, glob and shell syntax", "sway",
        "{pics}/a (b c) & [a]?*{x}|<>#!~.bmp");
    row("sway: a line break is refused", "sway", "{pics}/a\nb.bmp", "", false);
    row("sway: a backslash is refused", "sway", "{pics}/a\\$HOME.bmp", "", false);
    // GVariant and JavaScript literals of a percent-encoded URI.
    row("GNOME: quotes, URI syntax, line break, backslash, non-ASCII", "GNOME",
        "{pics}/it's \"b\" 100%#?\n\\ó.bmp",
        "'file://{pics}/it\\'s%20%22b%22%20100%25%23%3F%0A%5C%C3%B3.bmp'");
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

    // The same name as sway itself parses and expands it: swaybg is given
    // the picture's path, exactly.
    qputenv("PATH", m_path); // sway's own swaymsg
    if (desktop != "sway" || !taken || QStandardPaths::findExecutable("sway").isEmpty())
        return;
    if (!m_sway) {
        m_sway = std::make_unique<HeadlessSway>();
        const QString failed = m_sway->start();
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
    }
    const QString picture = QString(path).replace("{pics}", m_sway->path("pics"));
    QVERIFY(QDir().mkpath(QFileInfo(picture).path()));
    QVERIFY(QImage(4, 4, QImage::Format_RGB32).save(picture, "BMP"));
    qputenv("SWAYSOCK", m_sway->socket().toUtf8());
    QVERIFY(DesktopWallpaper().apply(picture));
    QTRY_COMPARE_WITH_TIMEOUT(m_sway->lastPicture(), picture, 10000);
    QVERIFY(!QFile::exists(m_sway->path("out/PWNED")));
}

QTEST_APPLESS_MAIN(TestDesktop)
#include "tst_desktop.moc"
