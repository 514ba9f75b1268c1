#pragma once
// Shared by the store tests: a fresh event database in the test's own
// folder, events written the way the program writes them, and the stored
// rows read back through SQLite itself, so that the store never vouches
// for its own work.

#include "store/Connection.h"
#include "store/Literals.h"
#include "store/Repair.h"
#include "support/TestEnv.h"

#include <QDate>
#include <QFile>
#include <QStringList>
#include <sqlite3.h>

namespace fixture {

// A new database with every table, opened on db; returns its path.
inline QString newDatabase(const TestEnv &env, Connection &db,
                           const QString &name = QStringLiteral("Almarik.MDB"))
{
    const QString path = env.path(name);
    CreateDatabase(path);
    db.Open(Connection::connectionStringFor(path));
    return path;
}

// Inserts one event as the event operations do; an empty icon is Null.
inline void addEvent(Connection &db, const QDate &day, const QString &icon,
                     const QString &description, const QString &details = {}, bool once = false)
{
    const QString iconText = icon.isEmpty()
                                 ? QStringLiteral("Null")
                                 : QLatin1Char('\'') + QuoteSql(icon) + QLatin1Char('\'');
    const QString detailsText = details.isEmpty()
                                    ? QStringLiteral("Null")
                                    : QLatin1Char('\'') + QuoteSql(details) + QLatin1Char('\'');
    db.Execute(
        QStringLiteral("INSERT INTO Calendar (Dates,icon,Description,Details,ShowOnce) VALUES (") +
        DateLiteral(day) + QStringLiteral(", ") + iconText + QStringLiteral(", '") +
        QuoteSql(description) + QStringLiteral("', ") + detailsText + QStringLiteral(", ") +
        (once ? QStringLiteral("True") : QStringLiteral("False")) + QLatin1Char(')'));
}

// Every row of sql as "value|value|..." read by a connection of SQLite's own:
// texts as stored, NULL as "<null>".
inline QStringList rawRows(const QString &path, const QString &sql)
{
    QStringList rows;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return {QStringLiteral("<cannot open>")};
    }
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK) {
        rows << QStringLiteral("<error> ") + QString::fromUtf8(sqlite3_errmsg(db));
    } else {
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList cells;
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st, c));
                cells << (text ? QString::fromUtf8(text) : QStringLiteral("<null>"));
            }
            rows << cells.join(QLatin1Char('|'));
        }
    }
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
