// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/Transaction.h"

#include "store/Connection.h"
#include "store/DbError.h"

#include <sqlite3.h>

namespace {

void run(Connection &db, const char *sql)
{
    db.check(sqlite3_exec(db.handle(), sql, nullptr, nullptr, nullptr));
}

} // namespace

Transaction::Transaction(Connection &db) : m_db(db), m_nested(db.inTransaction())
{
    if (m_nested)
        run(m_db, "SAVEPOINT almarik_transaction");
    else
        m_db.BeginTrans();
}

Transaction::~Transaction()
{
    if (!m_open)
        return;
    try {
        rollback();
    } catch (...) {
        // Nothing more can be undone here; SQLite ends a failed transaction itself.
    }
}

void Transaction::commit()
{
    if (m_nested)
        run(m_db, "RELEASE almarik_transaction");
    else
        m_db.CommitTrans();
    m_open = false;
}

void Transaction::rollback()
{
    m_open = false;
    if (m_nested) {
        run(m_db, "ROLLBACK TO almarik_transaction");
        run(m_db, "RELEASE almarik_transaction");
    } else if (m_db.inTransaction()) {
        m_db.RollbackTrans();
    }
}
