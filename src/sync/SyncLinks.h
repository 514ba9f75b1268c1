// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which event came from which contact and which was published where: the
// tables SyncLinks and SyncTokens of the event database, beside the four
// tables the events live in, made when first needed.

#include <QList>
#include <QSet>
#include <QString>

class Connection;

struct SyncLink
{
    QString href;        // the card or calendar object on the server
    QString etag;        // as the server last gave it
    QString uid;         // the card's or the event's UID
    QString dates;       // the event's date as stored ("yyyy-mm-dd ...")
    QString description; // the event's description
    QString digest;      // published events: a digest of the text sent
};

// Creates the two tables when missing. Throws DbError.
void ensureSyncTables(Connection &db);

// The links of one collection of an account, by direction ("in": events
// made from contacts, "out": events published), in href order.
QList<SyncLink> readSyncLinks(Connection &db, const QString &account, const QString &collection,
                              const QString &direction);
// Replaces the collection's links of that direction with links.
void writeSyncLinks(Connection &db, const QString &account, const QString &collection,
                    const QString &direction, const QList<SyncLink> &links);
// Forgets every link and token of an account (it was removed).
void forgetAccount(Connection &db, const QString &account);

QString readSyncToken(Connection &db, const QString &account, const QString &collection);
void writeSyncToken(Connection &db, const QString &account, const QString &collection,
                    const QString &token);

// The events that came from contacts of any account, as
// contactEventKey(dates, description): such events are not published.
QSet<QString> contactEventKeys(Connection &db);
QString contactEventKey(const QString &dates, const QString &description);
