// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RegistryLock.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QThread>

namespace {

// A writer holds the lock for one read and one write of a small file; a lock
// older than this belongs to a process that hangs.
constexpr int kStaleMs = 10000;
constexpr int kWaitMs = 15000;

} // namespace

RegistryLock::RegistryLock(const QString &path) : m_lock(path + QStringLiteral(".lock"))
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    m_lock.setStaleLockTime(kStaleMs);
    // QLockFile's own wait sleeps 100 ms and more between tries; a writer
    // waits for another's short write, so it tries again after 1 ms.
    const QDeadlineTimer deadline(kWaitMs);
    while (!m_lock.tryLock(0)) {
        if (m_lock.error() != QLockFile::LockFailedError || deadline.hasExpired())
            return;
        QThread::msleep(1);
    }
}
