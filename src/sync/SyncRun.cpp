// SPDX-License-Identifier: GPL-3.0-or-later
#include "sync/SyncRun.h"

#include "platform/AppError.h"
#include "store/Connection.h"
#include "sync/CalendarPublish.h"
#include "sync/ContactSync.h"
#include "sync/DavClient.h"

#include <QMutex>

namespace {

QString counted(int n, const char *one, const char *many)
{
    return QString::number(n) + QLatin1Char(' ') + QString::fromLatin1(n == 1 ? one : many);
}

QString outcomeText(const ContactSyncResult &in, const PublishResult &out)
{
    QStringList parts;
    if (in.added)
        parts << counted(in.added, "event from contacts added", "events from contacts added");
    if (in.removed)
        parts << counted(in.removed, "event from contacts removed", "events from contacts removed");
    if (out.put)
        parts << counted(out.put, "event published", "events published");
    if (out.deleted)
        parts << counted(out.deleted, "event deleted from the calendar",
                         "events deleted from the calendar");
    if (in.unreadable)
        parts << counted(in.unreadable, "contact could not be read", "contacts could not be read");
    QString text = parts.join(QStringLiteral("; "));
    if (!text.isEmpty())
        text += QLatin1Char('.');
    if (out.conflicts)
        text += (text.isEmpty() ? QString() : QStringLiteral(" ")) +
                (out.conflicts == 1
                     ? QStringLiteral("1 event was changed on the server and was not updated.")
                     : QStringLiteral("%1 events were changed on the server and were not updated.")
                           .arg(out.conflicts));
    if (text.isEmpty())
        text = QStringLiteral("Nothing had changed.");
    return text;
}

} // namespace

QString noPasswordText()
{
    return QStringLiteral("No password is kept for this account.");
}

AccountOutcome syncAccount(const SyncAccount &account, const QString &password, Connection &db,
                           const QDateTime &stamp, int timeoutSeconds,
                           const std::function<void(const QString &)> &step)
{
    // Two syncs at once (the start-up's and Sync Now) would both read the
    // links before either wrote them, and bring a contact in twice.
    static QMutex one;
    const QMutexLocker lock(&one);
    AccountOutcome outcome;
    outcome.account = account.id();
    ContactSyncResult in;
    PublishResult out;
    try {
        DavClient client(QUrl(account.server.trimmed(), QUrl::TolerantMode), account.user,
                         password);
        client.timeoutSeconds = timeoutSeconds;
        // Contacts first: their events are then known not to go out.
        for (const DavCollection::Kind kind :
             {DavCollection::AddressBook, DavCollection::Calendar}) {
            for (const DavCollection &c : account.collections) {
                if (c.kind != kind || !account.ticked.contains(c.href))
                    continue;
                if (kind == DavCollection::AddressBook) {
                    const ContactSyncResult r = syncAddressBook(client, db, outcome.account, c);
                    in.fetched += r.fetched;
                    in.added += r.added;
                    in.removed += r.removed;
                    in.unreadable += r.unreadable;
                } else {
                    const auto told = [&](int done, int total) {
                        if (step)
                            step(QStringLiteral("Publishing to %1: %2 of %3 events...")
                                     .arg(c.name)
                                     .arg(done)
                                     .arg(total));
                    };
                    const PublishResult r =
                        publishCalendar(client, db, outcome.account, c, stamp, told);
                    out.put += r.put;
                    out.deleted += r.deleted;
                    out.conflicts += r.conflicts;
                }
            }
        }
        outcome.ok = true;
        outcome.text = outcomeText(in, out);
    } catch (const AppError &e) {
        outcome.text = e.description();
    }
    outcome.eventsChanged = in.added || in.removed;
    return outcome;
}

BackgroundSync::BackgroundSync(const QString &databasePath, QList<SyncAccount> accounts,
                               QObject *parent)
    : QThread(parent), m_path(databasePath), m_accounts(std::move(accounts))
{
    qRegisterMetaType<AccountOutcome>();
}

BackgroundSync::~BackgroundSync()
{
    wait();
}

void BackgroundSync::run()
{
    Connection db;
    QString openFailure;
    try {
        db.Open(Connection::connectionStringFor(m_path));
    } catch (const AppError &e) {
        openFailure = e.description();
    }
    const int total = int(m_accounts.size());
    for (int i = 0; i < total; ++i) {
        const SyncAccount &account = m_accounts[i];
        emit progress(i, total, account.id());
        const QString password = passwordOf ? passwordOf(account) : QString();
        AccountOutcome outcome;
        outcome.account = account.id();
        if (!openFailure.isEmpty())
            outcome.text = openFailure;
        else if (password.isEmpty())
            outcome.text = noPasswordText();
        else
            outcome = syncAccount(account, password, db, QDateTime::currentDateTimeUtc(),
                                  timeoutSeconds, [this](const QString &text) { emit step(text); });
        emit accountDone(outcome);
    }
}
