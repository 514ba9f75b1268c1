// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Daily Notification": a systemd user timer that runs almarik-list
// --notify for the open database at 09:00 each day (at the session's next
// start after a missed one), so the reminder comes without the window. The
// unit files, and the timer's link made by enabling it, are the switch's
// state, as the autostart entry is "Start at Login"'s.

#include <QByteArray>
#include <QString>

// $XDG_CONFIG_HOME/systemd/user (~/.config when that variable is unset or
// relative), where the user's manager finds almarik-notify.timer and
// almarik-notify.service.
QString systemdUserFolder();

// True when both unit files exist and the timer is enabled
// (timers.target.wants/almarik-notify.timer is there).
bool dailyNotificationEnabled();

// The service: runs listProgram --notify --database database, each
// argument quoted as systemd reads a command line.
QByteArray dailyServiceText(const QString &listProgram, const QString &database);
// The timer: 09:00 each day, persistent, wanted by timers.target.
QByteArray dailyTimerText();

// systemctl as found on PATH; "" when there is none.
QString systemctlProgram();

// Switching on: writes both units and runs systemctl (the program given,
// "--user daemon-reload", then "--user enable --now almarik-notify.timer").
// Switching off: "--user disable --now almarik-notify.timer", then the files
// and the link are removed. Throws AppError, with everything as it was, when
// systemctl is "" (switching on), listProgram is no program, a write fails,
// or systemctl fails (its own words quoted). Without systemctl switching off
// removes the files alone: no manager of this session runs them.
void setDailyNotification(bool enabled, const QString &listProgram, const QString &database,
                          const QString &systemctl);
