#include "platform/Files.h"

#include "platform/AppError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

bool FileExists(const QString &path)
{
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).isDir())
        return false;
    // O_NONBLOCK: a named pipe would otherwise wait for a writer for ever.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    return errno == EACCES || errno == EPERM;
}

AppError fileError(int errnoValue, const QString &path)
{
    Q_UNUSED(path)
    switch (errnoValue) {
    case ENOENT:
        return AppError(ErrNo::FileNotFound, QStringLiteral("File not found"));
    case ENOTDIR:
        return AppError(ErrNo::PathNotFound, QStringLiteral("Path not found"));
    case EACCES:
    case EPERM:
    case EROFS:
        return AppError(ErrNo::PermissionDenied, QStringLiteral("Permission denied"));
    case ENAMETOOLONG:
        return AppError(ErrNo::BadFileName, QStringLiteral("Bad file name or number"));
    case EIO:
        return AppError(ErrNo::DeviceIO, QStringLiteral("Device I/O error"));
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return AppError(ErrNo::DiskFull, QStringLiteral("Disk full"));
    default:
        return AppError(ErrNo::PathFileAccess, QStringLiteral("Path/File access error"));
    }
}

QString userDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Almarik2");
}
