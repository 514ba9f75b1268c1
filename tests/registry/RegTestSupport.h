// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the registry tests share: a grid that records what the listings do,
// direct access to the store's files, a read-only root, a file-size limit,
// the writes of a file counted, a dump of a whole root through the registry
// procedures, and the stored tasks. The file-size limit also serves the
// editor's and the SQL builder's full-disk tests.

#include "platform/AppError.h"
#include "platform/Prompts.h"
#include "platform/Registry.h"
#include "registry/FlexGrid.h"
#include "registry/REG_MODULE.h"
#include "store/Connection.h"
#include "store/RecordSet.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <csignal>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <unistd.h>

const QString kRun = QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\");
const QString kDesktop = QStringLiteral("Control Panel\\Desktop\\");

class RecordingGrid final : public FlexGrid
{
public:
    QStringList rows;
    bool failAdd = false;

    void AddItem(const QString &item) override
    {
        if (failAdd)
            throw AppError(9, QStringLiteral("Subscript out of range"));
        rows << item;
    }
    void setFixedRows(int) override {}
};

// The rows the registry tool lists for a key: subkeys, then values.
inline QStringList listed(qint32 root, const QString &path)
{
    RecordingGrid grid;
    ListSubKeys(root, path, &grid, appPrompts());
    ListValues(root, path, &grid, appPrompts());
    return grid.rows;
}

// Every key and value under path, depth first, as "path|row".
inline QStringList dump(qint32 root, const QString &path = {})
{
    QStringList out;
    for (const QString &row : listed(root, path)) {
        const QString key = path + row.section(QLatin1Char('\t'), 0, 0) + QLatin1Char('\\');
        out << (row.endsWith(QLatin1String("\t<sub key>")) ? QStringList{key} + dump(root, key)
                                                           : QStringList{path + '|' + row});
    }
    return out;
}

inline void writeStoreFile(qint32 root, const QByteArray &text)
{
    const QString path = RegistryStore::fileFor(root);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    f.write(text);
}

inline QByteArray readStoreFile(qint32 root)
{
    QFile f(RegistryStore::fileFor(root));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Makes roots read-only for the store while it lives (tests may run as root,
// to whom the file system refuses nothing).
class ReadOnlyRoot
{
public:
    explicit ReadOnlyRoot(const char *names) { qputenv("ALMARIK_REGISTRY_READONLY", names); }
    ~ReadOnlyRoot() { qunsetenv("ALMARIK_REGISTRY_READONLY"); }
};

// Lets no file grow past size bytes while it lives: a longer write fails
// (instead of ending the process).
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 size)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_limit);
        rlimit limit = m_limit;
        limit.rlim_cur = rlim_t(size);
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            qFatal("no file-size limit");
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_limit); }

private:
    rlimit m_limit{};
};

// Counts the times from now on that a root's file is written in place or
// renamed into place, as the kernel reports them.
class FileWrites
{
public:
    explicit FileWrites(qint32 root) : m_fd(inotify_init1(IN_NONBLOCK))
    {
        const QFileInfo file(RegistryStore::fileFor(root));
        m_name = QFile::encodeName(file.fileName());
        if (inotify_add_watch(m_fd, QFile::encodeName(file.absolutePath()).constData(),
                              IN_CLOSE_WRITE | IN_MOVED_TO) < 0)
            qFatal("cannot watch %s", qPrintable(file.absolutePath()));
    }
    ~FileWrites() { ::close(m_fd); }
    int count()
    {
        alignas(inotify_event) char buffer[65536];
        for (ssize_t n; (n = ::read(m_fd, buffer, sizeof buffer)) > 0;) {
            for (const char *p = buffer; p < buffer + n;) {
                const auto *e = reinterpret_cast<const inotify_event *>(p);
                m_count += e->len && m_name == e->name;
                p += sizeof(inotify_event) + e->len;
            }
        }
        return m_count;
    }

private:
    int m_fd;
    QByteArray m_name;
    int m_count = 0;
};

// The stored tasks in RegEdit as "Task|hKey|SubKey|key|NewValue".
inline QStringList storedTasks(Connection &db)
{
    RecordSet rs;
    rs.Open(QStringLiteral("SELECT * FROM RegEdit"), db);
    QStringList out;
    for (; !rs.isEOF(); rs.MoveNext()) {
        QStringList cells;
        for (const char *name : {"Task", "hKey", "SubKey", "key", "NewValue"})
            cells << rs.Fields(QLatin1String(name)).toString();
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}
