// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one connection to the event database file. Statements arrive in the
// Jet dialect and are translated before SQLite sees them; every failure
// throws DbError. While a writer has the file open it is in SQLite's
// write-ahead log mode, so readers (almarik-list) read the last committed
// state while a write is open; the last writer to close puts the log back
// into the file and returns to the rollback journal, so a closed database
// is one whole file.

#include "store/JetSchema.h"

#include <QString>
#include <QStringList>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

class Connection
{
public:
    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // The connection string for a database file.
    static QString connectionStringFor(const QString &path);

    enum class Access
    {
        ReadWrite,
        ReadOnly // every write is refused by SQLite itself
    };

    // Opens the file named by "Data Source=" in connectionString (or a bare
    // path). Refuses a missing file, an unreadable one and one that is not a
    // database, without creating or changing anything. ReadWrite switches
    // the file to the write-ahead log (kept when that cannot be done: the
    // file then works as before, readers waiting for writers). ReadOnly
    // refuses, saying why, a file whose interrupted write only a writer can
    // take up here (an old file's rollback journal; a log this process may
    // not recover).
    void Open(const QString &connectionString, Access access = Access::ReadWrite);
    // Creates a new, empty database file at path (refusing an existing one)
    // and opens it. It keeps a rollback journal, so that once closed it is
    // one file that can be renamed.
    void Create(const QString &path);
    // A writer first copies the log into the file as far as no reader
    // needs it and removes the log (back to the rollback journal), when it
    // is the process's last writer on the file. Never waits for others.
    void Close();

    // The files SQLite keeps beside path while it is written ("-wal",
    // "-shm", "-journal"): they belong to the file and must never be left
    // beside another file of its name.
    static QStringList sideFiles(const QString &path);
    bool isOpen() const { return m_db != nullptr; }

    QString ConnectionString() const { return m_connectionString; }
    QString path() const { return m_path; }

    // Runs exactly one statement; returns the number of rows it changed.
    // Data definition runs in a transaction of its own and gives the
    // columns it makes their type checks.
    int Execute(const QString &jetText);

    // The tables' columns and their kinds, read again whenever the schema
    // has changed.
    const JetSchema &schema() const;

    // Changes whenever the rows a query reads may have: this connection's
    // own changes, other connections' commits, the schema, another file.
    struct DataStamp
    {
        const sqlite3 *db = nullptr;
        qint64 own = -1;
        qint64 others = -1;
        qint64 schema = -1;
        bool operator==(const DataStamp &) const = default;
    };
    DataStamp dataStamp() const;

    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    bool inTransaction() const;

    // For the store layer's own use.
    sqlite3 *handle() const;
    // Prepares already translated SQLite text, refusing a second statement.
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> prepare(const QString &sqliteText) const;
    // Throws DbError for a failed result code.
    void check(int rc) const;

private:
    void openFile(const QString &path, int flags);
    bool firstWriter();
    qint64 pragmaValue(const char *pragma) const;

    sqlite3 *m_db = nullptr;
    bool m_writer = false;
    mutable JetSchema m_schema;
    mutable int m_schemaVersion = -1;
    QString m_connectionString;
    QString m_path;
    QString m_fileKey; // the file's canonical path, for this process's writers
};
