#pragma once
// Reading and writing exchange files whole, with failures as the classic
// file errors (AppError).

#include <QByteArray>
#include <QString>

// The file's bytes. Throws AppError (file not found, permission denied ...).
QByteArray readWholeFile(const QString &path);

// Replaces (or creates) the file with bytes. The file changes only once all
// of them are written: on any failure it is as it was, and AppError says why.
void writeWholeFile(const QString &path, const QByteArray &bytes);
