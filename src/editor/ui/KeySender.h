// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Typing into another program's window as a user would: bring it to the
// front by the beginning of its title, then send it keys in the key
// notation. The windows that take keys this way are the Notepad
// stand-in's (NotepadKeys.h).

#include <QString>

// Brings the window whose title begins with titleStart to the front (with
// pid, only that process's window); it receives what SendKeys sends. False
// when there is none.
bool AppActivate(const QString &titleStart, qint64 pid = 0);

// Sends the keys of notation to the window in front. With wait, returns
// only once they, and every key sent before, have been typed; without,
// they are queued. Throws AppError for a malformed notation, before any
// key is sent, and when the window is gone or does not answer.
void SendKeys(const QString &notation, bool wait = false);
