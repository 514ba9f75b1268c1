// SPDX-License-Identifier: GPL-3.0-or-later
// The sync against a real CardDAV/CalDAV server (Radicale on 127.0.0.1)
// and, for the answers Radicale never gives, a scripted one.

#include "editor/ICalendarFile.h"
#include "platform/AppError.h"
#include "store/Connection.h"
#include "store/Statement.h"
#include "support/CalendarRows.h"
#include "support/DavServers.h"
#include "support/TestDatabase.h"
#include "sync/ContactSync.h"
#include "sync/DavClient.h"
#include "sync/DavDiscovery.h"
#include "sync/SyncLinks.h"
#include "sync/SyncRun.h"

#include <QSslKey>
#include <QSslServer>
#include <QtTest>
#include <sqlite3.h>

namespace {

QByteArray card(const QString &uid, const QString &name, const QString &bday,
                const QString &extra = {})
{
    return QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:%1\r\nFN:%2\r\nBDAY:%3\r\n%4"
                          "END:VCARD\r\n")
        .arg(uid, name, bday, extra)
        .toUtf8();
}

// A multistatus of the given responses, and a sync token when one is given.
QByteArray multistatus(const QByteArray &responses, const QByteArray &token = {})
{
    return "<?xml version=\"1.0\"?><D:multistatus xmlns:D=\"DAV:\" "
           "xmlns:C=\"urn:ietf:params:xml:ns:carddav\">" +
           responses +
           (token.isEmpty() ? QByteArray() : "<D:sync-token>" + token + "</D:sync-token>") +
           "</D:multistatus>";
}

// One response whose properties are an ETag and any more given.
QByteArray response(const QByteArray &href, const QByteArray &more = {})
{
    return "<D:response><D:href>" + href +
           "</D:href><D:propstat><D:prop><D:getetag>\"e\""
           "</D:getetag>" +
           more +
           "</D:prop><D:status>HTTP/1.1 200 OK</D:status></D:propstat>"
           "</D:response>";
}

int rowsOf(Connection &db, const char *table)
{
    Statement st(db, QStringLiteral("SELECT count(*) FROM ") + QLatin1String(table));
    st.step();
    return int(sqlite3_column_int(st.handle(), 0));
}

QString errorOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const AppError &e) {
        return e.description();
    }
    return QStringLiteral("no error");
}

} // namespace

class TestSyncEngine : public QObject
{
    Q_OBJECT

    RadicaleServer m_radicale;
    bool m_started = false;
    QString m_why;
    int m_collections = 0;

    // Radicale, started once; skips the test where it cannot run.
    bool radicale()
    {
        if (!m_started && m_why.isEmpty() && !m_radicale.start(&m_why))
            qWarning("Radicale does not run: %s", qPrintable(m_why));
        m_started = m_why.isEmpty();
        return m_started;
    }
    // A new collection of ann's, made on the server.
    DavCollection collection(bool addressBook, bool syncCollection = true)
    {
        DavCollection c;
        c.kind = addressBook ? DavCollection::AddressBook : DavCollection::Calendar;
        c.href = QStringLiteral("/ann/c%1/").arg(++m_collections);
        c.name = c.href;
        c.syncCollection = syncCollection;
        if (!m_radicale.makeCollection(c.href, addressBook, c.href))
            qFatal("cannot make %s", qPrintable(c.href));
        return c;
    }
    std::unique_ptr<DavClient> client(const QString &password = RadicaleServer::password())
    {
        return std::make_unique<DavClient>(m_radicale.url(), RadicaleServer::user(), password);
    }

private slots:
    void refusedAddresses_data();
    void refusedAddresses();
    void discovery();
    void contactsIn_data();
    void contactsIn();
    void publish();
    void failures_data();
    void failures();
    void answeredInParts();
    void certificateRefused();
};

void TestSyncEngine::refusedAddresses_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("error");
    const QString https = QStringLiteral(
        "The server address must begin with https://; only a server on this computer may use "
        "http://.");
    QTest::newRow("https anywhere") << "https://dav.example.org/"
                                    << "no error";
    QTest::newRow("http elsewhere") << "http://dav.example.org/" << https;
    QTest::newRow("http to a name that only looks local")
        << "http://127.0.0.1.example.org/" << https;
    QTest::newRow("http to this computer by address") << "http://127.0.0.5:8080/"
                                                      << "no error";
    QTest::newRow("http to localhost") << "http://LOCALHOST:5232/dav/"
                                       << "no error";
    QTest::newRow("another scheme")
        << "ftp://dav.example.org/"
        << "\"ftp://dav.example.org/\" is no server address; it should look like "
           "https://dav.example.org/.";
}

void TestSyncEngine::refusedAddresses()
{
    QFETCH(QString, address);
    QFETCH(QString, error);
    QCOMPARE(errorOf([&] { DavClient(QUrl(address), QStringLiteral("u"), QStringLiteral("p")); }),
             error);
}

void TestSyncEngine::discovery()
{
    if (!radicale())
        QSKIP(qPrintable(m_why));
    QVERIFY(
        m_radicale.makeCollection(QStringLiteral("/ann/people/"), true, QStringLiteral("People")));
    QVERIFY(m_radicale.makeCollection(QStringLiteral("/ann/days/"), false, QStringLiteral("Days")));
    // From the server's bare address, as a user types it.
    auto c = client();
    QStringList found;
    for (const DavCollection &f : discoverCollections(*c))
        found << QStringLiteral("%1 %2 %3 %4")
                     .arg(f.kind == DavCollection::AddressBook ? "book" : "calendar", f.href,
                          f.name)
                     .arg(f.syncCollection);
    QVERIFY2(found.contains(QStringLiteral("book /ann/people/ People 1")),
             qPrintable(found.join('|')));
    QVERIFY2(found.contains(QStringLiteral("calendar /ann/days/ Days 1")),
             qPrintable(found.join('|')));
    auto wrong = client(QStringLiteral("wrong"));
    QCOMPARE(errorOf([&] { discoverCollections(*wrong); }),
             QStringLiteral("The server refused the user name or password."));
}

void TestSyncEngine::contactsIn_data()
{
    QTest::addColumn<bool>("syncCollection");
    QTest::newRow("sync-collection") << true;
    QTest::newRow("ETags only") << false;
}

void TestSyncEngine::contactsIn()
{
    QFETCH(bool, syncCollection);
    if (!radicale())
        QSKIP(qPrintable(m_why));
    TestDatabase t;
    const DavCollection book = collection(true, syncCollection);
    QList<std::pair<QString, QByteArray>> files;
    for (int i = 0; i < 500; ++i)
        files << std::pair{QStringLiteral("p%1.vcf").arg(i),
                           card(QStringLiteral("p%1").arg(i), QStringLiteral("Person %1").arg(i),
                                QStringLiteral("1970-01-%1").arg(i % 28 + 1, 2, 10, QChar('0')),
                                i == 3 ? QStringLiteral("ANNIVERSARY:20000606\r\n") : QString())};
    QVERIFY(m_radicale.writeCardsDirectly(book.href, files));
    // The user's own event of a contact's day and name is not doubled.
    addEvents(t.db, {"(#1/6/1970#, 'birthday', 'Person 5''s birthday', 'mine', False)"});
    const QString account = QStringLiteral("ann@test");
    auto c = client();
    ContactSyncResult r = syncAddressBook(*c, t.db, account, book);
    QCOMPARE(r.fetched, 500);
    QCOMPARE(r.added, 500);
    QCOMPARE(calendarRows(t.db, QStringLiteral("Description = 'Person 3''s anniversary'")),
             QStringList{"2000-06-06|anniversary|Person 3's anniversary|-|false"});
    QCOMPARE(calendarRows(t.db, QStringLiteral("Description = 'Person 7''s birthday'")),
             QStringList{"1970-01-08|birthday|Person 7's birthday|-|false"});

    // The user deletes one event; while its contact stays as it is, so does the deletion.
    t.db.Execute(QStringLiteral("DELETE FROM Calendar WHERE Description = 'Person 9''s birthday'"));
    // One renamed, one birthday moved, one deleted (with its anniversary), one added.
    QVERIFY(m_radicale.putResource(book.href + "p1.vcf", card("p1", "Renamed", "1970-01-02"),
                                   "text/vcard"));
    QVERIFY(m_radicale.putResource(book.href + "p2.vcf", card("p2", "Person 2", "1981-12-31"),
                                   "text/vcard"));
    QVERIFY(m_radicale.deleteResource(book.href + "p3.vcf"));
    QVERIFY(m_radicale.putResource(book.href + "new.vcf", card("new", "Newcomer", "--0229"),
                                   "text/vcard"));
    const int before = c->requests();
    r = syncAddressBook(*c, t.db, account, book);
    QCOMPARE(r.fetched, 3);
    QCOMPARE(c->requests() - before, 2);
    QCOMPARE(r.added, 3);
    QCOMPARE(r.removed, 4);
    QStringList changed = calendarRows(
        t.db, QStringLiteral("Description IN ('Person 1''s birthday', 'Renamed''s birthday', "
                             "'Person 2''s birthday', 'Person 3''s birthday', 'Person 3''s "
                             "anniversary', 'Newcomer''s birthday', 'Person 9''s birthday')"));
    changed.sort();
    QCOMPARE(changed, (QStringList{"1604-02-29|birthday|Newcomer's birthday|-|false",
                                   "1970-01-02|birthday|Renamed's birthday|-|false",
                                   "1981-12-31|birthday|Person 2's birthday|-|false"}));
    QCOMPARE(rowsOf(t.db, "Calendar"), 499);

    // Nothing changed: one request, nothing fetched; then the deleted
    // event's contact changes and the event is back.
    const int quiet = c->requests();
    r = syncAddressBook(*c, t.db, account, book);
    QCOMPARE(r.fetched, 0);
    QCOMPARE(c->requests() - quiet, 1);
    QVERIFY(m_radicale.putResource(book.href + "p9.vcf", card("p9", "Person 9", "1970-01-11"),
                                   "text/vcard"));
    r = syncAddressBook(*c, t.db, account, book);
    QCOMPARE(r.added, 1);
    QCOMPARE(rowsOf(t.db, "Calendar"), 500);
}

void TestSyncEngine::publish()
{
    if (!radicale())
        QSKIP(qPrintable(m_why));
    TestDatabase t;
    addEvents(t.db, {"(#3/18/1990#, 'birthday', 'Ann', 'cake', False)",
                     "(#7/4/2027#, 'reminder', 'Dentist', Null, True)",
                     "(#2/29/2000#, Null, 'Leap', Null, False)"});
    // A contact's birthday: its event stays off the calendar.
    const DavCollection book = collection(true);
    QVERIFY(
        m_radicale.putResource(book.href + "b.vcf", card("b", "Bob", "1980-05-05"), "text/vcard"));
    const DavCollection calendar = collection(false);
    SyncAccount account;
    account.server = m_radicale.url().toString();
    account.user = RadicaleServer::user();
    account.collections = {calendar, book};
    account.ticked = {calendar.href, book.href};
    const QDateTime stamp(QDate(2026, 12, 8), QTime(9, 0), Qt::UTC);
    const auto published = [&] { return m_radicale.listHrefs(calendar.href).size(); };
    const auto sync = [&] {
        return syncAccount(account, RadicaleServer::password(), t.db, stamp).text;
    };
    QCOMPARE(sync(), QStringLiteral("1 event from contacts added; 3 events published."));
    QCOMPARE(published(), 3);
    const QString ann = calendar.href + eventUid(QDate(1990, 3, 18), "Ann") + ".ics";
    int status = 0;
    const QByteArray text = m_radicale.getResource(ann, &status);
    QCOMPARE(status, 200);
    QVERIFY2(text.contains("SUMMARY:Ann\r\n") && text.contains("RRULE:FREQ=YEARLY\r\n") &&
                 text.contains("DESCRIPTION:cake\r\n"),
             text.constData());
    QCOMPARE(sync(), QStringLiteral("Nothing had changed."));

    // Details changed here: the same object is changed over our version.
    t.db.Execute(
        QStringLiteral("UPDATE Calendar SET Details = 'candles' WHERE Description = 'Ann'"));
    QCOMPARE(sync(), QStringLiteral("1 event published."));
    QVERIFY(m_radicale.getResource(ann).contains("DESCRIPTION:candles\r\n"));
    // Renamed here: a new UID, the old object deleted.
    t.db.Execute(
        QStringLiteral("UPDATE Calendar SET Description = 'Dr Who' WHERE Description = 'Dentist'"));
    QCOMPARE(sync(), QStringLiteral("1 event published; 1 event deleted from the calendar."));
    QCOMPARE(published(), 3);

    // Changed on the phone, then here: the phone's version stays.
    QByteArray theirs = m_radicale.getResource(ann);
    theirs.replace("DESCRIPTION:candles", "DESCRIPTION:from the phone");
    QVERIFY(m_radicale.putResource(ann, theirs, "text/calendar"));
    t.db.Execute(QStringLiteral("UPDATE Calendar SET Details = 'mine' WHERE Description = 'Ann'"));
    QCOMPARE(sync(), QStringLiteral("1 event was changed on the server and was not updated."));
    QVERIFY(m_radicale.getResource(ann).contains("DESCRIPTION:from the phone\r\n"));
    QCOMPARE(sync(), QStringLiteral("Nothing had changed."));

    // Deleted here: deleted there.
    t.db.Execute(QStringLiteral("DELETE FROM Calendar WHERE Description = 'Leap'"));
    QCOMPARE(sync(), QStringLiteral("1 event deleted from the calendar."));
    QCOMPARE(published(), 2);
}

void TestSyncEngine::failures_data()
{
    QTest::addColumn<QString>("fault"); // what the server does to the request that fails
    QTest::addColumn<QString>("error");
    QTest::newRow("wrong password") << "401"
                                    << "The server refused the user name or password.";
    QTest::newRow("forbidden") << "403"
                               << "The server refused PROPFIND /ab/ (403 Forbidden).";
    QTest::newRow("server failure")
        << "503"
        << "The server failed on PROPFIND /ab/ (503 Service Unavailable).";
    QTest::newRow("no answer") << "hang"
                               << "The server did not answer PROPFIND /ab/ within 1 second.";
    QTest::newRow("malformed XML")
        << "malformed"
        << "The server's answer to PROPFIND /ab/ is no WebDAV answer (line 1: Premature end of "
           "document).";
    QTest::newRow("not a multistatus")
        << "html"
        << "The server's answer to PROPFIND /ab/ is no WebDAV answer (line 1: its root is <html>, "
           "not a multistatus).";
    QTest::newRow("huge body")
        << "huge"
        << "The server's answer to PROPFIND /ab/ is larger than 1 MB; it was not read.";
    QTest::newRow("gone in the middle")
        << "gone"
        << "The server 127.0.0.1 could not be reached: Connection closed.";
}

// An address book of two cards; the listing or the fetch fails as the row
// says, and the database is as it was.
void TestSyncEngine::failures()
{
    QFETCH(QString, fault);
    QFETCH(QString, error);
    TestDatabase t;
    FakeDavServer server;
    const QByteArray listing = multistatus(response("/ab/") + response("/ab/a.vcf"));
    if (fault == "hang")
        server.hang("PROPFIND", "/ab/");
    else if (fault == "huge")
        server.hugeBody("PROPFIND", "/ab/", 2 << 20);
    else if (fault == "malformed")
        server.answer("PROPFIND", "/ab/", 207, listing.left(120));
    else if (fault == "html")
        server.answer("PROPFIND", "/ab/", 207, "<html><body>Welcome</body></html>");
    else if (fault == "gone")
        server.answer("PROPFIND", "/ab/", 207, listing);
    else
        server.answer("PROPFIND", "/ab/", fault.toInt(), "no");
    server.closeMidway("REPORT", "/ab/");
    DavClient c(server.url(), QStringLiteral("ann"), QStringLiteral("secret"));
    c.timeoutSeconds = 1;
    c.maxBodyBytes = 1 << 20;
    DavCollection book;
    book.href = QStringLiteral("/ab/");
    book.syncCollection = true;
    QCOMPARE(errorOf([&] { syncAddressBook(c, t.db, QStringLiteral("a"), book); }), error);
    QCOMPARE(rowsOf(t.db, "Calendar"), 0);
    QCOMPARE(rowsOf(t.db, "SyncLinks"), 0);
    // Credentials were sent, and only as asked.
    QCOMPARE(server.requests().first().header("Authorization"),
             QByteArray("Basic YW5uOnNlY3JldA=="));
}

// A sync-collection answer in two parts (a 507 for the collection itself),
// the second asked for with the first part's token.
void TestSyncEngine::answeredInParts()
{
    TestDatabase t;
    FakeDavServer server;
    const QByteArray more = "<D:response><D:href>/ab/</D:href><D:status>HTTP/1.1 507 "
                            "Insufficient Storage</D:status></D:response>";
    server.answer("REPORT", "/ab/", 207, multistatus(response("/ab/a.vcf") + more, "t1"));
    server.answer("REPORT", "/ab/", 207, multistatus(response("/ab/b.vcf"), "t2"));
    const auto got = [](const char *href, const char *name) {
        return response(QByteArray("/ab/") + href,
                        "<C:address-data>" + card(href, name, "1999-09-09") + "</C:address-data>");
    };
    server.answer("REPORT", "/ab/", 207, multistatus(got("a.vcf", "Al") + got("b.vcf", "Bo")));
    DavClient c(server.url(), QStringLiteral("ann"), QStringLiteral("secret"));
    DavCollection book;
    book.href = QStringLiteral("/ab/");
    book.syncCollection = true;
    ensureSyncTables(t.db); // a sync before this one left its token
    writeSyncToken(t.db, QStringLiteral("a"), book.href, QStringLiteral("t0"));
    QCOMPARE(syncAddressBook(c, t.db, QStringLiteral("a"), book).added, 2);
    QCOMPARE(server.requests().size(), 3);
    QVERIFY(server.requests()[1].body.contains("<d:sync-token>t1</d:sync-token>"));
    QCOMPARE(readSyncToken(t.db, QStringLiteral("a"), book.href), QStringLiteral("t2"));
}

// A server on this computer whose certificate nobody signed: refused, with
// the reason, before anything is sent.
void TestSyncEngine::certificateRefused()
{
    TestEnv env;
    const QString key = env.path("key.pem"), cert = env.path("cert.pem");
    if (QProcess::execute("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout",
                                      key, "-out", cert, "-days", "1", "-subj", "/CN=127.0.0.1"}) !=
        0)
        QSKIP("openssl cannot make a certificate here");
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    QFile keyFile(key), certFile(cert);
    QVERIFY(keyFile.open(QIODevice::ReadOnly) && certFile.open(QIODevice::ReadOnly));
    tls.setPrivateKey(QSslKey(&keyFile, QSsl::Rsa));
    tls.setLocalCertificate(QSslCertificate(&certFile));
    QSslServer server;
    server.setSslConfiguration(tls);
    QVERIFY(server.listen(QHostAddress::LocalHost));
    QByteArray received; // what reached the server through the refused certificate
    connect(&server, &QSslServer::pendingConnectionAvailable, this, [&] {
        while (QTcpSocket *socket = server.nextPendingConnection())
            connect(socket, &QTcpSocket::readyRead, this,
                    [&, socket] { received += socket->readAll(); });
    });
    DavClient c(QUrl(QStringLiteral("https://127.0.0.1:%1/").arg(server.serverPort())), "ann",
                "secret");
    c.timeoutSeconds = 2; // a certificate taken would leave the request unanswered
    QCOMPARE(errorOf([&] { discoverCollections(c); }),
             QStringLiteral("The server's certificate was refused: The certificate is "
                            "self-signed, and untrusted"));
    QVERIFY2(received.isEmpty(), received.constData());
}

QTEST_GUILESS_MAIN(TestSyncEngine)
#include "tst_engine.moc"
