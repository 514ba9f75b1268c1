// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One sync of every account: its ticked address books in, then its ticked
// calendars out, on a thread of its own with its own connection to the
// event database, so that the window never waits for the network.

#include "sync/SyncAccounts.h"

#include <QDateTime>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QThread>

#include <functional>

class Connection;

struct AccountOutcome
{
    QString account; // SyncAccount::id()
    bool ok = false;
    QString text;               // the result in plain words, for the window
    bool eventsChanged = false; // events came in or went
};

Q_DECLARE_METATYPE(AccountOutcome)

// The outcome of an account whose password is not kept.
QString noPasswordText();

// Syncs one account over db; never throws: a failure is the outcome's
// text, and the failing collection's changes are not applied. step is
// told what is being done, in words, as a long publish goes on.
AccountOutcome syncAccount(const SyncAccount &account, const QString &password, Connection &db,
                           const QDateTime &stamp, int timeoutSeconds = 30,
                           const std::function<void(const QString &)> &step = {});

// Runs syncAccount for each account on its own thread against the database
// at path, telling each outcome as it comes.
class BackgroundSync final : public QThread
{
    Q_OBJECT
public:
    BackgroundSync(const QString &databasePath, QList<SyncAccount> accounts,
                   QObject *parent = nullptr);
    ~BackgroundSync() override;

    // Each account's password, read on the window's thread before start()
    // (the keyring answers there); none makes the account's outcome
    // noPasswordText().
    std::function<QString(const SyncAccount &)> passwordOf;
    int timeoutSeconds = 30;

signals:
    void progress(int done, int total, const QString &account);
    void step(const QString &text);
    void accountDone(const AccountOutcome &outcome);

protected:
    void run() override;

private:
    QString m_path;
    QList<SyncAccount> m_accounts;
};
