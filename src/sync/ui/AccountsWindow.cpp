// SPDX-License-Identifier: GPL-3.0-or-later
#include "sync/ui/AccountsWindow.h"

#include "platform/AppError.h"
#include "platform/ErrorStyles.h"
#include "platform/Prompts.h"
#include "sync/DavClient.h"
#include "sync/SyncLinks.h"
#include "sync/SyncSecrets.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

QString serverAddress(const QString &typed)
{
    const QString text = typed.trimmed();
    if (text.isEmpty() || text.contains(QLatin1String("://")))
        return text;
    return QStringLiteral("https://") + text;
}

SyncAccount withDiscovered(SyncAccount account, const QList<DavCollection> &found)
{
    QStringList ticked;
    for (const DavCollection &c : found)
        if (account.ticked.contains(c.href))
            ticked.append(c.href);
    account.collections = found;
    account.ticked = ticked;
    return account;
}

QString discoveryText(const QList<DavCollection> &found)
{
    const auto books = std::count_if(found.cbegin(), found.cend(), [](const DavCollection &c) {
        return c.kind == DavCollection::AddressBook;
    });
    const qsizetype calendars = found.size() - books;
    if (found.isEmpty())
        return QStringLiteral("Found no address book and no calendar.");
    const auto counted = [](qsizetype n, const QString &one, const QString &many) -> QString {
        if (n == 0)
            return QStringLiteral("no ") + one;
        return QString::number(n) + QLatin1Char(' ') + (n == 1 ? one : many);
    };
    return QStringLiteral("Found ") +
           counted(books, QStringLiteral("address book"), QStringLiteral("address books")) +
           QStringLiteral(" and ") +
           counted(calendars, QStringLiteral("calendar"), QStringLiteral("calendars")) +
           QLatin1Char('.');
}

QString collectionCaption(const DavCollection &collection)
{
    return (collection.kind == DavCollection::AddressBook ? QStringLiteral("Address book: ")
                                                          : QStringLiteral("Calendar: ")) +
           collection.name;
}

SyncPlan planSync(const QList<SyncAccount> &accounts,
                  const std::function<QString(const QString &)> &password)
{
    SyncPlan plan;
    for (const SyncAccount &account : accounts) {
        if (account.ticked.isEmpty())
            continue;
        QString kept;
        AccountOutcome outcome;
        outcome.account = account.id();
        try {
            kept = password(account.id());
            outcome.text = noPasswordText();
        } catch (const AppError &e) { // the keyring's own words, not "none is kept"
            outcome.text = e.description();
        }
        if (kept.isEmpty()) {
            plan.outcomes.append(outcome);
        } else {
            plan.run.append(account);
            plan.passwords.insert(account.id(), kept);
        }
    }
    return plan;
}

BackgroundSync *backgroundSync(const QString &path, const SyncPlan &plan, QObject *parent)
{
    auto *sync = new BackgroundSync(path, plan.run, parent);
    // The keyring is asked on the window's thread, never the sync's.
    sync->passwordOf = [passwords = plan.passwords](const SyncAccount &account) {
        return passwords.value(account.id());
    };
    return sync;
}

bool recordOutcome(QList<SyncAccount> &accounts, const AccountOutcome &outcome)
{
    for (SyncAccount &account : accounts) {
        if (account.id() == outcome.account) {
            account.lastResult = outcome.text;
            return true;
        }
    }
    return false;
}

AccountsWindow::AccountsWindow(Connection &db, const QString &databasePath, Prompts &prompts,
                               QWidget *parent)
    : QDialog(parent), m_db(db), m_databasePath(databasePath), m_prompts(prompts)
{
    setWindowTitle(QStringLiteral("Calendar Accounts"));

    lstAccounts = new QTreeWidget(this);
    lstAccounts->setRootIsDecorated(false);
    lstAccounts->setHeaderLabels(
        {QStringLiteral("Server"), QStringLiteral("User name"), QStringLiteral("Last result")});
    lstAccounts->header()->setStretchLastSection(true);
    lstAccounts->header()->resizeSection(0, 220);
    lstAccounts->header()->resizeSection(1, 110);
    cmdAdd = new QPushButton(QStringLiteral("&Add"), this);
    cmdRemove = new QPushButton(QStringLiteral("&Remove"), this);

    txtServer = new QLineEdit(this);
    txtServer->setPlaceholderText(QStringLiteral("https://dav.example.com"));
    txtUser = new QLineEdit(this);
    txtPassword = new QLineEdit(this);
    txtPassword->setEchoMode(QLineEdit::Password);
    txtPassword->setPlaceholderText(QStringLiteral("kept in the desktop's keyring"));
    cmdFind = new QPushButton(QStringLiteral("&Find Collections"), this);
    lstCollections = new QListWidget(this);
    cmdSync = new QPushButton(QStringLiteral("&Sync Now"), this);
    barSync = new QProgressBar(this);
    barSync->setTextVisible(false);
    barSync->setRange(0, 1);
    barSync->setValue(0);
    lblStatus = new QLabel(this);
    lblStatus->setWordWrap(true);
    cmdClose = new QPushButton(QStringLiteral("Close"), this);
    // Enter in the fields looks for the collections of what was typed; it
    // must never add another, empty account.
    for (QPushButton *b : {cmdAdd, cmdRemove, cmdFind, cmdSync, cmdClose})
        b->setAutoDefault(false);
    for (QLineEdit *field : {txtServer, txtUser, txtPassword})
        connect(field, &QLineEdit::returnPressed, this, [this] {
            if (cmdFind->isEnabled())
                cmdFind_Click();
        });

    auto *accountButtons = new QHBoxLayout;
    accountButtons->addWidget(cmdAdd);
    accountButtons->addWidget(cmdRemove);
    accountButtons->addStretch();
    auto *fields = new QFormLayout;
    fields->addRow(QStringLiteral("Ser&ver:"), txtServer);
    fields->addRow(QStringLiteral("&User name:"), txtUser);
    fields->addRow(QStringLiteral("&Password:"), txtPassword);
    fields->addRow(QString(), cmdFind);
    fields->addRow(QStringLiteral("Synced:"), lstCollections);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(cmdSync);
    bottom->addWidget(barSync, 1);
    bottom->addWidget(cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lstAccounts, 1);
    layout->addLayout(accountButtons);
    layout->addLayout(fields, 2);
    layout->addWidget(lblStatus);
    layout->addLayout(bottom);
    resize(560, 520);

    connect(cmdAdd, &QPushButton::clicked, this, [this] { cmdAdd_Click(); });
    connect(cmdRemove, &QPushButton::clicked, this, [this] { cmdRemove_Click(); });
    connect(cmdFind, &QPushButton::clicked, this, [this] { cmdFind_Click(); });
    connect(cmdSync, &QPushButton::clicked, this, [this] { cmdSync_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
    connect(txtPassword, &QLineEdit::textEdited, this, [this] { m_passwordTyped = true; });
    connect(lstCollections, &QListWidget::itemChanged, this, [this] { tickChanged(); });
    connect(lstAccounts, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        if (m_filling)
            return;
        const int next = lstAccounts->indexOfTopLevelItem(item);
        applyFields();
        showAccount(next);
    });

    m_accounts = readSyncAccounts();
    fillAccountList();
    showAccount(m_accounts.isEmpty() ? -1 : 0);
}

AccountsWindow::~AccountsWindow()
{
    // Closing is refused while busy; this is for the program ending anyway.
    if (m_worker) {
        m_worker->wait();
        delete m_worker;
    }
}

void AccountsWindow::fillAccountList()
{
    m_filling = true;
    lstAccounts->clear();
    for (const SyncAccount &account : std::as_const(m_accounts))
        new QTreeWidgetItem(lstAccounts, {account.server, account.user, account.lastResult});
    if (m_current >= 0 && m_current < m_accounts.size())
        lstAccounts->setCurrentItem(lstAccounts->topLevelItem(int(m_current)));
    m_filling = false;
}

void AccountsWindow::updateRow(int index)
{
    if (QTreeWidgetItem *item = lstAccounts->topLevelItem(index)) {
        const SyncAccount &account = m_accounts[index];
        item->setText(0, account.server);
        item->setText(1, account.user);
        item->setText(2, account.lastResult);
    }
}

void AccountsWindow::showAccount(int index)
{
    m_filling = true;
    m_current = index;
    const bool any = index >= 0;
    const SyncAccount shown = any ? m_accounts[index] : SyncAccount();
    if (any)
        lstAccounts->setCurrentItem(lstAccounts->topLevelItem(index));
    txtServer->setText(shown.server);
    txtUser->setText(shown.user);
    txtPassword->clear();
    m_passwordTyped = false;
    lstCollections->clear();
    for (const DavCollection &c : shown.collections) {
        auto *item = new QListWidgetItem(collectionCaption(c), lstCollections);
        item->setData(Qt::UserRole, c.href);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(shown.ticked.contains(c.href) ? Qt::Checked : Qt::Unchecked);
    }
    enableFields(any);
    m_filling = false;
}

void AccountsWindow::enableFields(bool on)
{
    for (QWidget *w : std::initializer_list<QWidget *>{cmdRemove, txtServer, txtUser, txtPassword,
                                                       cmdFind, lstCollections})
        w->setEnabled(on);
}

void AccountsWindow::applyFields()
{
    if (m_current < 0 || m_current >= m_accounts.size())
        return;
    SyncAccount &account = m_accounts[m_current];
    const QString oldId = account.id();
    const QString server = serverAddress(txtServer->text());
    const QString user = txtUser->text().trimmed();
    const bool moved = server != account.server || user != account.user;
    if (!moved && !m_passwordTyped)
        return;
    const bool named = !account.server.isEmpty();
    if (txtServer->text() != server)
        txtServer->setText(server);
    account.server = server;
    account.user = user;
    if (moved) {
        // Another server or user: what was found and synced was the old one's.
        account.collections.clear();
        account.ticked.clear();
        account.lastResult.clear();
        lstCollections->clear();
    }
    // A password typed now, else the one the old name kept, goes under the new name.
    QString password = m_passwordTyped ? txtPassword->text() : QString();
    if (named && moved && oldId != account.id()) {
        try {
            if (!m_passwordTyped)
                password = readSyncPassword(oldId);
            deleteSyncPassword(oldId);
        } catch (const AppError &) {
            // Left under the old name rather than lost; a sync says why the
            // new name has none.
        }
    }
    if (!password.isEmpty() && !account.server.isEmpty()) {
        try {
            saveSyncPassword(account.id(), password);
        } catch (const AppError &e) {
            m_prompts.MsgBox(e.description(), MsgButtons::OkOnly, MsgIcon::Exclamation);
        }
    }
    m_passwordTyped = false;
    saveAccounts();
    updateRow(m_current);
}

void AccountsWindow::saveAccounts()
{
    // An account added and left blank is not kept.
    QList<SyncAccount> kept;
    for (const SyncAccount &account : std::as_const(m_accounts))
        if (!account.server.isEmpty() || !account.user.isEmpty())
            kept.append(account);
    showingDescription(m_prompts, [&] { saveSyncAccounts(kept); });
}

void AccountsWindow::tickChanged()
{
    if (m_filling || m_current < 0)
        return;
    QStringList ticked;
    for (int i = 0; i < lstCollections->count(); ++i)
        if (lstCollections->item(i)->checkState() == Qt::Checked)
            ticked.append(lstCollections->item(i)->data(Qt::UserRole).toString());
    m_accounts[m_current].ticked = ticked;
    saveAccounts();
}

int AccountsWindow::indexOf(const QString &accountId) const
{
    for (int i = 0; i < m_accounts.size(); ++i)
        if (m_accounts[i].id() == accountId)
            return i;
    return -1;
}

void AccountsWindow::cmdAdd_Click()
{
    applyFields();
    m_accounts.append(SyncAccount());
    m_current = int(m_accounts.size()) - 1;
    fillAccountList();
    showAccount(m_current);
    txtServer->setFocus();
    lblStatus->clear();
}

void AccountsWindow::cmdRemove_Click()
{
    if (m_current < 0)
        return;
    const SyncAccount account = m_accounts[m_current];
    if (!account.server.isEmpty()) {
        if (m_prompts.MsgBox(QStringLiteral("Remove the account of %1 on %2? Its password is "
                                            "deleted from the keyring; the events it brought in "
                                            "stay.")
                                 .arg(account.user, account.server),
                             MsgButtons::YesNo, MsgIcon::Question) != MsgResult::Yes)
            return;
        deleteSyncPassword(account.id());
        ignoringErrors([&] { forgetAccount(m_db, account.id()); });
    }
    m_accounts.removeAt(m_current);
    m_current = -1;
    saveAccounts();
    fillAccountList();
    showAccount(m_accounts.isEmpty() ? -1 : 0);
    lblStatus->clear();
}

void AccountsWindow::cmdFind_Click()
{
    applyFields();
    if (m_current < 0)
        return;
    const SyncAccount account = m_accounts[m_current];
    QString password = txtPassword->text();
    try {
        if (password.isEmpty() && !account.server.isEmpty() && !account.user.isEmpty())
            password = readSyncPassword(account.id());
    } catch (const AppError &e) {
        lblStatus->setText(e.description());
        return;
    }
    if (account.server.isEmpty() || account.user.isEmpty() || password.isEmpty()) {
        lblStatus->setText(
            QStringLiteral("Type the server's address, the user name and the password first."));
        return;
    }
    struct Found
    {
        QList<DavCollection> collections;
        QString error;
    };
    auto found = std::make_shared<Found>();
    // The client is made on the worker: its network objects belong there.
    QThread *worker = QThread::create([found, account, password] {
        try {
            DavClient client(QUrl(account.server), account.user, password);
            found->collections = discoverCollections(client);
        } catch (...) {
            found->error = currentAppError().description();
        }
    });
    connect(worker, &QThread::finished, this, [this, worker, found, id = account.id()] {
        worker->deleteLater();
        setBusy(nullptr);
        discovered(id, found->collections, found->error);
    });
    lblStatus->setText(QStringLiteral("Looking for address books and calendars..."));
    barSync->setRange(0, 0); // busy, no count known
    setBusy(worker);
    worker->start();
}

void AccountsWindow::discovered(const QString &accountId, const QList<DavCollection> &found,
                                const QString &error)
{
    barSync->setRange(0, 1);
    barSync->setValue(0);
    if (!error.isEmpty()) {
        lblStatus->setText(error);
        return;
    }
    const int index = indexOf(accountId);
    if (index < 0)
        return;
    m_accounts[index] = withDiscovered(m_accounts[index], found);
    saveAccounts();
    showAccount(index);
    lblStatus->setText(discoveryText(found));
}

void AccountsWindow::cmdSync_Click()
{
    applyFields();
    const SyncPlan plan = planSync(m_accounts, readSyncPassword);
    for (const AccountOutcome &outcome : plan.outcomes)
        synced(outcome);
    if (plan.run.isEmpty()) {
        if (plan.outcomes.isEmpty())
            lblStatus->setText(QStringLiteral("Tick an address book or a calendar to sync first."));
        return;
    }
    BackgroundSync *sync = backgroundSync(m_databasePath, plan, this);
    connect(sync, &BackgroundSync::progress, this,
            [this](int done, int total, const QString &account) {
                barSync->setRange(0, total);
                barSync->setValue(done);
                lblStatus->setText(QStringLiteral("Syncing %1...").arg(account));
            });
    connect(sync, &BackgroundSync::step, lblStatus, &QLabel::setText);
    connect(sync, &BackgroundSync::accountDone, this, &AccountsWindow::synced);
    connect(sync, &QThread::finished, this, [this, sync] {
        sync->deleteLater();
        setBusy(nullptr);
        barSync->setValue(barSync->maximum());
    });
    barSync->setRange(0, int(plan.run.size()));
    barSync->setValue(0);
    lblStatus->setText(QStringLiteral("Syncing..."));
    setBusy(sync);
    sync->start();
}

void AccountsWindow::synced(const AccountOutcome &outcome)
{
    if (outcome.eventsChanged)
        m_eventsChanged = true;
    if (recordOutcome(m_accounts, outcome)) {
        saveAccounts();
        updateRow(indexOf(outcome.account));
    }
    lblStatus->setText(outcome.account + QStringLiteral(": ") + outcome.text);
}

void AccountsWindow::setBusy(QThread *worker)
{
    m_worker = worker;
    const bool idle = worker == nullptr;
    for (QWidget *w : std::initializer_list<QWidget *>{lstAccounts, cmdAdd, cmdSync, cmdClose})
        w->setEnabled(idle);
    // The fields keep what was typed, the password too, for another try.
    enableFields(idle && m_current >= 0);
}

void AccountsWindow::cmdClose_Click()
{
    if (busy())
        return;
    applyFields();
    accept();
}

void AccountsWindow::reject()
{
    // Escape while the network is at work: the worker must finish first.
    if (busy())
        return;
    applyFields();
    QDialog::reject();
}

void AccountsWindow::keyPressEvent(QKeyEvent *event)
{
    // The buttons are no defaults (Enter in a field must not press Add), so
    // Enter on a focused one would otherwise do nothing.
    auto *button = qobject_cast<QPushButton *>(focusWidget());
    if (button && event->modifiers() == Qt::NoModifier &&
        (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        button->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void AccountsWindow::closeEvent(QCloseEvent *event)
{
    if (busy())
        event->ignore();
    else
        QDialog::closeEvent(event);
}
