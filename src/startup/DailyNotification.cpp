// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup/DailyNotification.h"

#include "platform/AppError.h"
#include "platform/FileIO.h"
#include "platform/Files.h"
#include "startup/Autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <cerrno>
#include <optional>

namespace {

const QString kTimer = QStringLiteral("almarik-notify.timer");
const QString kService = QStringLiteral("almarik-notify.service");

QString timerPath()
{
    return systemdUserFolder() + QLatin1Char('/') + kTimer;
}

QString servicePath()
{
    return systemdUserFolder() + QLatin1Char('/') + kService;
}

QString enabledLink()
{
    return systemdUserFolder() + QStringLiteral("/timers.target.wants/") + kTimer;
}

// The classic texts name no file; the user needs to know which.
AppError naming(const AppError &e, const QString &path)
{
    return AppError(e.number(), e.description() + QStringLiteral(": ") + path);
}

// One argument of a systemd command line: quoted, with C escapes, and its
// specifiers ("%") and variables ("$") taken literally.
QString systemdArgument(const QString &text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            out += QLatin1Char('\\') + c;
        else if (c == QLatin1Char('%'))
            out += QStringLiteral("%%");
        else if (c == QLatin1Char('$'))
            out += QStringLiteral("$$");
        else if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out + QLatin1Char('"');
}

// Runs systemctl with arguments; "" when it succeeded, else what it said.
QString systemctlFailure(const QString &systemctl, const QStringList &arguments)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(systemctl, arguments);
    const QString command = QStringLiteral("systemctl ") + arguments.join(QLatin1Char(' '));
    if (!p.waitForStarted(10000))
        return command + QStringLiteral(" could not be started: ") + p.errorString();
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished(5000);
        return command + QStringLiteral(" did not finish within a minute");
    }
    const QString said = QString::fromLocal8Bit(p.readAll()).trimmed();
    if (p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return QString();
    return command + QStringLiteral(" failed") +
           (said.isEmpty() ? QString() : QStringLiteral(": ") + said);
}

std::optional<QByteArray> bytesOf(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    try {
        return readWholeFile(path);
    } catch (const AppError &e) {
        throw naming(e, path);
    }
}

// Puts a unit file back as it was before this switching.
void restore(const QString &path, const std::optional<QByteArray> &before)
{
    try {
        if (before)
            writeWholeFile(path, *before);
        else
            QFile::remove(path);
    } catch (const AppError &) {
        // The failure being reported already says the switch did not happen.
    }
}

void writeUnit(const QString &path, const QByteArray &text)
{
    try {
        writeWholeFile(path, text);
    } catch (const AppError &e) {
        throw naming(e, path);
    }
}

void removeFile(const QString &path)
{
    if ((QFileInfo(path).isFile() || QFileInfo(path).isSymLink()) && !QFile::remove(path))
        throw naming(fileError(EACCES, path), path);
}

void switchOn(const QString &listProgram, const QString &database, const QString &systemctl)
{
    if (systemctl.isEmpty())
        throw AppError(ErrNo::FileNotFound,
                       QStringLiteral("Daily Notification needs systemd's user manager, and "
                                      "systemctl was not found. Nothing was written."));
    const QFileInfo program(listProgram);
    if (!program.isFile() || !program.isExecutable())
        throw AppError(ErrNo::FileNotFound, QStringLiteral("'") + listProgram +
                                                QStringLiteral("' was not found. Nothing was "
                                                               "written."));
    const QString folder = systemdUserFolder();
    if (!QDir().mkpath(folder))
        throw naming(fileError(QFileInfo::exists(folder) ? ENOTDIR : EACCES, folder), folder);
    const auto service = bytesOf(servicePath());
    const auto timer = bytesOf(timerPath());
    const bool linked = QFileInfo(enabledLink()).isSymLink();
    const auto undo = [&] {
        if (!linked)
            QFile::remove(enabledLink());
        restore(timerPath(), timer);
        restore(servicePath(), service);
    };
    try {
        writeUnit(servicePath(), dailyServiceText(program.absoluteFilePath(),
                                                  QFileInfo(database).absoluteFilePath()));
        writeUnit(timerPath(), dailyTimerText());
    } catch (const AppError &) {
        undo();
        throw;
    }
    QString failure =
        systemctlFailure(systemctl, {QStringLiteral("--user"), QStringLiteral("daemon-reload")});
    if (failure.isEmpty())
        failure = systemctlFailure(systemctl, {QStringLiteral("--user"), QStringLiteral("enable"),
                                               QStringLiteral("--now"), kTimer});
    if (!failure.isEmpty()) {
        undo();
        // Tell the manager, if it listens, that the units are gone again.
        systemctlFailure(systemctl, {QStringLiteral("--user"), QStringLiteral("daemon-reload")});
        throw AppError(ErrNo::PathFileAccess, failure + QStringLiteral(". Nothing was changed."));
    }
}

void switchOff(const QString &systemctl)
{
    if (!systemctl.isEmpty()) {
        const QString failure =
            systemctlFailure(systemctl, {QStringLiteral("--user"), QStringLiteral("disable"),
                                         QStringLiteral("--now"), kTimer});
        if (!failure.isEmpty())
            throw AppError(ErrNo::PathFileAccess,
                           failure + QStringLiteral(". The timer stays as it was."));
    }
    removeFile(enabledLink());
    removeFile(timerPath());
    removeFile(servicePath());
    if (!systemctl.isEmpty())
        systemctlFailure(systemctl, {QStringLiteral("--user"), QStringLiteral("daemon-reload")});
}

} // namespace

QString systemdUserFolder()
{
    return userConfigHome() + QStringLiteral("/systemd/user");
}

bool dailyNotificationEnabled()
{
    return QFileInfo(timerPath()).isFile() && QFileInfo(servicePath()).isFile() &&
           QFileInfo::exists(enabledLink());
}

QByteArray dailyServiceText(const QString &listProgram, const QString &database)
{
    return (QStringLiteral("[Unit]\n"
                           "Description=Almarik's notification of today's and tomorrow's events\n"
                           "\n"
                           "[Service]\n"
                           "Type=oneshot\n"
                           "ExecStart=") +
            systemdArgument(listProgram) + QStringLiteral(" --notify --database ") +
            systemdArgument(database) + QLatin1Char('\n'))
        .toUtf8();
}

QByteArray dailyTimerText()
{
    return QByteArrayLiteral("[Unit]\n"
                             "Description=Almarik's daily notification at 09:00\n"
                             "\n"
                             "[Timer]\n"
                             "OnCalendar=*-*-* 09:00:00\n"
                             "Persistent=true\n"
                             "Unit=almarik-notify.service\n"
                             "\n"
                             "[Install]\n"
                             "WantedBy=timers.target\n");
}

QString systemctlProgram()
{
    return QStandardPaths::findExecutable(QStringLiteral("systemctl"));
}

void setDailyNotification(bool enabled, const QString &listProgram, const QString &database,
                          const QString &systemctl)
{
    if (enabled)
        switchOn(listProgram, database, systemctl);
    else
        switchOff(systemctl);
}
