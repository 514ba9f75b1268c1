// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Contacts' birthdays and anniversaries in from an address book: each card
// becomes the events the vCard import makes of it. The first sync takes
// every card in one addressbook-query (after the sync token, where the
// server offers sync-collection); later ones fetch only the cards changed
// since (sync-collection, else ETags). What a sync changes is written in
// one transaction.

#include <QString>

class Connection;
class DavClient;
struct DavCollection;

struct ContactSyncResult
{
    int fetched = 0;    // cards fetched
    int added = 0;      // events added
    int removed = 0;    // events removed
    int unreadable = 0; // cards the vCard import cannot read: no event
};

// Brings the address book's contacts into db's Calendar table. account
// names the account in SyncLinks. Throws AppError (the server) or DbError
// (the database); db is then as it was.
ContactSyncResult syncAddressBook(DavClient &client, Connection &db, const QString &account,
                                  const DavCollection &book);
