// SPDX-License-Identifier: GPL-3.0-or-later
#include "wallpaper/Pictures.h"

#include "platform/AppError.h"
#include "platform/FileIO.h"
#include "platform/Files.h"
#include "wallpaper/PictureData.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>

namespace {

const AppError kInvalidPicture(481, QStringLiteral("Invalid picture"));

// A reader over the file's bytes with the pixel limit checked; the size is
// read from the header, before anything is decoded.
void checkSize(QImageReader &reader)
{
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxPicturePixels)
        throw AppError(ErrNo::OutOfMemory, QStringLiteral("Picture too large (%1 x %2 pixels)")
                                               .arg(size.width())
                                               .arg(size.height()));
}

QImage readPicture(const QString &file, const QSize &bound)
{
    // Read whole first, from a regular file only: a named pipe among the
    // pictures must not wait for a writer, nor a device be read without end.
    QByteArray data = readRegularFile(file, kMaxWholeFileBytes);
    QBuffer in(&data);
    in.open(QIODevice::ReadOnly);
    QImageReader reader(&in);
    // Our own pixel limit decides; Qt's allocation limit must not refuse
    // first with a vaguer failure.
    reader.setAllocationLimit(int(kMaxPicturePixels * 4 / (1024 * 1024)) + 64);
    if (!reader.canRead())
        throw kInvalidPicture;
    checkSize(reader);
    if (IsCutOff(data, reader.format()))
        throw kInvalidPicture;
    if (bound.isValid() && reader.size().isValid() &&
        (reader.size().width() > bound.width() || reader.size().height() > bound.height()))
        reader.setScaledSize(reader.size().scaled(bound, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull())
        throw kInvalidPicture;
    return image;
}

} // namespace

bool NeedsBitmap(const QString &file)
{
    const QString tail = file.right(4).toUpper();
    return tail == QLatin1String(".GIF") || tail == QLatin1String(".JPG");
}

QString BitmapPath(const QString &folder)
{
    return folder + QStringLiteral("/Almarik.BMP");
}

void ConvertToBitmap(const QString &source, const QString &target)
{
    const QImage image = readPicture(source, QSize());
    if (!QDir().mkpath(QFileInfo(target).absolutePath()))
        throw AppError(ErrNo::PathNotFound, QStringLiteral("Path not found"));
    // Made whole in memory first: the old bitmap stays until the new one is
    // complete.
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    if (!QImageWriter(&bytes, "bmp").write(image))
        throw AppError(ErrNo::OutOfMemory, QStringLiteral("Out of memory"));
    writeWholeFile(target, bytes.data());
}

QImage LoadPreview(const QString &file, const QSize &bound)
{
    try {
        return readPicture(file, bound);
    } catch (const AppError &) {
        return QImage();
    }
}
