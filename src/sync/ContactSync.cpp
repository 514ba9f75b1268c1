// SPDX-License-Identifier: GPL-3.0-or-later
// First what changed on the server, then the changed cards in as few
// requests as the server allows, then every database change at once.

#include "sync/ContactSync.h"

#include "editor/VCardFile.h"
#include "platform/AppError.h"
#include "store/Connection.h"
#include "store/Statement.h"
#include "store/Transaction.h"
#include "sync/DavClient.h"
#include "sync/DavDiscovery.h"
#include "sync/DavXml.h"
#include "sync/SyncLinks.h"

#include <QHash>
#include <QSet>
#include <sqlite3.h>

#include <optional>

namespace {

const QString kIn = QStringLiteral("in");
// Hrefs per addressbook-multiget: one request for most address books.
constexpr qsizetype kMultigetBatch = 5000;

struct Changes
{
    QHash<QString, QString> changed; // href -> ETag
    QSet<QString> removed;
    bool complete = false; // every card is listed: one not listed is gone
    QString token;
};

bool isSelf(const QString &href, const QString &collection)
{
    QString a = href, b = collection;
    while (a.endsWith(QLatin1Char('/')))
        a.chop(1);
    while (b.endsWith(QLatin1Char('/')))
        b.chop(1);
    return a == b || QUrl(a).path() == QUrl(b).path();
}

Changes listChanges(DavClient &client, const QUrl &url, const DavCollection &book,
                    const QString &token)
{
    Changes out;
    if (book.syncCollection) {
        DavReply reply =
            client.request("REPORT", url, syncCollectionBody(token), {{"Depth", "0"}}, {403, 409});
        if (reply.status == 403 || reply.status == 409) {
            // A token the server no longer knows: start again from nothing.
            if (token.isEmpty())
                throw AppError(ErrNo::PermissionDenied,
                               QStringLiteral("The server refused to list the address book \"%1\" "
                                              "(%2).")
                                   .arg(book.name)
                                   .arg(reply.status));
            return listChanges(client, url, book, QString());
        }
        QString from = token;
        // A server may answer in parts, saying so with a 507 for the
        // collection itself; each part's token asks for the next.
        for (int part = 0;; ++part) {
            const MultiStatus answer =
                parseMultiStatus(reply.body, QStringLiteral("REPORT ") + url.path());
            bool truncated = false;
            for (const DavResponse &r : answer.responses) {
                if (isSelf(r.href, book.href)) {
                    truncated = truncated || r.status == 507;
                } else if (r.status == 404) {
                    out.removed.insert(r.href);
                    out.changed.remove(r.href);
                } else if (r.status / 100 == 2) {
                    out.changed.insert(r.href, r.etag);
                    out.removed.remove(r.href);
                }
            }
            out.token = answer.syncToken;
            if (!truncated || answer.syncToken.isEmpty() || answer.syncToken == from ||
                part >= 1000)
                break;
            from = answer.syncToken;
            reply = client.request("REPORT", url, syncCollectionBody(from), {{"Depth", "0"}});
        }
        out.complete = token.isEmpty();
        return out;
    }
    const DavReply reply = client.request(
        "PROPFIND", url, propfindBody({QStringLiteral("d:getetag")}), {{"Depth", "1"}});
    const MultiStatus answer =
        parseMultiStatus(reply.body, QStringLiteral("PROPFIND ") + url.path());
    for (const DavResponse &r : answer.responses)
        if (!isSelf(r.href, book.href) && r.status / 100 == 2)
            out.changed.insert(r.href, r.etag);
    out.complete = true;
    return out;
}

struct Card
{
    QString etag;
    QByteArray data;
};

QHash<QString, Card> fetchCards(DavClient &client, const QUrl &url, const QStringList &hrefs)
{
    QHash<QString, Card> cards;
    for (qsizetype at = 0; at < hrefs.size(); at += kMultigetBatch) {
        const DavReply reply = client.request(
            "REPORT", url, multigetBody(true, hrefs.mid(at, kMultigetBatch)), {{"Depth", "1"}});
        const MultiStatus answer =
            parseMultiStatus(reply.body, QStringLiteral("REPORT ") + url.path());
        for (const DavResponse &r : answer.responses)
            if (r.status / 100 == 2)
                cards.insert(r.href, Card{r.etag, r.data});
    }
    return cards;
}

// The first sync of an address book: the token now, then every card in one
// addressbook-query, so that a change between the two is seen next time.
// Nothing when the server refuses the query or answers it in parts: the
// listing and the fetch by hrefs then do it.
std::optional<std::pair<Changes, QHash<QString, Card>>>
fetchEverything(DavClient &client, const QUrl &url, const DavCollection &book)
{
    Changes changes;
    if (book.syncCollection) {
        const DavReply reply =
            client.request("PROPFIND", url, propfindBody({QStringLiteral("d:sync-token")}),
                           {{"Depth", "0"}}, {404, 405, 501});
        if (reply.status != 207)
            return std::nullopt;
        for (const DavResponse &r :
             parseMultiStatus(reply.body, QStringLiteral("PROPFIND ") + url.path()).responses)
            if (isSelf(r.href, book.href))
                changes.token = r.syncToken;
        if (changes.token.isEmpty())
            return std::nullopt;
    }
    const DavReply reply = client.request("REPORT", url, addressBookQueryBody(), {{"Depth", "1"}},
                                          {400, 403, 405, 501, 507});
    if (reply.status != 207)
        return std::nullopt;
    QHash<QString, Card> cards;
    for (const DavResponse &r :
         parseMultiStatus(reply.body, QStringLiteral("REPORT ") + url.path()).responses) {
        if (isSelf(r.href, book.href)) {
            if (r.status == 507)
                return std::nullopt; // cut short: some cards are missing
        } else if (r.status / 100 == 2) {
            changes.changed.insert(r.href, r.etag);
            cards.insert(r.href, Card{r.etag, r.data});
        }
    }
    changes.complete = true;
    return std::pair{changes, cards};
}

bool eventExists(Statement &st, const QString &dates, const QString &description)
{
    st.bindText(1, dates.toUtf8());
    st.bindText(2, description.toUtf8());
    const bool found = st.step();
    st.reset();
    return found;
}

QString storedDate(const ImportCandidate &c)
{
    // dd/mm/yyyy to the store's yyyy-mm-dd.
    return c.dateText.mid(6, 4) + QLatin1Char('-') + c.dateText.mid(3, 2) + QLatin1Char('-') +
           c.dateText.left(2);
}

// The card's UID as written: it only names the contact in the links, so
// the first UID line is enough.
QString cardUid(const QByteArray &data)
{
    for (const QByteArray &prefix : {QByteArrayLiteral("\nUID:"), QByteArrayLiteral("\nUID;")}) {
        qsizetype at = data.indexOf(prefix);
        if (at < 0)
            continue;
        at = data.indexOf(':', at + 1) + 1;
        qsizetype end = at;
        while (end < data.size() && data[end] != '\r' && data[end] != '\n')
            ++end;
        return QString::fromUtf8(data.mid(at, end - at));
    }
    return QString();
}

} // namespace

ContactSyncResult syncAddressBook(DavClient &client, Connection &db, const QString &account,
                                  const DavCollection &book)
{
    ensureSyncTables(db);
    const QUrl url = client.resolve(book.href);
    const QList<SyncLink> links = readSyncLinks(db, account, book.href, kIn);
    QHash<QString, QString> knownEtag;
    for (const SyncLink &l : links)
        knownEtag.insert(l.href, l.etag);

    const QString token = readSyncToken(db, account, book.href);
    std::optional<std::pair<Changes, QHash<QString, Card>>> everything;
    if (links.isEmpty() && token.isEmpty())
        everything = fetchEverything(client, url, book);
    Changes changes = everything ? everything->first : listChanges(client, url, book, token);
    if (changes.complete)
        for (auto it = knownEtag.cbegin(); it != knownEtag.cend(); ++it)
            if (!changes.changed.contains(it.key()))
                changes.removed.insert(it.key());
    QStringList wanted;
    for (auto it = changes.changed.cbegin(); it != changes.changed.cend(); ++it) {
        // An unchanged card is never fetched again.
        const auto known = knownEtag.constFind(it.key());
        if (known == knownEtag.cend() || it.value().isEmpty() || *known != it.value())
            wanted << it.key();
    }
    wanted.sort();
    const QHash<QString, Card> cards =
        everything ? everything->second : fetchCards(client, url, wanted);

    ContactSyncResult result;
    result.fetched = int(cards.size());
    QSet<QString> replaced = changes.removed;
    for (const QString &href : wanted)
        replaced.insert(href);

    Transaction transaction(db);
    Statement remove(db, QStringLiteral("DELETE FROM Calendar WHERE rowid = (SELECT rowid FROM "
                                        "Calendar WHERE substr(Dates, 1, 10) = ?1 AND "
                                        "Description = ?2 LIMIT 1)"));
    Statement exists(db, QStringLiteral("SELECT 1 FROM Calendar WHERE substr(Dates, 1, 10) = ?1 "
                                        "AND Description = ?2 LIMIT 1"));
    QList<SyncLink> kept;
    for (const SyncLink &l : links) {
        if (!replaced.contains(l.href)) {
            kept << l;
            continue;
        }
        if (l.dates.isEmpty())
            continue;
        remove.bindText(1, l.dates.toUtf8());
        remove.bindText(2, l.description.toUtf8());
        remove.step();
        remove.reset();
        result.removed += sqlite3_changes(db.handle());
    }
    QList<ImportCandidate> fresh;
    QSet<QString> freshKeys;
    for (const QString &href : wanted) {
        const auto card = cards.constFind(href);
        if (card == cards.cend())
            continue; // gone between the listing and the fetch
        ImportRead read;
        try {
            read = parseVCardFile(card->data);
        } catch (const AppError &) {
            // A card the import cannot read makes no event; it is kept
            // with its ETag so that it is read again only once changed.
            ++result.unreadable;
        }
        const QString uid = cardUid(card->data);
        bool any = false;
        for (const ImportCandidate &c : read.candidates) {
            const QString dates = storedDate(c);
            const QString key = contactEventKey(dates, c.description);
            // The user's own event of that name and day stays theirs, and
            // two cards of one name and day make one event.
            if (freshKeys.contains(key) || eventExists(exists, dates, c.description))
                continue;
            freshKeys.insert(key);
            fresh << c;
            kept << SyncLink{href, card->etag, uid, dates, c.description, QString()};
            any = true;
        }
        if (!any)
            kept << SyncLink{href, card->etag, uid, QString(), QString(), QString()};
    }
    result.added =
        importCandidates(db, fresh, std::vector<bool>(size_t(fresh.size()), true), false);
    writeSyncLinks(db, account, book.href, kIn, kept);
    if (book.syncCollection)
        writeSyncToken(db, account, book.href, changes.token);
    transaction.commit();
    return result;
}
