// SPDX-License-Identifier: GPL-3.0-or-later
// CardDAV sync against a local Radicale, timed, with the number of requests:
// the first sync of 10,000 cards into an empty data file, a later sync with
// one change made here and one made on the server among them (the target:
// at most 5 requests), and the first sync of 10,000 contacts up to the server.
// VCQ_BENCH_SYNC_CONTACTS and VCQ_BENCH_SYNC_UPLOAD set other counts.
#include "common/data_file.h"

#include "dav_server.h"
#include "store/contact_store.h"
#include "sync/sync_engine.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace
{

using namespace vcq;

int countFrom(const char *variable)
{
    const int n = qEnvironmentVariableIntValue(variable);
    return n > 0 ? n : 10000;
}

// One server and two desks shared by the steps, which run in order.
struct World {
    QTemporaryDir dir{QDir::tempPath() + "/vcq-bench-sync-XXXXXX"};
    std::unique_ptr<synctest::DavServer> server;
    QString deskA;
    QString deskB;
    bool ready = false;

    World()
    {
        server = std::make_unique<synctest::DavServer>(synctest::DavServer::Kind::Radicale,
                                                       dir.path() + "/server");
        ready = server->start();
        deskA = dir.path() + "/a";
        deskB = dir.path() + "/b";
        QDir().mkpath(deskA);
        QDir().mkpath(deskB);
        // The phone's cards, put where the server keeps them: uploading them
        // one by one would time the server's writes, not the sync.
        const int n = countFrom("VCQ_BENCH_SYNC_CONTACTS");
        for (int i = 0; ready && i < n; ++i) {
            const QString uid = QStringLiteral("phone-%1").arg(i);
            QFile card(server->storageFolder() + "/" + uid + ".vcf");
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
            warm.setCredentials(server->user(), server->password());
            warm.setTimeout(30 * 60 * 1000);
            ready = warm.send({"PROPFIND", server->collectionUrl(), {{"Depth", "1"}}, {}}).ok();
        }
    }

    sync::SyncReport sync(ContactStore &store, const QString &desk)
    {
        sync::DavClient client;
        client.setCredentials(server->user(), server->password());
        sync::SyncOptions options;
        options.dataFilePath = desk + "/VCQ97.NAM";
        options.collection = server->collectionUrl();
        options.batchSize = 250;
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

void report(benchmark::State &state, const sync::SyncReport &r, int contacts)
{
    state.counters["contacts"] = contacts;
    state.counters["requests"] = r.requests;
    state.counters["uploaded"] = r.uploadedNew + r.uploadedChanged;
    state.counters["changed_here"] = r.addedHere + r.changedHere;
    if (r.error)
        state.SkipWithError(sync::errorText(r.error, false).toUtf8().constData());
}

void BM_FirstSyncDownload(benchmark::State &state)
{
    World &w = world();
    if (!w.ready) {
        state.SkipWithError("radicale did not start");
        return;
    }
    ContactStore store;
    open(store, w.deskB);
    for (auto _ : state)
        report(state, w.sync(store, w.deskB), countFrom("VCQ_BENCH_SYNC_CONTACTS"));
}

void BM_LaterSyncOneChangeHere(benchmark::State &state)
{
    World &w = world();
    ContactStore store;
    open(store, w.deskB);
    if (store.list().empty()) {
        state.SkipWithError("the first sync brought nothing");
        return;
    }
    const ContactNode &node = *std::next(store.list().begin(), long(store.list().size() / 2));
    ContactRecord changed = node.record();
    changed.set(Field::Comment, "changed once among all the others");
    store.rewrite(node.RecordNumber, changed);
    for (auto _ : state)
        report(state, w.sync(store, w.deskB), int(store.list().size()));
}

void BM_LaterSyncOneChangeThere(benchmark::State &state)
{
    World &w = world();
    QByteArray etag;
    QByteArray card = w.server->getCard("phone-7.vcf", &etag);
    card.replace("NOTE:written on the phone", "NOTE:changed on the phone");
    w.server->putCard("phone-7.vcf", card, nullptr, etag);
    ContactStore store;
    open(store, w.deskB);
    for (auto _ : state)
        report(state, w.sync(store, w.deskB), int(store.list().size()));
}

void BM_FirstSyncUpload(benchmark::State &state)
{
    World &w = world();
    const int n = countFrom("VCQ_BENCH_SYNC_UPLOAD");
    ContactStore store;
    open(store, w.deskA);
    std::mt19937 rng(97);
    std::vector<ContactRecord> contacts;
    for (int i = 0; i < n; ++i)
        contacts.push_back(test::randomContact(rng));
    store.addMany(contacts);
    for (auto _ : state)
        report(state, w.sync(store, w.deskA), n);
}

} // namespace

BENCHMARK(BM_FirstSyncDownload)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LaterSyncOneChangeHere)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LaterSyncOneChangeThere)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FirstSyncUpload)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
