// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Files.h"

#include "platform/AppError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
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

QByteArray readRegularFile(const QString &path, qint64 maxBytes)
{
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        throw fileError(errno, path);
    const auto closing = qScopeGuard([fd] { ::close(fd); });
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0)
        throw fileError(errno, path);
    if (!S_ISREG(st.st_mode))
        throw fileError(EINVAL, path); // "Path/File access error"
    if (st.st_size > maxBytes)
        throw AppError(ErrNo::OutOfMemory,
                       QStringLiteral("The file is larger than %1 MB and is not read")
                           .arg(maxBytes / (1024 * 1024)));
    // Only the size seen here: a file still growing is not followed.
    QByteArray bytes(qsizetype(st.st_size), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw fileError(errno, path);
        if (n == 0)
            break; // cut short meanwhile
        done += n;
    }
    bytes.truncate(done);
    return bytes;
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
