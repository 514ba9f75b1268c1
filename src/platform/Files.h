#pragma once
// File tests and file errors in the program's terms.

#include <QString>

class AppError;

// True when the file can be opened for reading, or exists but may not be
// read (permission denied); false for anything else, folders included.
bool FileExists(const QString &path);

// The classic run-time error for a failed file operation on path, from errno.
AppError fileError(int errnoValue, const QString &path);

// The user's data folder for the program (~/.local/share/Almarik2), which
// stands in for the Windows folder.
QString userDataFolder();
