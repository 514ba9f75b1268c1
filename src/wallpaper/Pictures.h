// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading the wallpaper pictures: which files become a bitmap, the
// conversion itself, and the scaled-down preview. Pictures are decoded with
// Qt's image readers; one over the pixel limit is refused before it is
// decoded, so that a huge file cannot exhaust the memory.

#include <QImage>
#include <QSize>
#include <QString>

// The largest picture decoded, in pixels (8192 x 8192).
inline constexpr qint64 kMaxPicturePixels = qint64(8192) * 8192;

// True when the last four characters of file, in upper case, are ".GIF"
// or ".JPG" (so "x.jpeg" is not converted).
bool NeedsBitmap(const QString &file);

// The converted bitmap's full name in folder.
QString BitmapPath(const QString &folder);

// Decodes source and writes it to target as a BMP file, through a temporary
// file renamed into place, creating target's folder when needed. Only a
// regular file is read, without blocking. Throws AppError (481 for a file
// that is no readable picture or is cut off, 7 for one over the pixel
// limit, the file errors of a source that cannot be read, 75 for one that
// is no regular file, and of a target that cannot be written); target is
// then as it was.
void ConvertToBitmap(const QString &source, const QString &target);

// The picture scaled down to fit bound (never up), decoded at that size
// where the format allows. A null image when the file cannot be read (or is
// no regular file), is cut off or is over the pixel limit.
QImage LoadPreview(const QString &file, const QSize &bound);
