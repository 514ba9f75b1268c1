#pragma once
// One root's file: read again when it changed on disk (so that every store
// object and every process sees the last write), written atomically, and
// never written over while some line of it could not be read.

#include "platform/RegistryTree.h"

#include <QByteArray>
#include <QString>
#include <memory>

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

    qint32 m_root;
    QString m_path;
    Stamp m_stamp;
    QByteArray m_raw; // the bytes the tree was read from
    std::unique_ptr<RegistryNode> m_tree;
    bool m_blocked = false; // the file could not be read whole
};
