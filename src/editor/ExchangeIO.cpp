#include "editor/ExchangeIO.h"

#include "platform/AppError.h"
#include "platform/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

QByteArray readWholeFile(const QString &path)
{
    QFile file(path);
    if (QFileInfo(path).isDir())
        throw fileError(EISDIR, path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        throw fileError(errno ? errno : EIO, path);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw fileError(EIO, path);
    return bytes;
}

void writeWholeFile(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    if (info.isDir())
        throw fileError(EISDIR, path);
    if (!info.absoluteDir().exists())
        throw fileError(ENOTDIR, path);
    // Checked here: a replacing save would otherwise get past a read-only file.
    if (info.exists() && !info.isWritable())
        throw fileError(EACCES, path);
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        throw fileError(errno ? errno : EACCES, path);
    if (file.write(bytes) != bytes.size()) {
        const int error = errno ? errno : EIO;
        file.cancelWriting();
        throw fileError(error, path);
    }
    if (!file.commit())
        throw fileError(errno ? errno : EIO, path);
}
