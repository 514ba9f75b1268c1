// Telling the running desktop: the path as each kind of tool must receive it
// (a URI, gsettings and sway quoting, every xfconf monitor, the X11
// fallback), checked against recording fake programs put on PATH.

#include "support/TestEnv.h"
#include "wallpaper/DesktopWallpaper.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

const QString kPath = QStringLiteral("/pics/Mój it's a \"b\".bmp");

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

} // namespace

class TestDesktop : public QObject
{
    Q_OBJECT
    QByteArray m_path = qgetenv("PATH");

private slots:
    void cleanup() { qputenv("PATH", m_path); }
    void apply_data();
    void apply();
};

void TestDesktop::apply_data()
{
    QTest::addColumn<QString>("desktop"); // XDG_CURRENT_DESKTOP
    QTest::addColumn<QString>("display"); // DISPLAY
    QTest::addColumn<QString>("wayland"); // WAYLAND_DISPLAY
    QTest::addColumn<QStringList>("calls");
    auto row = [](const char *desktop, const char *display, const char *wayland,
                  const QStringList &calls) {
        QTest::newRow(*desktop ? desktop : "X11") << desktop << display << wayland << calls;
    };
    const QString uri = QStringLiteral("'file:///pics/M%C3%B3j%20it\\'s%20a%20%22b%22.bmp'");
    const QString gnome = "gsettings|set|org.gnome.desktop.background|picture-uri";
    const QString xfce = "xfconf-query|-c|xfce4-desktop|";
    row("ubuntu:GNOME", "", "wayland-0", {gnome + "|" + uri, gnome + "-dark|" + uri});
    // Every last-image property xfconf-query lists.
    row("XFCE", ":0", "",
        {xfce + "-l", xfce + "-p|/backdrop/screen0/monitorVGA-1/workspace0/last-image|-s|" + kPath,
         xfce + "-p|/backdrop/screen0/monitorHDMI-1/workspace1/last-image|-s|" + kPath});
    // The path quoted for sway's own parser.
    row("sway", "", "wayland-1", {"swaymsg|output|*|bg|\"/pics/Mój it's a \\\"b\\\".bmp\"|fill"});
    row("", ":0", "", {"feh|--bg-fill|" + kPath}); // any other X11 session, named or not
    row("Hyprland", "", "wayland-0", {});          // any other Wayland session
}

void TestDesktop::apply()
{
    QFETCH(QString, desktop);
    QFETCH(QString, display);
    QFETCH(QString, wayland);
    QFETCH(QStringList, calls);
    TestEnv env;
    QDir().mkpath(env.path(QStringLiteral("bin")));
    for (const char *tool : {"gsettings", "xfconf-query", "plasma-apply-wallpaperimage",
                             "pcmanfm-qt", "swaymsg", "feh"}) {
        QFile f(env.path(QStringLiteral("bin/") + QLatin1String(tool)));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(kFake);
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    // Only the fakes can be found.
    qputenv("PATH", env.path(QStringLiteral("bin")).toUtf8());
    qputenv("FAKE_LOG", env.path(QStringLiteral("log")).toUtf8());
    qputenv("XDG_CURRENT_DESKTOP", desktop.toUtf8());
    qputenv("DISPLAY", display.toUtf8());
    qputenv("WAYLAND_DISPLAY", wayland.toUtf8());
    QCOMPARE(DesktopWallpaper().apply(kPath), !calls.isEmpty());
    QFile log(env.path(QStringLiteral("log")));
    log.open(QIODevice::ReadOnly);
    QCOMPARE(QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts), calls);
}

QTEST_APPLESS_MAIN(TestDesktop)
#include "tst_desktop.moc"
