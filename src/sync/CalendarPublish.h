// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Our events out to a calendar: each as its own calendar object, the text
// of the iCalendar export, named by its UID. New ones are put only where
// none is (If-None-Match: *), changed ones only over the version we put
// (If-Match); one changed on the server is left alone and counted.

#include <QDateTime>
#include <QString>

#include <functional>

class Connection;
class DavClient;
struct DavCollection;

struct PublishResult
{
    int put = 0;       // created or changed
    int deleted = 0;   // deleted there, having been deleted here
    int conflicts = 0; // changed on the server, not overwritten
};

// Publishes db's events, but those from contacts, to the calendar. The
// links of every answered request are kept even when a later one fails
// (they say what the server now holds); the failure is then thrown.
// progress is told the events sent of those to send.
PublishResult publishCalendar(DavClient &client, Connection &db, const QString &account,
                              const DavCollection &calendar, const QDateTime &stamp,
                              const std::function<void(int done, int total)> &progress = {});
