// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// File tests and file errors in the program's terms.

#include <QByteArray>
#include <QString>

class AppError;

// True when the file can be opened for reading, or exists but may not be
// read (permission denied); false for anything else, folders included.
bool FileExists(const QString &path);

// The bytes of a regular file, read without waiting: the file is opened
// without blocking and refused unless it is a regular file, so a named pipe
// cannot wait for a writer nor a device be read without end. Throws AppError
// (the file errors of fileError, 75 for anything but a regular file, 7 for a
// file over maxBytes, which is refused before any of it is read).
QByteArray readRegularFile(const QString &path, qint64 maxBytes);

// The classic run-time error for a failed file operation on path, from errno.
AppError fileError(int errnoValue, const QString &path);

// The user's data folder for the program (~/.local/share/Almarik2), which
// stands in for the Windows folder.
QString userDataFolder();
