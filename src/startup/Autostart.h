// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Start at Login": an XDG autostart entry almarik.desktop in the user's
// autostart folder. The entry itself is the switch's state, so a user who
// removes it by hand, or a desktop that switches it off in the entry
// (Hidden=true, X-GNOME-Autostart-enabled=false), sees the switch off.

#include <QByteArray>
#include <QString>

// $XDG_CONFIG_HOME, or ~/.config when that variable is unset or relative.
QString userConfigHome();

// $XDG_CONFIG_HOME/autostart/almarik.desktop (~/.config when that variable
// is unset or relative).
QString autostartEntryPath();

// True when the autostart entry exists and does not switch itself off
// (read from the file system each time).
bool autostartEnabled();

// Whether an entry's text switches it off: Hidden=true or
// X-GNOME-Autostart-enabled=false in its [Desktop Entry] group.
bool autostartEntryOff(const QByteArray &text);

// The database a start at login must be given: "" when a start without
// arguments finds it anyway (the search's file beside programFolder, else
// the user's own), otherwise its absolute path.
QString autostartDatabase(const QString &database, const QString &programFolder);

// The entry's text, starting program (an absolute path) with database as
// its one argument when not "", each quoted as desktop entries want. Throws
// AppError for a path holding a control character other than a tab or a
// line break, which no entry can hold.
QByteArray autostartEntryText(const QString &program, const QString &database = QString());

// Writes the entry for program and database (creating the folder) or
// removes it. The entry is written whole or not at all. Throws AppError
// when the folder, the write or the removal fails (the classic text, ": "
// and the entry's path); the entry is then as it was.
void setAutostart(bool enabled, const QString &program, const QString &database = QString());
