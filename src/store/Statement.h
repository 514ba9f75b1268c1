// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A prepared statement of one connection, finalized with it. Every bind is
// checked (a wrong index throws) and a step with a parameter left unbound is
// refused, so that no statement runs with a Null standing in for a value
// that was forgotten. Failures throw the connection's DbError.

#include <QByteArrayView>
#include <QString>
#include <QVariant>
#include <memory>
#include <string_view>
#include <vector>

class Connection;
struct sqlite3_stmt;

class Statement final
{
public:
    // Prepares already translated SQLite text; one statement only.
    Statement(const Connection &db, const QString &sqliteText);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    void bindNull(int index);
    void bind(int index, qint64 value);
    void bind(int index, double value);
    // The text is copied.
    void bindText(int index, QByteArrayView utf8);
    // Text not copied: the caller keeps it until the statement has run
    // with it (or is bound again, or finalized).
    void bindStaticText(int index, std::string_view utf8);
    // Null, a whole number, a real number, or else the value's text.
    void bind(int index, const QVariant &value);

    // Runs to the next row: true with a row, false when done.
    bool step();
    // Ready to run again; the binds stay.
    void reset();

    sqlite3_stmt *handle() const { return m_stmt.get(); }

private:
    void bound(int index, int rc);

    const Connection &m_db;
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> m_stmt;
    std::vector<bool> m_bound; // by parameter index - 1
};
