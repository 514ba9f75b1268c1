// SPDX-License-Identifier: GPL-3.0-or-later
#include "wallpaper/DesktopWallpaper.h"

#include "wallpaper/DesktopQuoting.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

QString env(const char *name)
{
    return qEnvironmentVariable(name);
}

bool isX11Session()
{
    if (env("XDG_SESSION_TYPE") == QLatin1String("x11"))
        return true;
    return !env("DISPLAY").isEmpty() && env("WAYLAND_DISPLAY").isEmpty();
}

} // namespace

DesktopWallpaper::Setter DesktopWallpaper::sessionDesktop()
{
    static const struct
    {
        const char *name;
        Setter set;
    } desktops[] = {
        {"GNOME", &DesktopWallpaper::gnome},
        {"Unity", &DesktopWallpaper::gnome},
        {"Budgie", &DesktopWallpaper::gnome},
        {"Pantheon", &DesktopWallpaper::gnome},
        {"X-Cinnamon", &DesktopWallpaper::cinnamon},
        {"Cinnamon", &DesktopWallpaper::cinnamon},
        {"MATE", &DesktopWallpaper::mate},
        {"XFCE", &DesktopWallpaper::xfce},
        {"KDE", &DesktopWallpaper::kde},
        {"LXQt", &DesktopWallpaper::lxqt},
        {"sway", &DesktopWallpaper::sway},
    };
    // The variable lists names from the most to the least specific.
    for (const QString &name :
         env("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        for (const auto &d : desktops) {
            if (name.compare(QLatin1String(d.name), Qt::CaseInsensitive) == 0)
                return d.set;
        }
    }
    if (isX11Session() && !QStandardPaths::findExecutable(QStringLiteral("feh")).isEmpty())
        return &DesktopWallpaper::feh;
    return nullptr;
}

bool DesktopWallpaper::apply(const QString &path) const
{
    const Setter set = sessionDesktop();
    if (!set || !refusal(path).isEmpty())
        return false;
    // A relative path means nothing to a desktop running elsewhere, and a
    // leading "/" keeps the path from being read as a tool's option.
    return (this->*set)(QFileInfo(path).absoluteFilePath());
}

QString DesktopWallpaper::refusal(const QString &path) const
{
    if (sessionDesktop() == &DesktopWallpaper::sway)
        return swayRefusal(QFileInfo(path).absoluteFilePath());
    return {};
}

bool DesktopWallpaper::gnome(const QString &path) const
{
    const QString uri = gvariantString(fileUri(path));
    const QString schema = QStringLiteral("org.gnome.desktop.background");
    // Both keys: which one shows depends on the light or dark style.
    const bool light = run(QStringLiteral("gsettings"),
                           {QStringLiteral("set"), schema, QStringLiteral("picture-uri"), uri});
    const bool dark = run(QStringLiteral("gsettings"),
                          {QStringLiteral("set"), schema, QStringLiteral("picture-uri-dark"), uri});
    return light && dark;
}

bool DesktopWallpaper::cinnamon(const QString &path) const
{
    return run(QStringLiteral("gsettings"),
               {QStringLiteral("set"), QStringLiteral("org.cinnamon.desktop.background"),
                QStringLiteral("picture-uri"), gvariantString(fileUri(path))});
}

bool DesktopWallpaper::mate(const QString &path) const
{
    return run(QStringLiteral("gsettings"),
               {QStringLiteral("set"), QStringLiteral("org.mate.background"),
                QStringLiteral("picture-filename"), gvariantString(path)});
}

bool DesktopWallpaper::xfce(const QString &path) const
{
    // One last-image property per monitor and workspace.
    const QString channel = QStringLiteral("xfce4-desktop");
    QByteArray listed;
    if (!run(QStringLiteral("xfconf-query"), {QStringLiteral("-c"), channel, QStringLiteral("-l")},
             &listed))
        return false;
    bool ok = false;
    for (const QByteArray &line : listed.split('\n')) {
        const QString property = QString::fromUtf8(line.trimmed());
        if (!property.endsWith(QLatin1String("/last-image")))
            continue;
        ok = run(QStringLiteral("xfconf-query"),
                 {QStringLiteral("-c"), channel, QStringLiteral("-p"), property,
                  QStringLiteral("-s"), path}) ||
             ok;
    }
    return ok;
}

bool DesktopWallpaper::kde(const QString &path) const
{
    // plasma-apply-wallpaperimage builds this script with the bare path,
    // so it refuses a quote and misreads "\", "%" and "#"; the URI written
    // as a JavaScript literal reaches Plasma whole.
    const QString script =
        QStringLiteral("for (var key in desktops()) {var d = desktops()[key];"
                       "d.wallpaperPlugin = 'org.kde.image';"
                       "d.currentConfigGroup = ['Wallpaper', 'org.kde.image', 'General'];"
                       "d.writeConfig('Image', ") +
        javaScriptString(fileUri(path)) + QStringLiteral(");}");
    return run(QStringLiteral("dbus-send"),
               {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                QStringLiteral("--dest=org.kde.plasmashell"), QStringLiteral("/PlasmaShell"),
                QStringLiteral("org.kde.PlasmaShell.evaluateScript"),
                QStringLiteral("string:") + script});
}

bool DesktopWallpaper::lxqt(const QString &path) const
{
    return run(QStringLiteral("pcmanfm-qt"), {QStringLiteral("--set-wallpaper"), path});
}

bool DesktopWallpaper::sway(const QString &path) const
{
    // swaymsg joins its arguments into one command that sway splits again
    // at blanks, ";" and ",", and sway expands the path with wordexp(),
    // running any "$(...)" even inside double quotes: every character that
    // either reads as syntax goes escaped.
    return run(QStringLiteral("swaymsg"),
               {QStringLiteral("output"), QStringLiteral("*"), QStringLiteral("bg"),
                swayPathArgument(path), QStringLiteral("fill")});
}

bool DesktopWallpaper::feh(const QString &path) const
{
    return run(QStringLiteral("feh"), {QStringLiteral("--bg-fill"), path});
}

bool DesktopWallpaper::run(const QString &program, const QStringList &args,
                           QByteArray *output) const
{
    const QString found = QStandardPaths::findExecutable(program);
    if (found.isEmpty())
        return false;
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    if (!output)
        process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(found, args);
    if (!process.waitForStarted(m_timeLimitMs))
        return false;
    if (!process.waitForFinished(m_timeLimitMs)) {
        process.kill();
        process.waitForFinished(1000);
        return false;
    }
    if (output)
        *output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}
