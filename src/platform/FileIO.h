// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Files read and written whole. Every file the program writes goes through
// replaceFileBytes: the old file stays as it was, byte for byte, until the
// new one is complete on disk, and every step of the write is checked.

#include <QByteArray>
#include <QString>

// A larger file is refused before any of it is read: nothing the program
// reads whole comes near it, and a stray disk image would fill the memory.
inline constexpr qint64 kMaxWholeFileBytes = qint64(256) * 1024 * 1024;

// The file's bytes. Throws AppError (file not found, permission denied, a
// file over kMaxWholeFileBytes, anything but a regular file ...), at once
// for a named pipe or a device: neither is opened so that it could block.
QByteArray readWholeFile(const QString &path);

// The file's first maxBytes bytes (fewer when it is shorter), refused as
// readWholeFile refuses anything but a regular file.
QByteArray readFileHead(const QString &path, qint64 maxBytes);

// Replaces (or creates) the file with bytes; throws AppError for the errno
// that replaceFileBytes returns.
void writeWholeFile(const QString &path, const QByteArray &bytes);

// Writes bytes to a new file beside path, syncs it and renames it over path
// (a link is followed and stays a link; the old file's permissions are
// kept). Returns 0, or the errno of the step that failed: then path is as it
// was and no new file is left behind.
int replaceFileBytes(const QString &path, const QByteArray &bytes);
