// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileIO.h"

#include "platform/AppError.h"
#include "platform/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// The file a write to path lands in: a link's target, so that the link stays.
QByteArray writeTarget(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    char resolved[PATH_MAX];
    return ::realpath(name.constData(), resolved) ? QByteArray(resolved) : name;
}

int writeAll(int fd, const QByteArray &bytes)
{
    const char *at = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, at, size_t(std::min<qint64>(left, qint64(1) << 30)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        at += n;
        left -= n;
    }
    return 0;
}

} // namespace

namespace {

// Opens file at path for reading without blocking in open() (a named pipe
// would wait there for a writer) and refuses anything but a regular file,
// which alone has an end to read to. Returns its size; throws AppError.
qint64 openRegularFile(QFile &file, const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw fileError(errno, path);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw fileError(EIO, path);
    }
    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0)
        throw fileError(errno, path);
    if (S_ISDIR(info.st_mode))
        throw fileError(EISDIR, path);
    if (!S_ISREG(info.st_mode))
        throw AppError(ErrNo::PathFileAccess,
                       QStringLiteral("The file is no regular file (a pipe or a device) and is "
                                      "not read"));
    return qint64(info.st_size);
}

} // namespace

QByteArray readWholeFile(const QString &path)
{
    QFile file;
    const auto tooLarge = [] {
        return AppError(ErrNo::OutOfMemory,
                        QStringLiteral("The file is larger than %1 MB and is not read")
                            .arg(kMaxWholeFileBytes / (1024 * 1024)));
    };
    if (openRegularFile(file, path) > kMaxWholeFileBytes)
        throw tooLarge();
    // Bounded too: the file may grow while it is read.
    const QByteArray bytes = file.read(kMaxWholeFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        throw fileError(EIO, path);
    if (bytes.size() > kMaxWholeFileBytes)
        throw tooLarge();
    return bytes;
}

QByteArray readFileHead(const QString &path, qint64 maxBytes)
{
    QFile file;
    openRegularFile(file, path);
    const QByteArray bytes = file.read(maxBytes);
    if (file.error() != QFileDevice::NoError)
        throw fileError(EIO, path);
    return bytes;
}

void writeWholeFile(const QString &path, const QByteArray &bytes)
{
    if (const int error = replaceFileBytes(path, bytes))
        throw fileError(error, path);
}

int replaceFileBytes(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    if (info.isDir())
        return EISDIR;
    if (!info.absoluteDir().exists())
        return ENOTDIR;
    // Checked here: the rename would otherwise get past a read-only file.
    if (info.exists() && !info.isWritable())
        return EACCES;
    const QByteArray target = writeTarget(path);
    struct stat old
    {
    };
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return EINVAL; // a rename would put a file in place of a device or pipe
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash > 0 ? target.left(slash) : QByteArray(slash == 0 ? "/" : ".");
    const QByteArray base = target.mid(slash + 1);

    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temp = folder + "/." + base + '.' +
               QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".new";
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return errno;
    }
    if (fd < 0)
        return EEXIST;
    const auto fail = [&](int error) {
        if (fd >= 0)
            ::close(fd);
        ::unlink(temp.constData());
        return error;
    };
    if (exists) {
        if (::fchmod(fd, old.st_mode & 07777) != 0)
            return fail(errno);
        // Only root may give the file back to its owner; anyone else owns it.
        if (::geteuid() == 0 && ::fchown(fd, old.st_uid, old.st_gid) != 0)
            return fail(errno);
    }
    if (const int error = writeAll(fd, bytes))
        return fail(error);
    // A full disk or a failing device may show only here.
    if (::fsync(fd) != 0)
        return fail(errno);
    const int closing = std::exchange(fd, -1);
    if (::close(closing) != 0)
        return fail(errno);
    if (::rename(temp.constData(), target.constData()) != 0)
        return fail(errno);
    // The folder's entry is synced too, so that a crash now keeps the new
    // name; the file is whole in either case, so a failure here is not one.
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return 0;
}
