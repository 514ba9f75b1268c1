#pragma once
// "Start at Login": an XDG autostart entry almarik.desktop in the user's
// autostart folder. Its existence is the switch's state, so a user who
// removes the entry by hand sees the switch off.

#include <QByteArray>
#include <QString>

// $XDG_CONFIG_HOME/autostart/almarik.desktop (~/.config when that variable
// is unset or relative).
QString autostartEntryPath();

// True when the autostart entry exists (read from the file system each time).
bool autostartEnabled();

// The entry's text, starting program (an absolute path).
QByteArray autostartEntryText(const QString &program);

// Writes the entry for program (creating the folder) or removes it. The
// entry is written whole or not at all. Throws AppError when the folder,
// the write or the removal fails (the classic text, ": " and the entry's
// path); the entry is then as it was.
void setAutostart(bool enabled, const QString &program);
