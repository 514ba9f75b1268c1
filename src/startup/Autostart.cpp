// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup/Autostart.h"

#include "platform/AppError.h"
#include "platform/FileIO.h"
#include "platform/Files.h"
#include "startup/StartupDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>

namespace {

// One Exec argument: quoted when it holds a character the desktop entry
// format reserves, then escaped as a string value.
QString execArgument(const QString &program)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    for (const QChar c : program) {
        if (c.unicode() < 0x20 && c != QLatin1Char('\t') && c != QLatin1Char('\n') &&
            c != QLatin1Char('\r'))
            throw AppError(ErrNo::BadFileName,
                           QStringLiteral("The path '") + program +
                               QStringLiteral("' holds a control character, which a desktop "
                                              "entry cannot hold."));
    }
    QString arg = program;
    arg.replace(QLatin1Char('%'), QStringLiteral("%%"));
    const bool quote = std::any_of(arg.cbegin(), arg.cend(), [](QChar c) {
        return reserved.contains(c) || c == QLatin1Char('\r');
    });
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
    // A string value reads "\\" as one backslash and "\n" as a line break.
    arg.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    arg.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    arg.replace(QLatin1Char('\t'), QStringLiteral("\\t"));
    arg.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    return arg;
}

} // namespace

QString userConfigHome()
{
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || QDir::isRelativePath(config))
        return QDir::homePath() + QStringLiteral("/.config");
    return config;
}

QString autostartEntryPath()
{
    return userConfigHome() + QStringLiteral("/autostart/almarik.desktop");
}

bool autostartEnabled()
{
    const QString path = autostartEntryPath();
    if (!QFileInfo(path).isFile())
        return false;
    try {
        return !autostartEntryOff(readWholeFile(path));
    } catch (const AppError &) {
        return true; // there, though unreadable to us: the desktop may still start it
    }
}

bool autostartEntryOff(const QByteArray &text)
{
    bool inEntry = false;
    for (const QByteArray &raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[')) {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (!inEntry || eq < 0)
            continue;
        const QByteArray key = line.left(eq).trimmed();
        const QByteArray value = line.mid(eq + 1).trimmed();
        if ((key == "Hidden" && value == "true") ||
            (key == "X-GNOME-Autostart-enabled" && value == "false"))
            return true;
    }
    return false;
}

QString autostartDatabase(const QString &database, const QString &programFolder)
{
    QString found = existingDatabase(programFolder);
    if (found.isEmpty())
        found = QDir(userDataFolder()).filePath(QStringLiteral("Almarik.MDB"));
    // Links resolved where the files exist; QFileInfo's == takes any two
    // missing files for the same.
    const auto key = [](const QString &path) {
        const QFileInfo info(path);
        const QString canonical = info.canonicalFilePath();
        return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
    };
    if (key(database) == key(found))
        return QString();
    return QDir::cleanPath(QFileInfo(database).absoluteFilePath());
}

QByteArray autostartEntryText(const QString &program, const QString &database)
{
    QString exec = execArgument(program);
    if (!database.isEmpty())
        exec += QLatin1Char(' ') + execArgument(database);
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Almarik\n"
                          "Comment=This month's birthdays, anniversaries and reminders\n"
                          "Exec=%1\n"
                          "Icon=almarik\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(exec)
        .toUtf8();
}

void setAutostart(bool enabled, const QString &program, const QString &database)
{
    const QString path = autostartEntryPath();
    const QString folder = QFileInfo(path).absolutePath();
    try {
        if (enabled) {
            if (!QDir().mkpath(folder))
                throw fileError(QFileInfo::exists(folder) ? ENOTDIR : EACCES, folder);
            writeWholeFile(path, autostartEntryText(program, database));
        } else if (QFileInfo(path).isFile() && !QFile::remove(path)) {
            // Only a file is the entry; anything else of that name is left alone.
            throw fileError(EACCES, path);
        }
    } catch (const AppError &e) {
        // The classic texts name no file; the user needs to know which.
        throw AppError(e.number(), e.description() + QStringLiteral(": ") + path);
    }
}
