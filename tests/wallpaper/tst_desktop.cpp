// Telling the running desktop: the tool each desktop is told with and its
// exact arguments, checked against recording fake programs put on PATH.

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
[ -n "$FAKE_HANG" ] && exec sleep 30
exit ${FAKE_EXIT:-0}
)";

const QStringList kTools = {"gsettings",  "xfconf-query", "plasma-apply-wallpaperimage",
                            "pcmanfm-qt", "swaymsg",      "feh"};

class Fakes
{
public:
    Fakes()
    {
        QDir().mkpath(env.path(QStringLiteral("bin")));
        for (const QString &tool : kTools) {
            QFile f(env.path(QStringLiteral("bin/") + tool));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(kFake);
            f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        // Only the fakes can be found.
        qputenv("PATH", env.path(QStringLiteral("bin")).toUtf8());
        qputenv("FAKE_LOG", env.path(QStringLiteral("log")).toUtf8());
        qunsetenv("FAKE_EXIT");
        qunsetenv("FAKE_HANG");
    }
    ~Fakes() { qputenv("PATH", m_path); }

    QStringList log() const
    {
        QFile f(env.path(QStringLiteral("log")));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    TestEnv env;

private:
    QByteArray m_path = qgetenv("PATH");
};

} // namespace

class TestDesktop : public QObject
{
    Q_OBJECT
private slots:
    void apply_data();
    void apply();
    void failuresAreQuiet();
};

void TestDesktop::apply_data()
{
    QTest::addColumn<QString>("desktop"); // XDG_CURRENT_DESKTOP
    QTest::addColumn<QString>("display"); // DISPLAY
    QTest::addColumn<QString>("wayland"); // WAYLAND_DISPLAY
    QTest::addColumn<QStringList>("calls");
    const QString uri = QStringLiteral("'file:///pics/M%C3%B3j%20it\\'s%20a%20%22b%22.bmp'");
    const QStringList gnome = {"gsettings|set|org.gnome.desktop.background|picture-uri|" + uri,
                               "gsettings|set|org.gnome.desktop.background|picture-uri-dark|" +
                                   uri};
    QTest::newRow("GNOME") << "GNOME"
                           << ""
                           << "wayland-0" << gnome;
    QTest::newRow("ubuntu:GNOME") << "ubuntu:GNOME"
                                  << ""
                                  << "" << gnome;
    QTest::newRow("Budgie:GNOME") << "Budgie:GNOME"
                                  << ""
                                  << "" << gnome;
    QTest::newRow("X-Cinnamon")
        << "X-Cinnamon"
        << ":0"
        << "" << QStringList{"gsettings|set|org.cinnamon.desktop.background|picture-uri|" + uri};
    QTest::newRow("MATE, name in any case")
        << "mate"
        << ":0"
        << ""
        << QStringList{
               "gsettings|set|org.mate.background|picture-filename|'/pics/Mój it\\'s a \"b\".bmp'"};
    QTest::newRow("XFCE: every last-image property")
        << "XFCE"
        << ":0"
        << ""
        << QStringList{"xfconf-query|-c|xfce4-desktop|-l",
                       "xfconf-query|-c|xfce4-desktop|-p|/backdrop/screen0/monitorVGA-1/workspace0/"
                       "last-image|-s|" +
                           kPath,
                       "xfconf-query|-c|xfce4-desktop|-p|/backdrop/screen0/monitorHDMI-1/"
                       "workspace1/last-image|-s|" +
                           kPath};
    QTest::newRow("KDE") << "KDE"
                         << ""
                         << "wayland-0" << QStringList{"plasma-apply-wallpaperimage|" + kPath};
    QTest::newRow("LXQt") << "LXQt"
                          << ":0"
                          << "" << QStringList{"pcmanfm-qt|--set-wallpaper|" + kPath};
    QTest::newRow("sway: the path quoted for sway's own parser")
        << "sway"
        << ""
        << "wayland-1"
        << QStringList{"swaymsg|output|*|bg|\"/pics/Mój it's a \\\"b\\\".bmp\"|fill"};
    QTest::newRow("another X11 session: feh") << "i3"
                                              << ":0"
                                              << "" << QStringList{"feh|--bg-fill|" + kPath};
    QTest::newRow("no desktop named, X11: feh") << ""
                                                << ":0"
                                                << "" << QStringList{"feh|--bg-fill|" + kPath};
    QTest::newRow("another Wayland session: nothing") << "Hyprland"
                                                      << ""
                                                      << "wayland-0" << QStringList();
    QTest::newRow("no session at all: nothing") << ""
                                                << ""
                                                << "" << QStringList();
}

void TestDesktop::apply()
{
    QFETCH(QString, desktop);
    QFETCH(QString, display);
    QFETCH(QString, wayland);
    QFETCH(QStringList, calls);
    Fakes fakes;
    qputenv("XDG_CURRENT_DESKTOP", desktop.toUtf8());
    qputenv("DISPLAY", display.toUtf8());
    qputenv("WAYLAND_DISPLAY", wayland.toUtf8());
    QCOMPARE(DesktopWallpaper().apply(kPath), !calls.isEmpty());
    QCOMPARE(fakes.log(), calls);
}

void TestDesktop::failuresAreQuiet()
{
    Fakes fakes;
    qputenv("XDG_CURRENT_DESKTOP", "GNOME");
    qputenv("FAKE_HANG", "1"); // stopped at the time limit
    QVERIFY(!DesktopWallpaper(300).apply(kPath));
    QCOMPARE(fakes.log().size(), 2);
    QFile::remove(fakes.env.path(QStringLiteral("bin/gsettings")));
    QVERIFY(!DesktopWallpaper(300).apply(kPath));
    QCOMPARE(fakes.log().size(), 2);
}

QTEST_APPLESS_MAIN(TestDesktop)
#include "tst_desktop.moc"
