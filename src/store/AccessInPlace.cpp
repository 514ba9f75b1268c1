// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/AccessConvert.h"

#include "platform/Files.h"
#include "store/Connection.h"
#include "store/DbError.h"

#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

void removeDatabase(const QString &path)
{
    QFile::remove(path);
    for (const QString &side : Connection::sideFiles(path))
        QFile::remove(side);
}

// The renames reach the disk, so a crash after them does not bring the old
// names back.
void syncFolder(const QString &path)
{
    const int fd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

QString accessBackupPath(const QString &path)
{
    return path + QStringLiteral(".access");
}

AccessConversion convertAccessDatabaseInPlace(const QString &path,
                                              const ConversionProgress &progress)
{
    const QString backup = accessBackupPath(path);
    const auto taken = [&] {
        return DbError(DbErrNo::General,
                       QStringLiteral("'") + backup +
                           QStringLiteral("' exists already: it may be the original of an "
                                          "earlier conversion. Move it away and try again. '") +
                           path + QStringLiteral("' was not changed."));
    };
    if (QFileInfo::exists(backup) || QFileInfo(backup).isSymLink())
        throw taken();
    // SQLite would take a log or journal left beside the name for the new
    // file's own and write it into it.
    for (const QString &side : Connection::sideFiles(path)) {
        if (QFileInfo::exists(side) || QFileInfo(side).isSymLink())
            throw DbError(DbErrNo::General,
                          QStringLiteral("'") + side +
                              QStringLiteral("' exists beside the file: it belongs to another "
                                             "database of that name. Move it away and try "
                                             "again. '") +
                              path + QStringLiteral("' was not changed."));
    }
    const QString temp = path + QStringLiteral(".converting-") +
                         QUuid::createUuid().toString(QUuid::WithoutBraces).left(8);
    AccessConversion report = convertAccessDatabase(path, temp, progress);
    // The new file is closed: whatever a log still held would stay behind
    // under the temporary name.
    for (const QString &side : Connection::sideFiles(temp)) {
        if (QFileInfo::exists(side)) {
            removeDatabase(temp);
            throw DbError(DbErrNo::General, QStringLiteral("The converted database could not be "
                                                           "written whole. '") +
                                                path + QStringLiteral("' was not changed."));
        }
    }
    const QByteArray from = QFile::encodeName(path);
    const QByteArray kept = QFile::encodeName(backup);
    try {
        // The original gets its second name first (a hard link never
        // replaces a file), then the new file takes the first name in one
        // rename: at no moment is the path missing or half written.
        bool linked = ::link(from.constData(), kept.constData()) == 0;
        if (!linked) {
            if (errno == EEXIST)
                throw taken();
            // A file system without hard links: the original is renamed.
            if (QFileInfo::exists(backup))
                throw taken();
            if (::rename(from.constData(), kept.constData()) != 0)
                throw fileError(errno, backup);
        }
        if (::rename(QFile::encodeName(temp).constData(), from.constData()) != 0) {
            const int e = errno;
            if (linked)
                ::unlink(kept.constData());
            else
                ::rename(kept.constData(), from.constData());
            throw fileError(e, path);
        }
    } catch (...) {
        removeDatabase(temp);
        throw;
    }
    syncFolder(path);
    return report;
}
