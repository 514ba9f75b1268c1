// SPDX-License-Identifier: GPL-3.0-or-later
// Plain SQLite statements: these tables are ours alone, never written in
// the Jet dialect.

#include "sync/SyncLinks.h"

#include "store/Connection.h"
#include "store/Statement.h"

#include <sqlite3.h>

namespace {

void run(Connection &db, const char *sql)
{
    Statement st(db, QString::fromLatin1(sql));
    st.step();
}

QString column(Statement &st, int i)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st.handle(), i));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(st.handle(), i)) : QString();
}

void bind(Statement &st, int at, const QString &text)
{
    if (text.isNull())
        st.bindNull(at);
    else
        st.bindText(at, text.toUtf8());
}

// Binds ?1 to ?3: which links of which collection.
void bindCollection(Statement &st, const QString &account, const QString &collection,
                    const QString &direction)
{
    bind(st, 1, account);
    bind(st, 2, collection);
    bind(st, 3, direction);
}

} // namespace

void ensureSyncTables(Connection &db)
{
    run(db, "CREATE TABLE IF NOT EXISTS SyncLinks (Account TEXT NOT NULL, Collection TEXT NOT "
            "NULL, Direction TEXT NOT NULL, Href TEXT NOT NULL, ETag TEXT, Uid TEXT, Dates TEXT, "
            "Description TEXT, Digest TEXT)");
    run(db, "CREATE INDEX IF NOT EXISTS SyncLinksOfCollection ON SyncLinks (Account, Collection, "
            "Direction)");
    run(db, "CREATE TABLE IF NOT EXISTS SyncTokens (Account TEXT NOT NULL, Collection TEXT NOT "
            "NULL, Token TEXT, PRIMARY KEY (Account, Collection))");
}

QList<SyncLink> readSyncLinks(Connection &db, const QString &account, const QString &collection,
                              const QString &direction)
{
    Statement st(db, QStringLiteral("SELECT Href, ETag, Uid, Dates, Description, Digest FROM "
                                    "SyncLinks WHERE Account = ?1 AND Collection = ?2 AND "
                                    "Direction = ?3 ORDER BY Href, rowid"));
    bindCollection(st, account, collection, direction);
    QList<SyncLink> links;
    while (st.step())
        links << SyncLink{column(st, 0), column(st, 1), column(st, 2),
                          column(st, 3), column(st, 4), column(st, 5)};
    return links;
}

void writeSyncLinks(Connection &db, const QString &account, const QString &collection,
                    const QString &direction, const QList<SyncLink> &links)
{
    Statement clear(db, QStringLiteral("DELETE FROM SyncLinks WHERE Account = ?1 AND "
                                       "Collection = ?2 AND Direction = ?3"));
    bindCollection(clear, account, collection, direction);
    clear.step();
    Statement insert(db, QStringLiteral("INSERT INTO SyncLinks (Account, Collection, Direction, "
                                        "Href, ETag, Uid, Dates, Description, Digest) VALUES "
                                        "(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)"));
    bindCollection(insert, account, collection, direction);
    for (const SyncLink &l : links) {
        bind(insert, 4, l.href);
        bind(insert, 5, l.etag);
        bind(insert, 6, l.uid);
        bind(insert, 7, l.dates);
        bind(insert, 8, l.description);
        bind(insert, 9, l.digest);
        insert.step();
        insert.reset();
    }
}

void forgetAccount(Connection &db, const QString &account)
{
    for (const char *sql : {"DELETE FROM SyncLinks WHERE Account = ?1",
                            "DELETE FROM SyncTokens WHERE Account = ?1"}) {
        Statement st(db, QString::fromLatin1(sql));
        bind(st, 1, account);
        st.step();
    }
}

QString readSyncToken(Connection &db, const QString &account, const QString &collection)
{
    Statement st(db, QStringLiteral("SELECT Token FROM SyncTokens WHERE Account = ?1 AND "
                                    "Collection = ?2"));
    bind(st, 1, account);
    bind(st, 2, collection);
    return st.step() ? column(st, 0) : QString();
}

void writeSyncToken(Connection &db, const QString &account, const QString &collection,
                    const QString &token)
{
    Statement st(db, QStringLiteral("INSERT OR REPLACE INTO SyncTokens (Account, Collection, "
                                    "Token) VALUES (?1, ?2, ?3)"));
    bind(st, 1, account);
    bind(st, 2, collection);
    bind(st, 3, token);
    st.step();
}

QString contactEventKey(const QString &dates, const QString &description)
{
    // The date part only: the store may keep a time of midnight after it.
    return dates.left(10) + QLatin1Char('\n') + description;
}

QSet<QString> contactEventKeys(Connection &db)
{
    Statement st(db, QStringLiteral("SELECT Dates, Description FROM SyncLinks WHERE Direction = "
                                    "'in'"));
    QSet<QString> keys;
    while (st.step())
        keys.insert(contactEventKey(column(st, 0), column(st, 1)));
    return keys;
}
