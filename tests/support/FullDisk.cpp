// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FullDisk.h"

#include "support/ChildProcess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Fills the tmpfs at folder until room bytes are left.
QString fill(const QString &folder, qint64 room)
{
    const QByteArray name = QFile::encodeName(folder + QStringLiteral("/.filler"));
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        return QStringLiteral("filler not created");
    const QByteArray block(4096, 'f');
    qint64 size = 0;
    while (::write(fd, block.constData(), size_t(block.size())) == block.size())
        size += block.size();
    const bool cut = ::ftruncate(fd, std::max<qint64>(0, size - room)) == 0;
    ::close(fd);
    return cut ? QString() : QStringLiteral("filler not cut");
}

QString inChild(const QString &folder, qint64 room, const FolderStep &setup, const FolderStep &work)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const QByteArray path = QFile::encodeName(folder);
    if (fullDiskIsTmpfs() && (::unshare(CLONE_NEWNS) != 0 ||
                              ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                              ::mount("fulldisk", path.constData(), "tmpfs", 0, "size=1m") != 0))
        return QStringLiteral("no tmpfs");
    if (const QString failed = setup(folder); !failed.isEmpty())
        return failed;
    if (fullDiskIsTmpfs()) {
        if (const QString failed = fill(folder, room); !failed.isEmpty())
            return failed;
    } else {
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = rlim_t(room);
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return QStringLiteral("no file-size limit");
    }
    return work(folder);
}

} // namespace

bool fullDiskIsTmpfs()
{
    return ::geteuid() == 0;
}

QString onFullDisk(qint64 room, const FolderStep &setup, const FolderStep &work)
{
    QTemporaryDir base;
    const QString folder = base.filePath(QStringLiteral("disk"));
    QDir().mkpath(folder);
    return inChildProcess([&] { return inChild(folder, room, setup, work); });
}
