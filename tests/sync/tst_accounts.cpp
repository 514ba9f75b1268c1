// SPDX-License-Identifier: GPL-3.0-or-later
// The calendar accounts as the user meets them: kept in the settings without
// their passwords, refused by a desktop with no secret store, the window
// behind the Options menu, and a start-up that syncs nothing without them.

#include "app/Main.h"
#include "editor/FileBytes.h"
#include "platform/AppError.h"
#include "store/SharedDb.h"
#include "support/TestDatabase.h"
#include "sync/SyncSecrets.h"
#include "sync/ui/AccountsWindow.h"
#include "widgets/Modal.h"

#include <QAction>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTest>
#include <QThread>

namespace {

const QString kRefused = "No secret store runs on this desktop, so the password was not saved. "
                         "Start the desktop's keyring (GNOME Keyring or KWallet) and enter it "
                         "again.";

SyncAccount account(const QString &server, const QString &user, const QStringList &ticked = {})
{
    SyncAccount a;
    a.server = server;
    a.user = user;
    for (const QString &href : ticked)
        a.collections.append({DavCollection::Calendar, href, "Home", true});
    a.ticked = ticked;
    return a;
}

} // namespace

class TestAccounts : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void roundTrip();
    void malformed_data();
    void malformed();
    void ids_data();
    void ids();
    void secretStoreRefuses();
    void plan();
    void menuOpensWindow();
    void startup_data();
    void startup();

private:
    QString ini() const { return m_env.path("config/Almarik2/Almarik2.ini"); }
    // Every file under the test's home, with its size.
    QStringList files() const;
    std::unique_ptr<Main> start();

    TestEnv m_env;
    ScriptedPrompts m_prompts;
    SharedDb m_db;
    QString m_database;
};

void TestAccounts::initTestCase()
{
    // A bus address where none listens: the real user's keyring is never reached.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + m_env.path("no-bus").toUtf8());
    Connection db;
    m_database = newDatabase(m_env.path("Almarik.MDB"), db);
}

void TestAccounts::cleanup()
{
    setModalHandler({});
    m_db.close();
}

void TestAccounts::init()
{
    QFile::remove(ini());
    m_prompts.boxes.clear();
    setModalHandler({});
}

QStringList TestAccounts::files() const
{
    QStringList out;
    QDirIterator it(m_env.root(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        out << it.filePath() + ' ' + QString::number(it.fileInfo().size());
    }
    out.sort();
    return out;
}

std::unique_ptr<Main> TestAccounts::start()
{
    auto w = std::make_unique<Main>(m_db, m_prompts,
                                    [] { return QDateTime(QDate(2026, 12, 5), QTime(10, 0)); });
    w->setShiftState([] { return false; });
    w->setProgramFolder(m_env.root());
    w->Form_Load({m_database});
    return w;
}

void TestAccounts::roundTrip()
{
    SyncAccount a = account("https://dav.example.com/", "anna", {"/cal/home/"});
    a.collections.append({DavCollection::AddressBook, "/card/friends/", "Friends", false});
    a.lastResult = "Synced.";
    saveSyncAccounts({a, account("http://127.0.0.1:5232", "bob")});
    const QList<SyncAccount> back = readSyncAccounts();
    QCOMPARE(back.size(), 2);
    QCOMPARE(back[0].server + '|' + back[0].user + '|' + back[0].ticked.join(',') + '|' +
                 back[0].lastResult,
             "https://dav.example.com/|anna|/cal/home/|Synced.");
    QStringList collections;
    for (const DavCollection &c : back[0].collections)
        collections << collectionCaption(c) + ' ' + c.href + (c.syncCollection ? " sync" : "");
    QCOMPARE(collections, (QStringList{"Calendar: Home /cal/home/ sync",
                                       "Address book: Friends /card/friends/"}));
    QCOMPARE(back[1].id(), "bob@http://127.0.0.1:5232");
}

void TestAccounts::malformed_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("accounts");
    QTest::newRow("cut short") << R"([{"server":"https://a","user":)" << 0;
    QTest::newRow("no list") << R"({"server":"https://a","user":"u"})" << 0;
    QTest::newRow("numbers") << "[1,2]" << 0;
    QTest::newRow("one good") << R"([7,{"server":"https://a","user":"u","ticked":"x"}])" << 1;
}

void TestAccounts::malformed()
{
    QFETCH(QString, stored);
    QSettings(ini(), QSettings::IniFormat).setValue("Settings/CalendarAccounts", stored);
    QTEST(int(readSyncAccounts().size()), "accounts");
}

void TestAccounts::ids_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("id");
    QTest::newRow("as typed") << "https://dav.example.com/dav"
                              << "anna@https://dav.example.com/dav";
    QTest::newRow("slash, case, port") << " https://Dav.Example.com:443/dav/ "
                                       << "anna@https://dav.example.com/dav";
    QTest::newRow("other port") << "https://dav.example.com:8443/"
                                << "anna@https://dav.example.com:8443";
    QTest::newRow("root") << "https://dav.example.com/"
                          << "anna@https://dav.example.com";
    QTest::newRow("dot segments") << "https://dav.example.com/a/../dav/"
                                  << "anna@https://dav.example.com/dav";
}

void TestAccounts::ids()
{
    QFETCH(QString, server);
    QTEST(account(server, "anna").id(), "id");
}

void TestAccounts::secretStoreRefuses()
{
    const QStringList before = files();
    try {
        saveSyncPassword("anna@https://dav.example.com", "s3cret");
        QFAIL("saved with no secret store");
    } catch (const AppError &e) {
        QCOMPARE(e.description(), kRefused);
        QCOMPARE(e.number(), ErrNo::PermissionDenied);
    }
    QCOMPARE(files(), before);
}

void TestAccounts::plan()
{
    const SyncPlan plan = planSync(
        {account("https://a.example", "none"), account("https://b.example", "kept", {"/c/"}),
         account("https://c.example", "lost", {"/c/"}),
         account("https://d.example", "locked", {"/c/"})},
        [](const QString &id) {
            if (id.startsWith("locked@"))
                throw AppError(ErrNo::PermissionDenied, "The keyring is locked.");
            return id.startsWith("kept@") ? QString("pw") : QString();
        });
    QCOMPARE(plan.run.size(), 1);
    QCOMPARE(plan.run[0].user, "kept");
    QCOMPARE(plan.passwords, (QHash<QString, QString>{{"kept@https://b.example", "pw"}}));
    QCOMPARE(plan.outcomes.size(), 2);
    QCOMPARE(plan.outcomes[0].account + ' ' + plan.outcomes[0].text,
             "lost@https://c.example No password is kept for this account.");
    QCOMPARE(plan.outcomes[1].account + ' ' + plan.outcomes[1].text,
             "locked@https://d.example The keyring is locked.");
    for (const AccountOutcome &o : plan.outcomes)
        QVERIFY(!o.ok && !o.eventsChanged);
}

void TestAccounts::menuOpensWindow()
{
    auto w = start();
    QCOMPARE(w->mnuAccounts->text(), "Calendar Accounts...");
    QCOMPARE(w->mnuOpt->actions().last(), w->mnuAccounts);
    QString shown, status, caption;
    // Nothing listens on port 1 of this computer: the failure is found at once.
    const QString server = "http://127.0.0.1:1";
    const auto drive = [&](AccountsWindow &window) {
        window.cmdAdd->setFocus(); // Enter on a focused button presses it
        QTest::keyClick(window.cmdAdd, Qt::Key_Return);
        window.txtServer->setText(server);
        window.txtUser->setText("anna");
        QTest::keyClicks(window.txtPassword, "s3cret");
        // Enter looks for the collections (never adds an account); the failure
        // shows in the window, which waits for it on no thread of its own.
        QTest::keyClick(window.txtPassword, Qt::Key_Return);
        QVERIFY(window.busy() && !window.cmdFind->isEnabled() && !window.cmdClose->isEnabled());
        QTRY_VERIFY(!window.busy());
        status = window.lblStatus->text();
        QTest::mouseClick(window.cmdClose, Qt::LeftButton);
    };
    setModalHandler([&](QDialog &dialog) {
        shown = QString::fromLatin1(dialog.metaObject()->className());
        caption = dialog.windowTitle();
        drive(dynamic_cast<AccountsWindow &>(dialog));
        return dialog.result();
    });
    w->mnuAccounts->trigger();
    QCOMPARE(shown + ' ' + caption, "AccountsWindow Calendar Accounts");
    QCOMPARE(status, "The server 127.0.0.1 could not be reached: Connection refused.");
    // The password was refused once; the account is kept without it.
    QCOMPARE(m_prompts.takeBoxes(), QStringList{"Almarik (exclamation, OK): " + kRefused});
    const QList<SyncAccount> kept = readSyncAccounts();
    QCOMPARE(kept.size(), 1);
    QCOMPARE(kept[0].id(), "anna@http://127.0.0.1:1");
    QVERIFY(!fileBytes(ini()).contains("s3cret"));
}

void TestAccounts::startup_data()
{
    QTest::addColumn<QList<SyncAccount>>("accounts");
    QTest::addColumn<QString>("status"); // "" when no status bar is made
    QTest::newRow("none") << QList<SyncAccount>{} << "";
    QTest::newRow("nothing ticked") << QList<SyncAccount>{account("https://a.example", "u")} << "";
    // The tests' session has no secret store to ask.
    QTest::newRow("no secret store")
        << QList<SyncAccount>{account("https://a.example", "u"),
                              account("https://b.example", "v", {"/c/"})}
        << "v@https://b.example: No secret store runs on this desktop, so the password could not "
           "be read. Start the desktop's keyring (GNOME Keyring or KWallet).";
}

void TestAccounts::startup()
{
    QFETCH(QList<SyncAccount>, accounts);
    QFETCH(QString, status);
    if (!accounts.isEmpty())
        saveSyncAccounts(accounts);
    auto w = start();
    QVERIFY(w->findChildren<QThread *>().isEmpty());
    auto *bar = w->findChild<QStatusBar *>();
    QCOMPARE(bar ? bar->currentMessage() : QString(), status);
    QCOMPARE(readSyncAccounts().size(), accounts.size());
    if (!status.isEmpty())
        QCOMPARE(readSyncAccounts()[1].lastResult, status.mid(status.indexOf(": ") + 2));
    QVERIFY(m_prompts.boxes.isEmpty());
}

QTEST_MAIN(TestAccounts)
#include "tst_accounts.moc"
