// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One root's file: read again when it changed on disk (so that every store
// object and every process sees the last write), written atomically, and
// never written over while some line of it could not be read.

#include "platform/RegistryLock.h"
#include "platform/RegistryTree.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>
#include <memory>
#include <optional>
#include <utility>

class RegistryFile
{
public:
    explicit RegistryFile(qint32 root);
    ~RegistryFile();

    // The keys as the file holds them now. Unless exact, a file whose size,
    // time and identity are unchanged is taken as read; exact compares its
    // bytes, for a writer holding the root's lock.
    RegistryNode &tree(bool exact = false);
    // True when changes may be saved: the root may be written and its file,
    // if it existed at the last tree(), was read whole.
    bool writable() const;
    // Writes the tree (changed by the caller, who checked writable() first)
    // atomically: the old file stays as it was unless every byte of the new
    // one reached the disk. Returns a result code; on failure the change is
    // dropped and the file read again.
    qint32 save();

    // A change made to the tree: saved at once, or at endBatch() in a batch.
    qint32 changed();
    // Takes the root's lock for a change that is to read the file exactly
    // and save it: into lock, or in a batch into the file, which keeps it to
    // the batch's end. A root that may not be written is not locked (the
    // change is refused anyway). ERROR_REGISTRY_IO_FAILED when another
    // writer keeps the lock.
    qint32 lockForChange(std::optional<RegistryLock> &lock);
    // A batch: from the first change's lock to endBatch() the tree read
    // under that lock is the file (no other writer can change it) and
    // changes stay in memory. endBatch() saves them once, gives the lock
    // back and returns save()'s code; on failure the file is as it was and
    // the batch's changes are dropped. A batch that holds the lock for
    // seconds saves on the way and locks again, and endBatch() answers the
    // first failed save. Batches do not nest.
    void beginBatch() { m_batch = true; }
    qint32 endBatch();
    // What the user is to be told about the file since the last call (a
    // line that could not be read), "" when nothing; the caller shows it.
    QString takeNotice() { return std::exchange(m_notice, QString()); }

    // What a file's identity and last change looked like when it was read.
    struct Stamp
    {
        bool exists = false;
        quint64 device = 0, inode = 0;
        qint64 size = 0, seconds = 0, nanoseconds = 0;
        bool operator==(const Stamp &) const = default;
    };

private:
    void load(const QString &path, const Stamp &stamp, const QByteArray &raw);
    void refuse(const QString &path, const QString &reason);
    qint32 writeBatch();

    qint32 m_root;
    QString m_path;
    Stamp m_stamp;
    QByteArray m_raw; // the bytes the tree was read from
    std::unique_ptr<RegistryNode> m_tree;
    bool m_blocked = false; // the file could not be read whole
    bool m_batch = false;
    bool m_held = false;   // the batch changed the tree
    bool m_pinned = false; // the tree was read under the batch's lock
    std::optional<RegistryLock> m_batchLock;
    QDeadlineTimer m_holdEnds;       // when the batch is to give its lock back
    qint32 m_failed = ERROR_SUCCESS; // a batch's first failed save
    QString m_notice;
};
