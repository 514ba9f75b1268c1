// SPDX-License-Identifier: GPL-3.0-or-later
// Each event is compared with what was last put by a digest of its text
// (its DTSTAMP aside, which changes on every run), so only changed events
// are sent.

#include "sync/CalendarPublish.h"

#include "editor/ICalendarFile.h"
#include "store/Connection.h"
#include "store/RecordSet.h"
#include "store/Transaction.h"
#include "sync/DavClient.h"
#include "sync/DavDiscovery.h"
#include "sync/SyncLinks.h"

#include <QCryptographicHash>
#include <QHash>

namespace {

const QString kOut = QStringLiteral("out");

QString digestOf(const QByteArray &text)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const QByteArray &line : text.split('\n'))
        if (!line.startsWith("DTSTAMP"))
            hash.addData(line);
    return QString::fromLatin1(hash.result().toHex());
}

} // namespace

PublishResult publishCalendar(DavClient &client, Connection &db, const QString &account,
                              const DavCollection &calendar, const QDateTime &stamp,
                              const std::function<void(int done, int total)> &progress)
{
    ensureSyncTables(db);
    QHash<QString, SyncLink> linked; // by UID
    for (const SyncLink &l : readSyncLinks(db, account, calendar.href, kOut))
        linked.insert(l.uid, l);
    const QSet<QString> fromContacts = contactEventKeys(db);
    QList<CalendarObject> objects;
    {
        RecordSet rs;
        rs.setCursorLocation(adUseClient);
        rs.Open(QStringLiteral("SELECT * FROM Calendar ORDER BY Dates, Description"), db,
                adOpenStatic, adLockReadOnly);
        objects = calendarObjects(rs, stamp);
    }

    PublishResult result;
    QList<SyncLink> links;
    QSet<QString> deleted; // UIDs of linked events whose DELETE was answered
    const QList<std::pair<QByteArray, QByteArray>> type = {
        {"Content-Type", "text/calendar; charset=utf-8"}};
    const auto store = [&] {
        Transaction transaction(db);
        writeSyncLinks(db, account, calendar.href, kOut, links);
        transaction.commit();
    };
    int done = 0;
    try {
        for (const CalendarObject &o : objects) {
            // Every hundredth: a window told of each of 100,000 would be busy.
            if (progress && ++done % 100 == 0)
                progress(done, int(objects.size()));
            if (fromContacts.contains(contactEventKey(o.day.toString(Qt::ISODate), o.description)))
                continue;
            const QString digest = digestOf(o.text);
            const auto found = linked.constFind(o.uid);
            SyncLink link;
            if (found != linked.cend()) {
                link = *found;
                if (link.digest == digest) {
                    links << link;
                    linked.remove(o.uid);
                    continue;
                }
            } else {
                link.uid = o.uid;
                link.href = calendar.href + QString::fromLatin1(QUrl::toPercentEncoding(o.uid)) +
                            QStringLiteral(".ics");
            }
            link.dates = o.day.toString(Qt::ISODate);
            link.description = o.description;
            // Only over the version we put, or only where none is.
            auto headers = type;
            headers << (link.etag.isEmpty()
                            ? std::pair<QByteArray, QByteArray>{"If-None-Match", "*"}
                            : std::pair<QByteArray, QByteArray>{"If-Match", link.etag.toUtf8()});
            const DavReply reply =
                client.request("PUT", client.resolve(link.href), o.text, headers, {412});
            if (reply.status == 412) {
                // Changed there: left as it is until this event changes again.
                ++result.conflicts;
            } else {
                ++result.put;
                link.etag = reply.etag;
            }
            link.digest = digest;
            links << link;
            // Only now: a failure before this keeps the old link.
            linked.remove(o.uid);
        }
        for (const SyncLink &gone : std::as_const(linked)) {
            auto headers = QList<std::pair<QByteArray, QByteArray>>{};
            if (!gone.etag.isEmpty())
                headers << std::pair<QByteArray, QByteArray>{"If-Match", gone.etag.toUtf8()};
            const DavReply reply =
                client.request("DELETE", client.resolve(gone.href), {}, headers, {404, 412});
            if (reply.status == 412)
                ++result.conflicts; // changed there since: theirs now
            else
                ++result.deleted;
            deleted.insert(gone.uid);
        }
    } catch (...) {
        // What was answered stays known; the links not reached yet stay.
        for (const SyncLink &l : std::as_const(linked))
            if (!deleted.contains(l.uid))
                links << l;
        store();
        throw;
    }
    store();
    return result;
}
