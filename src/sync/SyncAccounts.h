// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The calendar accounts as the settings keep them: server, user name, the
// ticked address books and calendars, the last result. Passwords are never
// here (SyncSecrets).

#include "sync/DavDiscovery.h"

#include <QList>
#include <QString>

struct SyncAccount
{
    QString server; // as the user typed it
    QString user;
    QList<DavCollection> collections; // found at the last discovery
    QStringList ticked;               // hrefs of the collections to sync
    QString lastResult;               // the last sync's outcome, in words

    // The name links are kept under: user and server.
    QString id() const;
};

QList<SyncAccount> readSyncAccounts();
// Throws AppError when the settings cannot be written.
void saveSyncAccounts(const QList<SyncAccount> &accounts);
