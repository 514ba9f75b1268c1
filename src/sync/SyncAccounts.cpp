// SPDX-License-Identifier: GPL-3.0-or-later
#include "sync/SyncAccounts.h"

#include "platform/Settings.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

namespace {

// One key holds every account as a JSON array: the list is read and written
// whole, and a new field needs no new key.
const QString kAccountsKey = QStringLiteral("CalendarAccounts");

QString kindName(DavCollection::Kind kind)
{
    return kind == DavCollection::Calendar ? QStringLiteral("calendar")
                                           : QStringLiteral("addressbook");
}

QJsonObject toJson(const SyncAccount &account)
{
    QJsonArray collections;
    for (const DavCollection &c : account.collections)
        collections.append(QJsonObject{{QStringLiteral("kind"), kindName(c.kind)},
                                       {QStringLiteral("href"), c.href},
                                       {QStringLiteral("name"), c.name},
                                       {QStringLiteral("syncCollection"), c.syncCollection}});
    return QJsonObject{{QStringLiteral("server"), account.server},
                       {QStringLiteral("user"), account.user},
                       {QStringLiteral("collections"), collections},
                       {QStringLiteral("ticked"), QJsonArray::fromStringList(account.ticked)},
                       {QStringLiteral("lastResult"), account.lastResult}};
}

SyncAccount fromJson(const QJsonObject &o)
{
    SyncAccount account;
    account.server = o.value(QStringLiteral("server")).toString();
    account.user = o.value(QStringLiteral("user")).toString();
    account.lastResult = o.value(QStringLiteral("lastResult")).toString();
    for (const QJsonValue &v : o.value(QStringLiteral("collections")).toArray()) {
        const QJsonObject c = v.toObject();
        DavCollection collection;
        collection.kind = c.value(QStringLiteral("kind")).toString() == QLatin1String("calendar")
                              ? DavCollection::Calendar
                              : DavCollection::AddressBook;
        collection.href = c.value(QStringLiteral("href")).toString();
        collection.name = c.value(QStringLiteral("name")).toString();
        collection.syncCollection = c.value(QStringLiteral("syncCollection")).toBool();
        if (!collection.href.isEmpty())
            account.collections.append(collection);
    }
    for (const QJsonValue &v : o.value(QStringLiteral("ticked")).toArray())
        if (v.isString())
            account.ticked.append(v.toString());
    return account;
}

} // namespace

QString SyncAccount::id() const
{
    // "https://Dav.Example.com:443/dav/" and "https://dav.example.com/dav"
    // are one server: links and the password are kept under one name.
    QUrl url(server.trimmed());
    if ((url.scheme() == QLatin1String("https") && url.port() == 443) ||
        (url.scheme() == QLatin1String("http") && url.port() == 80))
        url.setPort(-1);
    url =
        url.adjusted(QUrl::RemoveUserInfo | QUrl::NormalizePathSegments | QUrl::StripTrailingSlash);
    if (url.path() == QLatin1String("/"))
        url.setPath(QString());
    return user + QLatin1Char('@') + url.toString();
}

QList<SyncAccount> readSyncAccounts()
{
    // A damaged value reads as no accounts: the user adds them again rather
    // than the program refusing to start.
    const QJsonDocument document =
        QJsonDocument::fromJson(GetSetting(kAccountsKey, QString()).toUtf8());
    QList<SyncAccount> accounts;
    for (const QJsonValue &v : document.array())
        if (v.isObject())
            accounts.append(fromJson(v.toObject()));
    return accounts;
}

void saveSyncAccounts(const QList<SyncAccount> &accounts)
{
    QJsonArray list;
    for (const SyncAccount &account : accounts)
        list.append(toJson(account));
    SaveSetting(kAccountsKey,
                QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact)));
}
