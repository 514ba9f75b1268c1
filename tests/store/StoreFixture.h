// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared by the store tests, with support/TestDatabase.h: the stored rows
// read back through SQLite itself, so that the store never vouches for its
// own work.

#include "store/Connection.h"
#include "store/DbError.h"
#include "support/CalendarRows.h"
#include "support/TestDatabase.h"

#include <QFile>
#include <QStringList>
#include <functional>
#include <sqlite3.h>

namespace fixture {

// Calendar's rows in the order they were written, for rawRows.
inline const QString kRows = QStringLiteral(
    "SELECT rowid, Dates, Icon, Description, Details, ShowOnce FROM Calendar ORDER BY rowid");

// The DbError that step throws; number 0 and "nothing thrown" when none.
inline DbError thrown(const std::function<void()> &step)
{
    try {
        step();
    } catch (const DbError &e) {
        return e;
    }
    return DbError(0, QStringLiteral("nothing thrown"));
}

// Runs a Jet statement, or after "sqlite3: " SQLite's own text untranslated,
// as another program writes.
inline void runSql(Connection &db, const QString &sql)
{
    if (sql.startsWith(QLatin1String("sqlite3: ")))
        db.check(sqlite3_step(db.prepare(sql.mid(9)).get()));
    else
        db.Execute(sql);
}

// A value as rowsOf shows it: a text as stored with a NUL as "\0", a real
// number as Jet shows it, NULL as "<null>".
inline QString cellText(sqlite3_stmt *st, int column)
{
    if (sqlite3_column_type(st, column) == SQLITE_FLOAT)
        return QString::number(sqlite3_column_double(st, column), 'g', 15);
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st, column));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(st, column))
                      .replace(QChar(0), QLatin1String("\\0"))
                : QStringLiteral("<null>");
}

// Every row of a statement's result as "value|value|...", stepped to the
// end; rc, when given, takes the last step's code.
inline QStringList rowsOf(sqlite3_stmt *st, int *rc = nullptr)
{
    QStringList rows;
    int code = SQLITE_OK;
    while ((code = sqlite3_step(st)) == SQLITE_ROW) {
        QStringList cells;
        for (int c = 0; c < sqlite3_column_count(st); ++c)
            cells << cellText(st, c);
        rows << cells.join(QLatin1Char('|'));
    }
    if (rc)
        *rc = code;
    return rows;
}

// Every row of sql read by a connection of SQLite's own.
inline QStringList rawRows(const QString &path, const QString &sql)
{
    QStringList rows;
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK)
        rows << QStringLiteral("<error> ") + QString::fromUtf8(sqlite3_errmsg(db));
    else
        rows = rowsOf(st);
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}

inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

} // namespace fixture
