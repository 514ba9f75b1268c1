#pragma once
// One root's file: read when it changed on disk (so that every store object
// and every run sees the last write), written atomically, and never
// overwritten when it could not be read.

#include "platform/RegistryTree.h"

#include <QString>
#include <memory>

class RegistryFile
{
public:
    explicit RegistryFile(qint32 root);
    ~RegistryFile();

    // The keys as the file holds them now.
    RegistryNode &tree();
    // True when changes may be saved: the root may be written and its file,
    // if it existed at the last tree(), could be read.
    bool writable() const;
    // Writes the tree (changed by the caller, who checked writable() first)
    // atomically. Returns a result code; on failure the change is dropped and
    // the file read again.
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
    void load(const QString &path, const Stamp &stamp);
    void setAside(const QString &path, const QString &reason, bool move);

    qint32 m_root;
    QString m_path;
    Stamp m_stamp;
    std::unique_ptr<RegistryNode> m_tree;
    bool m_blocked = false; // a file that could not be read nor moved aside
};
