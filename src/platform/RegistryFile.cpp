// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RegistryFile.h"

#include "platform/FileIO.h"
#include "platform/Registry.h"
#include "platform/RegistryText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <cerrno>
#include <sys/stat.h>

namespace {

RegistryFile::Stamp stampOf(const QString &path)
{
    RegistryFile::Stamp s;
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return s;
    s.exists = true;
    s.device = quint64(st.st_dev);
    s.inode = quint64(st.st_ino);
    s.size = qint64(st.st_size);
    s.seconds = qint64(st.st_mtim.tv_sec);
    s.nanoseconds = qint64(st.st_mtim.tv_nsec);
    return s;
}

// The file's bytes; false (with the reason) when it exists but cannot be
// read.
bool readBytes(const QString &path, QByteArray &raw, QString &reason)
{
    raw.clear();
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
        return false;
    }
    raw = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        reason = file.errorString();
        return false;
    }
    return true;
}

// Other writers take a lock over as stale after 10 s (RegistryLock); a batch
// gives its lock back well before.
constexpr qint64 kBatchHoldMs = 4000;

} // namespace

RegistryFile::RegistryFile(qint32 root) : m_root(root) {}

RegistryFile::~RegistryFile() = default;

RegistryNode &RegistryFile::tree(bool exact)
{
    // Under the batch's lock the file can only change by the batch's own
    // write: reading it again would drop the changes not yet saved.
    if (m_pinned && m_tree)
        return *m_tree;
    const QString path = RegistryStore::fileFor(m_root);
    const Stamp stamp = stampOf(path);
    if (m_tree && path == m_path && stamp == m_stamp && !exact)
        return *m_tree;
    QByteArray raw;
    QString reason;
    if (!readBytes(path, raw, reason)) {
        const bool told = m_tree && m_blocked && path == m_path && stamp == m_stamp;
        if (!told) {
            load(path, stamp, {});
            refuse(path, reason);
        }
    } else if (!m_tree || path != m_path || raw != m_raw || stamp.exists != m_stamp.exists) {
        load(path, stamp, raw);
    } else {
        m_stamp = stamp; // the same bytes: already read, and told about
    }
    m_pinned = exact && m_batchLock;
    return *m_tree;
}

void RegistryFile::load(const QString &path, const Stamp &stamp, const QByteArray &raw)
{
    m_path = path;
    m_stamp = stamp;
    m_raw = raw;
    m_blocked = false;
    m_tree = std::make_unique<RegistryNode>(RegistryStore::rootName(m_root));
    if (raw.isEmpty() && !stamp.exists)
        return;
    const RegTextFault fault = parseRegText(raw, RegistryStore::rootName(m_root), *m_tree);
    if (fault.line > 0)
        refuse(path, QStringLiteral("line %1: %2").arg(fault.line).arg(fault.reason));
}

void RegistryFile::refuse(const QString &path, const QString &reason)
{
    // What could be read is used; the file itself is the user's to mend, so
    // nothing is written over it. The user is told once: the file is read
    // again only when it changes.
    m_blocked = true;
    m_notice = QStringLiteral("The registry file ") + path +
               QStringLiteral(" could not be read (") + reason +
               QStringLiteral(").\r\nIt is left as it is and nothing will be written to it.");
}

bool RegistryFile::writable() const
{
    // As of the last tree(): reading again here could swap the keys under a
    // caller that holds one of them.
    return !m_blocked && RegistryStore::mayWrite(m_root);
}

qint32 RegistryFile::save()
{
    // Callers have checked writable() before changing the keys.
    const QByteArray text = regText(*m_tree, RegistryStore::rootName(m_root));
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    const int cause = replaceFileBytes(m_path, text);
    if (cause == 0) {
        m_stamp = stampOf(m_path);
        m_raw = text;
        return ERROR_SUCCESS;
    }
    m_tree.reset(); // the change was not kept: read the file again
    return cause == EACCES || cause == EPERM || cause == EROFS ? ERROR_ACCESS_DENIED
                                                               : ERROR_REGISTRY_IO_FAILED;
}

qint32 RegistryFile::changed()
{
    if (!m_batch)
        return save();
    m_held = true;
    return ERROR_SUCCESS;
}

qint32 RegistryFile::lockForChange(std::optional<RegistryLock> &lock)
{
    if (m_batchLock && m_holdEnds.hasExpired()) {
        // Other writers take a lock held this long over as stale: a long
        // batch writes what it changed so far and takes the lock afresh.
        const qint32 rc = writeBatch();
        if (m_failed == ERROR_SUCCESS)
            m_failed = rc;
    }
    if (m_batchLock)
        return ERROR_SUCCESS;
    if (!RegistryStore::mayWrite(m_root))
        return ERROR_SUCCESS;
    std::optional<RegistryLock> &target = m_batch ? m_batchLock : lock;
    target.emplace(RegistryStore::fileFor(m_root));
    if (!target->isLocked()) {
        target.reset();
        return ERROR_REGISTRY_IO_FAILED;
    }
    m_holdEnds = QDeadlineTimer(kBatchHoldMs);
    return ERROR_SUCCESS;
}

qint32 RegistryFile::writeBatch()
{
    bool saved = false;
    // Whatever happens, the lock is given back and a change that was not
    // saved is not kept.
    const auto release = qScopeGuard([&] {
        if (m_held && !saved)
            m_tree.reset();
        m_held = m_pinned = false;
        m_batchLock.reset();
    });
    const qint32 rc = m_held ? save() : ERROR_SUCCESS;
    saved = rc == ERROR_SUCCESS;
    return rc;
}

qint32 RegistryFile::endBatch()
{
    m_batch = false;
    const qint32 earlier = std::exchange(m_failed, ERROR_SUCCESS);
    const qint32 rc = writeBatch();
    return earlier != ERROR_SUCCESS ? earlier : rc;
}
