// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keeps a transaction of a connection for one scope: unless commit() is
// called, the destructor rolls it back, so an exception passing through
// leaves the file as it was. Inside a transaction already open on the
// connection it is a savepoint of that one.

class Connection;

class Transaction final
{
public:
    // Begins; throws DbError (a closed connection, a busy file).
    explicit Transaction(Connection &db);
    // Rolls back what is not committed; never throws.
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    // Throws DbError; the changes are then rolled back by the destructor.
    void commit();
    void rollback();

private:
    Connection &m_db;
    bool m_nested;
    bool m_open = true;
};
