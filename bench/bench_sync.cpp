// SPDX-License-Identifier: GPL-3.0-or-later
// CardDAV sync against a local Radicale, timed, with the number of requests
// and this process's CPU time (the server's is not in it): the first sync of
// 10,000 cards into an empty data file, a later sync with one change made
// here and one made on the server among them (the target: at most 5
// requests), the first sync of 10,000 contacts up to an empty server, and
// the floor for that upload: the same cards sent by one curl, one PUT each
// on one kept-alive connection. Each direction has a server of its own.
// VCQ_BENCH_SYNC_CONTACTS and VCQ_BENCH_SYNC_UPLOAD set other counts.
#include "common/data_file.h"

#include "dav_server.h"
#include "interop/contact_mapping.h"
#include "interop/vcard_writer.h"
#include "store/contact_store.h"
#include "sync/sync_engine.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUuid>

#include <cstdio>
#include <memory>
#include <string_view>
#include <sys/resource.h>

namespace
{

using namespace vcq;

int countFrom(const char *variable)
{
    const int n = qEnvironmentVariableIntValue(variable);
    return n > 0 ? n : 10000;
}

// User and system time of this process so far, in seconds.
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The contacts of the upload, the same for the sync and for the floor.
std::vector<ContactRecord> uploadContacts()
{
    std::mt19937 rng(97);
    std::vector<ContactRecord> contacts;
    const int n = countFrom("VCQ_BENCH_SYNC_UPLOAD");
    for (int i = 0; i < n; ++i)
        contacts.push_back(test::randomContact(rng));
    return contacts;
}

std::unique_ptr<synctest::DavServer> startServer(const QString &folder)
{
    auto server =
        std::make_unique<synctest::DavServer>(synctest::DavServer::Kind::Radicale, folder);
    if (!server->start())
        return nullptr;
    return server;
}

// Servers made when a step first needs them, shared by the steps, which run
// in order.
struct World {
    QTemporaryDir dir{QDir::tempPath() + "/vcq-bench-sync-XXXXXX"};
    std::unique_ptr<synctest::DavServer> down; // holds the phone's cards
    std::unique_ptr<synctest::DavServer> up;   // empty until the upload
    bool downTried = false;
    QString deskA = dir.path() + "/a";
    QString deskB = dir.path() + "/b";

    World()
    {
        QDir().mkpath(deskA);
        QDir().mkpath(deskB);
    }

    synctest::DavServer *downServer()
    {
        if (downTried)
            return down.get();
        downTried = true;
        down = startServer(dir.path() + "/server");
        // The phone's cards, put where the server keeps them: uploading them
        // one by one would time the server's writes, not the sync.
        const int n = countFrom("VCQ_BENCH_SYNC_CONTACTS");
        bool ready = down != nullptr;
        for (int i = 0; ready && i < n; ++i) {
            const QString uid = QStringLiteral("phone-%1").arg(i);
            QFile card(down->storageFolder() + "/" + uid + ".vcf");
            ready = card.open(QIODevice::WriteOnly) &&
                    card.write(synctest::phoneCard(
                        uid, QStringLiteral("Phone%1").arg(i), "Pat",
                        {QStringLiteral("TEL;TYPE=CELL:+1 514 555 %1").arg(i, 4, 10, QChar('0')),
                         QStringLiteral("EMAIL:pat%1@example.org").arg(i),
                         "NOTE:written on the phone"})) > 0;
        }
        // The server reads new files once, on the first request after them;
        // a server that has had its cards a while has done so long before.
        if (ready) {
            sync::DavClient warm;
            warm.setCredentials(down->collectionUrl(), down->user(), down->password());
            warm.setTimeout(30 * 60 * 1000);
            ready = warm.send({"PROPFIND", down->collectionUrl(), {{"Depth", "1"}}, {}}).ok();
        }
        if (!ready)
            down.reset();
        return down.get();
    }

    static sync::SyncReport sync(synctest::DavServer &server, ContactStore &store,
                                 const QString &desk)
    {
        sync::DavClient client;
        client.setCredentials(server.collectionUrl(), server.user(), server.password());
        sync::SyncOptions options;
        options.dataFilePath = desk + "/VCQ97.NAM";
        options.collection = server.collectionUrl();
        options.batchSize = 250;
        // A long upload says how far it is, so that a run cut short still
        // shows how the time grows with the number of cards.
        QElapsedTimer clock;
        clock.start();
        const double cpu = cpuSeconds();
        options.progress = [&](const char *stage, int done, int total) {
            if (std::string_view(stage) == "upload" && done % 500 == 0)
                std::fprintf(stderr, "upload %d/%d: %.1f s, cpu %.2f s\n", done, total,
                             double(clock.elapsed()) / 1000, cpuSeconds() - cpu);
        };
        return sync::runSync(store, client, options);
    }
};

World &world()
{
    static World w;
    return w;
}

void open(ContactStore &store, const QString &desk)
{
    store.open((desk + "/VCQ97.NAM").toStdString());
    store.loadContacts();
}

void report(benchmark::State &state, const sync::SyncReport &r, int contacts, double cpu)
{
    state.counters["contacts"] = contacts;
    state.counters["requests"] = r.requests;
    state.counters["uploaded"] = r.uploadedNew + r.uploadedChanged;
    state.counters["changed_here"] = r.addedHere + r.changedHere;
    state.counters["cpu_s"] = cpu;
    if (r.error)
        state.SkipWithError(sync::errorText(r.error, false).toUtf8().constData());
}

// Times one sync of the store with the server.
void timeSync(benchmark::State &state, synctest::DavServer &server, ContactStore &store,
              const QString &desk)
{
    for (auto _ : state) {
        const double cpu = cpuSeconds();
        const sync::SyncReport r = World::sync(server, store, desk);
        report(state, r, int(store.list().size()), cpuSeconds() - cpu);
    }
}

void BM_FirstSyncDownload(benchmark::State &state)
{
    World &w = world();
    if (!w.downServer()) {
        state.SkipWithError("radicale did not start");
        return;
    }
    ContactStore store;
    open(store, w.deskB);
    timeSync(state, *w.down, store, w.deskB);
}

void BM_LaterSyncOneChangeHere(benchmark::State &state)
{
    World &w = world();
    ContactStore store;
    open(store, w.deskB);
    if (!w.down || store.list().empty()) {
        state.SkipWithError("the first sync brought nothing");
        return;
    }
    const ContactNode &node = *std::next(store.list().begin(), long(store.list().size() / 2));
    ContactRecord changed = node.record();
    changed.set(Field::Comment, "changed once among all the others");
    store.rewrite(node.RecordNumber, changed);
    timeSync(state, *w.down, store, w.deskB);
}

void BM_LaterSyncOneChangeThere(benchmark::State &state)
{
    World &w = world();
    if (!w.down) {
        state.SkipWithError("the first sync did not run");
        return;
    }
    QByteArray etag;
    QByteArray card = w.down->getCard("phone-7.vcf", &etag);
    card.replace("NOTE:written on the phone", "NOTE:changed on the phone");
    w.down->putCard("phone-7.vcf", card, nullptr, etag);
    ContactStore store;
    open(store, w.deskB);
    timeSync(state, *w.down, store, w.deskB);
}

void BM_FirstSyncUpload(benchmark::State &state)
{
    World &w = world();
    w.up = startServer(w.dir.path() + "/up-server");
    if (!w.up) {
        state.SkipWithError("radicale did not start");
        return;
    }
    ContactStore store;
    open(store, w.deskA);
    store.addMany(uploadContacts());
    timeSync(state, *w.up, store, w.deskA);
}

void BM_LaterSyncOneChangeAfterUpload(benchmark::State &state)
{
    World &w = world();
    ContactStore store;
    open(store, w.deskA);
    if (!w.up || store.list().empty()) {
        state.SkipWithError("the upload did not run");
        return;
    }
    const ContactNode &node = *store.list().begin();
    ContactRecord changed = node.record();
    changed.set(Field::Comment, "changed after the upload");
    store.rewrite(node.RecordNumber, changed);
    timeSync(state, *w.up, store, w.deskA);
}

// The upload's floor: the cards the sync sends, put by curl into an empty
// server, one PUT each (If-None-Match: *), in order, on one connection.
void BM_UploadFloorCurl(benchmark::State &state)
{
    World &w = world();
    const auto floor = startServer(w.dir.path() + "/floor-server");
    if (!floor) {
        state.SkipWithError("radicale did not start");
        return;
    }
    const QString cards = w.dir.path() + "/floor-cards";
    QDir().mkpath(cards);
    QFile config(w.dir.path() + "/floor.curl");
    if (!config.open(QIODevice::WriteOnly)) {
        state.SkipWithError("cannot write the curl configuration");
        return;
    }
    const std::vector<ContactRecord> contacts = uploadContacts();
    const QString collection = floor->collectionUrl().toString();
    for (const ContactRecord &contact : contacts) {
        const QString uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
        QFile card(cards + "/" + uid + ".vcf");
        if (!card.open(QIODevice::WriteOnly)) {
            state.SkipWithError("cannot write a card");
            return;
        }
        card.write(QByteArray::fromStdString(interop::writeVCard(
            interop::contactToCard(contact, uid.toStdString(), interop::VCardVersion::V30),
            interop::VCardVersion::V30)));
        config.write(QStringLiteral("upload-file = \"%1\"\nurl = \"%2%3.vcf\"\n"
                                    "output = \"/dev/null\"\n")
                         .arg(card.fileName(), collection, uid)
                         .toUtf8());
    }
    config.close();
    for (auto _ : state) {
        QProcess curl;
        // "Expect:" stops curl waiting a second per upload for a
        // "100 Continue" the server never sends.
        curl.start("curl",
                   {"-s", "-u", floor->user() + ":" + floor->password(), "-H", "Expect:", "-H",
                    "If-None-Match: *", "-H", "Content-Type: text/vcard; charset=utf-8", "-w",
                    "%{http_code}\\n", "-K", config.fileName()});
        // Waited for in an event loop, which keeps reading the server's log:
        // a full pipe would stop the server.
        QEventLoop loop;
        QObject::connect(&curl, &QProcess::finished, &loop, &QEventLoop::quit);
        if (curl.state() != QProcess::NotRunning)
            loop.exec();
        const QList<QByteArray> statuses = curl.readAllStandardOutput().split('\n');
        state.counters["contacts"] = double(contacts.size());
        state.counters["requests"] = double(statuses.count("201"));
        if (statuses.count("201") != qsizetype(contacts.size()))
            state.SkipWithError("curl's uploads were not all created");
    }
}

} // namespace

BENCHMARK(BM_FirstSyncDownload)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LaterSyncOneChangeHere)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LaterSyncOneChangeThere)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FirstSyncUpload)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LaterSyncOneChangeAfterUpload)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_UploadFloorCurl)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
