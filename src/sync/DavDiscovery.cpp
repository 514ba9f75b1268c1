// SPDX-License-Identifier: GPL-3.0-or-later
// From the address the user typed to the collections: the principal is
// asked of that address first, then of the well-known ones.

#include "sync/DavDiscovery.h"

#include "platform/AppError.h"
#include "sync/DavClient.h"
#include "sync/DavXml.h"

#include <QUrl>
#include <algorithm>
#include <optional>

namespace {

const QList<std::pair<QByteArray, QByteArray>> kDepth0 = {{"Depth", "0"}};

// The first response's properties of a Depth 0 PROPFIND, or none when the
// address has no such resource.
std::optional<DavResponse> propfind0(DavClient &client, const QUrl &url, const QStringList &props)
{
    const DavReply reply =
        client.request("PROPFIND", url, propfindBody(props), kDepth0, {404, 405, 501});
    if (reply.status != 207)
        return std::nullopt;
    const MultiStatus answer =
        parseMultiStatus(reply.body, QStringLiteral("PROPFIND ") + url.path());
    for (const DavResponse &r : answer.responses)
        if (r.status / 100 == 2)
            return r;
    return std::nullopt;
}

QString lastPart(const QString &href)
{
    QString path = href;
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return QUrl::fromPercentEncoding(path.section(QLatin1Char('/'), -1).toUtf8());
}

} // namespace

QList<DavCollection> discoverCollections(DavClient &client)
{
    const QStringList principalProp{QStringLiteral("d:current-user-principal")};
    QList<QUrl> starts;
    if (client.server().path() != QLatin1String("/"))
        starts << client.server();
    starts << client.resolve(QStringLiteral("/.well-known/carddav"))
           << client.resolve(QStringLiteral("/.well-known/caldav"))
           << client.resolve(QStringLiteral("/"));
    QString principal;
    for (const QUrl &start : starts) {
        const auto found = propfind0(client, start, principalProp);
        if (found && !found->principal.isEmpty()) {
            principal = found->principal;
            break;
        }
    }
    if (principal.isEmpty())
        throw AppError(ErrNo::DeviceIO,
                       QStringLiteral("The server does not say which address books and calendars "
                                      "are the user's (it names no principal)."));
    const auto homes = propfind0(
        client, client.resolve(principal),
        {QStringLiteral("card:addressbook-home-set"), QStringLiteral("cal:calendar-home-set")});
    QStringList homeSets;
    if (homes) {
        for (const QString &home : {homes->addressbookHome, homes->calendarHome})
            if (!home.isEmpty() && !homeSets.contains(home))
                homeSets << home;
    }
    if (homeSets.isEmpty())
        throw AppError(ErrNo::DeviceIO,
                       QStringLiteral("The server shows no address books or calendars for the user "
                                      "(it names no home set)."));
    QList<DavCollection> collections;
    for (const QString &home : homeSets) {
        const QUrl url = client.resolve(home);
        const DavReply reply = client.request(
            "PROPFIND", url,
            propfindBody({QStringLiteral("d:resourcetype"), QStringLiteral("d:displayname"),
                          QStringLiteral("d:supported-report-set"),
                          QStringLiteral("cal:supported-calendar-component-set")}),
            {{"Depth", "1"}});
        const MultiStatus answer =
            parseMultiStatus(reply.body, QStringLiteral("PROPFIND ") + url.path());
        for (const DavResponse &r : answer.responses) {
            if (r.status / 100 != 2)
                continue;
            DavCollection c;
            if (r.resourceTypes.contains(QLatin1String("addressbook")))
                c.kind = DavCollection::AddressBook;
            else if (r.resourceTypes.contains(QLatin1String("calendar")) &&
                     (r.components.isEmpty() || r.components.contains(QLatin1String("VEVENT"))))
                c.kind = DavCollection::Calendar;
            else
                continue;
            c.href = r.href.endsWith(QLatin1Char('/')) ? r.href : r.href + QLatin1Char('/');
            c.name = r.displayName.isEmpty() ? lastPart(r.href) : r.displayName;
            c.syncCollection = r.supportedReports.contains(QLatin1String("sync-collection"));
            const bool seen = std::any_of(collections.begin(), collections.end(),
                                          [&](const DavCollection &o) { return o.href == c.href; });
            if (!seen)
                collections << c;
        }
    }
    return collections;
}
