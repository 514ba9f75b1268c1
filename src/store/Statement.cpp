// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/Statement.h"

#include "store/Connection.h"
#include "store/DbError.h"

#include <sqlite3.h>

Statement::Statement(const Connection &db, const QString &sqliteText)
    : m_db(db), m_stmt(db.prepare(sqliteText)),
      m_bound(size_t(sqlite3_bind_parameter_count(m_stmt.get())), false)
{
}

Statement::~Statement() = default;

void Statement::bound(int index, int rc)
{
    m_db.check(rc); // SQLITE_RANGE for an index the statement lacks
    m_bound[size_t(index - 1)] = true;
}

void Statement::bindNull(int index)
{
    bound(index, sqlite3_bind_null(m_stmt.get(), index));
}

void Statement::bind(int index, qint64 value)
{
    bound(index, sqlite3_bind_int64(m_stmt.get(), index, value));
}

void Statement::bind(int index, double value)
{
    bound(index, sqlite3_bind_double(m_stmt.get(), index, value));
}

void Statement::bindText(int index, QByteArrayView utf8)
{
    bound(index,
          sqlite3_bind_text(m_stmt.get(), index, utf8.data(), int(utf8.size()), SQLITE_TRANSIENT));
}

void Statement::bindStaticText(int index, std::string_view utf8)
{
    bound(index,
          sqlite3_bind_text(m_stmt.get(), index, utf8.data(), int(utf8.size()), SQLITE_STATIC));
}

void Statement::bind(int index, const QVariant &value)
{
    if (!value.isValid() || value.isNull()) {
        bindNull(index);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
        bind(index, value.toLongLong());
        break;
    case QMetaType::Double:
        bind(index, value.toDouble());
        break;
    default:
        bindText(index, value.toString().toUtf8());
    }
}

bool Statement::step()
{
    for (size_t i = 0; i < m_bound.size(); ++i) {
        if (!m_bound[i])
            throw DbError(DbErrNo::NoValue,
                          QStringLiteral("No value given for one or more required parameters."));
    }
    const int rc = sqlite3_step(m_stmt.get());
    m_db.check(rc);
    return rc == SQLITE_ROW;
}

void Statement::reset()
{
    // A failed step already reported its error; reset repeats it.
    sqlite3_reset(m_stmt.get());
}
