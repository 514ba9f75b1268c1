// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The calendar accounts window: the servers whose address books come in and
// whose calendars our events go out to, which of their collections are
// synced, and a sync at once. The network is never waited for here: finding
// collections and syncing run on threads of their own.

#include "sync/SyncAccounts.h"
#include "sync/SyncRun.h"

#include <QDialog>
#include <QHash>
#include <functional>

class Connection;
class Prompts;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QThread;
class QTreeWidget;

// The server address as the account keeps it: one typed without a scheme
// is taken as https.
QString serverAddress(const QString &typed);

// The account after a discovery found these collections: the ticks of those
// still there are kept, new ones come unticked.
SyncAccount withDiscovered(SyncAccount account, const QList<DavCollection> &found);
// What a discovery found, in words: "Found 1 address book and 2 calendars."
QString discoveryText(const QList<DavCollection> &found);
// A collection as the window lists it: "Address book: Friends".
QString collectionCaption(const DavCollection &collection);

// The accounts a sync takes, out of all: those with something ticked and a
// password kept. password(id) gives "" when none is kept; those accounts get
// their outcome (noPasswordText) at once, without the network.
struct SyncPlan
{
    QList<SyncAccount> run;
    QHash<QString, QString> passwords; // of those in run, by id
    QList<AccountOutcome> outcomes;
};
// A sync of the plan's accounts on the database at path, with the passwords
// read beforehand; not yet started.
BackgroundSync *backgroundSync(const QString &path, const SyncPlan &plan, QObject *parent);
// The accounts with something ticked: those with a kept password (password
// gives "" for none) to run, the others as outcomes that say why not (the
// description of what password threw, when it threw).
SyncPlan planSync(const QList<SyncAccount> &accounts,
                  const std::function<QString(const QString &)> &password);
// Keeps the outcome's text as its account's last result; false when no
// account has that id.
bool recordOutcome(QList<SyncAccount> &accounts, const AccountOutcome &outcome);

class AccountsWindow final : public QDialog
{
    Q_OBJECT
public:
    // Keeps the accounts in the settings and their passwords in the
    // desktop's keyring as they are changed; a removed account's links are
    // forgotten in db, and a sync runs on the database at databasePath.
    AccountsWindow(Connection &db, const QString &databasePath, Prompts &prompts,
                   QWidget *parent = nullptr);
    ~AccountsWindow() override;

    // A sync from this window brought events in or took some out.
    bool eventsChanged() const { return m_eventsChanged; }
    // A discovery or a sync is running: the window cannot be closed.
    bool busy() const { return m_worker != nullptr; }
    const QList<SyncAccount> &accounts() const { return m_accounts; }

    // The controls, for the tests to drive.
    QTreeWidget *lstAccounts = nullptr;
    QPushButton *cmdAdd = nullptr;
    QPushButton *cmdRemove = nullptr;
    QLineEdit *txtServer = nullptr;
    QLineEdit *txtUser = nullptr;
    QLineEdit *txtPassword = nullptr;
    QPushButton *cmdFind = nullptr;
    QListWidget *lstCollections = nullptr;
    QPushButton *cmdSync = nullptr;
    QProgressBar *barSync = nullptr;
    QLabel *lblStatus = nullptr;
    QPushButton *cmdClose = nullptr;

    void cmdAdd_Click();
    void cmdRemove_Click();
    void cmdFind_Click();
    void cmdSync_Click();
    void cmdClose_Click();
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void fillAccountList();
    void updateRow(int index);
    void enableFields(bool on);
    void showAccount(int index);
    // Takes the fields into the current account and saves; the password
    // goes to the keyring when it was typed (a refusal is shown, and the
    // account is kept without it).
    void applyFields();
    void saveAccounts();
    void tickChanged();
    void discovered(const QString &accountId, const QList<DavCollection> &found,
                    const QString &error);
    void synced(const AccountOutcome &outcome);
    void setBusy(QThread *worker);
    int indexOf(const QString &accountId) const;

    Connection &m_db;
    QString m_databasePath;
    Prompts &m_prompts;
    QList<SyncAccount> m_accounts;
    int m_current = -1;
    bool m_filling = false;
    bool m_passwordTyped = false;
    bool m_eventsChanged = false;
    QThread *m_worker = nullptr;
};
