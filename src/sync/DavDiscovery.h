// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Finding a user's address books and calendars from the server's address
// alone: the well-known addresses (RFC 6764), the current user's principal
// and its home sets (RFC 4791, RFC 6352).

#include <QList>
#include <QString>

class DavClient;

struct DavCollection
{
    enum Kind
    {
        AddressBook,
        Calendar
    };
    Kind kind = AddressBook;
    QString href;                // the collection's path on the server, ending in '/'
    QString name;                // its display name, else the last part of its path
    bool syncCollection = false; // offers RFC 6578's REPORT
};

// Every address book and every calendar holding events of the user.
// Throws AppError as DavClient does, and when the server shows no
// principal or home set.
QList<DavCollection> discoverCollections(DavClient &client);
