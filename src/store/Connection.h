#pragma once
// The one connection to the event database file. Statements arrive in the
// Jet dialect and are translated before SQLite sees them; every failure
// throws DbError.

#include "store/JetSchema.h"

#include <QString>
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
    // database, without creating or changing anything.
    void Open(const QString &connectionString, Access access = Access::ReadWrite);
    // Creates a new, empty database file at path (refusing an existing one)
    // and opens it.
    void Create(const QString &path);
    void Close();
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

    sqlite3 *m_db = nullptr;
    mutable JetSchema m_schema;
    mutable int m_schemaVersion = -1;
    QString m_connectionString;
    QString m_path;
};
