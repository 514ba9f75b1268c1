// SPDX-License-Identifier: GPL-3.0-or-later
// The first sync of an address book of 5,000 contacts from a Radicale
// server on this computer, against the floor of fetching the same cards
// with one addressbook-multiget REPORT and parsing them; and a second sync
// with nothing changed, whose requests are counted. Real time: the server's
// work is what the user waits for too.

#include "BenchSupport.h"
#include "editor/VCardFile.h"
#include "platform/AppError.h"
#include "store/Connection.h"
#include "store/Repair.h"
#include "support/DavServers.h"
#include "sync/ContactSync.h"
#include "sync/DavClient.h"
#include "sync/DavDiscovery.h"
#include "sync/DavXml.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kContacts = 5000;

RadicaleServer *g_server = nullptr;
DavCollection g_book;
QStringList g_hrefs;
QString g_template; // an empty event database
QString g_work;

std::unique_ptr<DavClient> client()
{
    auto c = std::make_unique<DavClient>(g_server->url(), RadicaleServer::user(),
                                         RadicaleServer::password());
    c->timeoutSeconds = 600; // a loaded machine's Radicale reads 5,000 cards slowly
    return c;
}

// One multiget of every card, parsed as the sync parses them; the number of
// events the cards make.
int fetchAll(DavClient &c)
{
    const DavReply reply =
        c.request("REPORT", c.resolve(g_book.href), multigetBody(true, g_hrefs), {{"Depth", "1"}});
    int events = 0;
    for (const DavResponse &r : parseMultiStatus(reply.body, QStringLiteral("REPORT")).responses)
        events += int(parseVCardFile(r.data).candidates.size());
    return events;
}

void openFresh(Connection &db)
{
    db.Close();
    QFile::remove(g_work);
    QFile::copy(g_template, g_work);
    db.Open(Connection::connectionStringFor(g_work));
}

void BM_CardDavFirst(benchmark::State &state)
{
    Connection db;
    for (auto _ : state) {
        state.PauseTiming();
        openFresh(db);
        auto c = client();
        state.ResumeTiming();
        const ContactSyncResult r = syncAddressBook(*c, db, QStringLiteral("bench"), g_book);
        if (r.added != kContacts)
            state.SkipWithError("wrong number of events");
    }
}

// The floor: the same cards in one multiget, each parsed as the sync does.
void BM_MultigetFloor(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto c = client();
        state.ResumeTiming();
        if (fetchAll(*c) != kContacts)
            state.SkipWithError("wrong number of cards");
    }
}

// Nothing changed since the first sync: counter "requests" must stay at
// most 2 per address book.
void BM_CardDavSecond(benchmark::State &state)
{
    Connection db;
    openFresh(db);
    auto c = client();
    syncAddressBook(*c, db, QStringLiteral("bench"), g_book);
    int requests = 0;
    for (auto _ : state) {
        const int before = c->requests();
        syncAddressBook(*c, db, QStringLiteral("bench"), g_book);
        requests = c->requests() - before;
    }
    state.counters["requests"] = requests;
}

BENCHMARK(BM_MultigetFloor)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CardDavFirst)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CardDavSecond)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    QTemporaryDir dir;
    RadicaleServer server;
    QString why;
    if (!dir.isValid() || !server.start(&why)) {
        std::fprintf(stderr, "Radicale does not run: %s\n", qPrintable(why));
        return 1;
    }
    g_server = &server;
    g_book.href = QStringLiteral("/ann/contacts/");
    g_book.syncCollection = true;
    QList<std::pair<QString, QByteArray>> files;
    for (int i = 0; i < kContacts; ++i) {
        const QString name = QStringLiteral("c%1.vcf").arg(i);
        files << std::pair{name,
                           QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:c%1\r\nFN:Contact "
                                          "%1\r\nBDAY:19%2-%3-%4\r\nEND:VCARD\r\n")
                               .arg(i)
                               .arg(50 + i % 50)
                               .arg(i % 12 + 1, 2, 10, QLatin1Char('0'))
                               .arg(i % 28 + 1, 2, 10, QLatin1Char('0'))
                               .toUtf8()};
        g_hrefs << g_book.href + name;
    }
    if (!server.makeCollection(g_book.href, true, QStringLiteral("Contacts")) ||
        !server.writeCardsDirectly(g_book.href, files)) {
        std::fprintf(stderr, "cannot fill the address book\n");
        return 1;
    }
    // Radicale reads each card into its cache at the first request that
    // needs it, and writes each card's history at the first sync-collection
    // any client asks of the address book (8 s for these 5,000): once per
    // server, paid here, by neither side of the ratio.
    try {
        auto c = client();
        fetchAll(*c);
        c->request("REPORT", c->resolve(g_book.href), syncCollectionBody(QString()),
                   {{"Depth", "0"}});
    } catch (const AppError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.description()));
        return 1;
    }
    g_template = dir.filePath(QStringLiteral("Template.MDB"));
    g_work = dir.filePath(QStringLiteral("Almarik.MDB"));
    CreateDatabase(g_template);

    RatioReporter reporter(true);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.printRatio("carddav-first-vs-floor", "BM_CardDavFirst/real_time",
                               "BM_MultigetFloor/real_time")
               ? 0
               : 1;
}
