#include "startup/Autostart.h"

#include "platform/AppError.h"
#include "platform/FileIO.h"
#include "platform/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>

namespace {

// The program as one Exec argument: quoted when it holds a character the
// desktop entry format reserves, then escaped as a string value.
QString execArgument(const QString &program)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString arg = program;
    arg.replace(QLatin1Char('%'), QStringLiteral("%%"));
    const bool quote =
        std::any_of(arg.cbegin(), arg.cend(), [](QChar c) { return reserved.contains(c); });
    if (quote) {
        QString quoted;
        for (const QChar c : arg) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                c == QLatin1Char('\\'))
                quoted += QLatin1Char('\\');
            quoted += c;
        }
        arg = QLatin1Char('"') + quoted + QLatin1Char('"');
    }
    // A string value reads "\\" as one backslash.
    arg.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return arg;
}

} // namespace

QString autostartEntryPath()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/autostart/almarik.desktop");
}

bool autostartEnabled()
{
    return QFileInfo(autostartEntryPath()).isFile();
}

QByteArray autostartEntryText(const QString &program)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Almarik\n"
                          "Comment=This month's birthdays, anniversaries and reminders\n"
                          "Exec=%1\n"
                          "Icon=almarik\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(execArgument(program))
        .toUtf8();
}

void setAutostart(bool enabled, const QString &program)
{
    const QString path = autostartEntryPath();
    const QString folder = QFileInfo(path).absolutePath();
    try {
        if (enabled) {
            if (!QDir().mkpath(folder))
                throw fileError(QFileInfo::exists(folder) ? ENOTDIR : EACCES, folder);
            writeWholeFile(path, autostartEntryText(program));
        } else if (QFileInfo(path).isFile() && !QFile::remove(path)) {
            // Only a file is the entry; anything else of that name is left alone.
            throw fileError(EACCES, path);
        }
    } catch (const AppError &e) {
        // The classic texts name no file; the user needs to know which.
        throw AppError(e.number(), e.description() + QStringLiteral(": ") + path);
    }
}
