// SPDX-License-Identifier: GPL-3.0-or-later
// CardDAV sync against a local Radicale: the first sync of 10,000 contacts
// each way, and a later sync with one change among them, timed, with the
// number of requests each needed (the target for the later sync: at most 5).
#include "bench_data.h"

#include "dav_server.h"
#include "store/contact_store.h"
#include "sync/sync_engine.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <memory>

namespace
{

using namespace vcq;

// 10,000 unless VCQ_BENCH_SYNC_CONTACTS says otherwise (a smaller run on a busy machine).
int contactCount()
{
    const int n = qEnvironmentVariableIntValue("VCQ_BENCH_SYNC_CONTACTS");
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

void report(benchmark::State &state, const sync::SyncReport &r)
{
    state.counters["requests"] = r.requests;
    state.counters["contacts"] = contactCount();
    state.counters["uploaded"] = r.uploadedNew + r.uploadedChanged;
    state.counters["added_here"] = r.addedHere + r.changedHere;
    if (r.error)
        state.SkipWithError(sync::errorText(r.error, false).toUtf8().constData());
}

void BM_FirstSyncUpload(benchmark::State &state)
{
    World &w = world();
    if (!w.ready) {
        state.SkipWithError("radicale did not start");
        return;
    }
    ContactStore store;
    open(store, w.deskA);
    std::mt19937 rng(97);
    std::vector<ContactRecord> contacts;
    for (int i = 0, n = contactCount(); i < n; ++i)
        contacts.push_back(bench::randomContact(rng));
    store.addMany(contacts);
    for (auto _ : state)
        report(state, w.sync(store, w.deskA));
}

void BM_FirstSyncDownload(benchmark::State &state)
{
    World &w = world();
    ContactStore store;
    open(store, w.deskB);
    for (auto _ : state)
        report(state, w.sync(store, w.deskB));
    state.counters["received"] = double(store.list().size());
}

void BM_LaterSyncOneChangeHere(benchmark::State &state)
{
    World &w = world();
    ContactStore store;
    open(store, w.deskA);
    const ContactNode &node = *std::next(store.list().begin(), contactCount() / 2);
    ContactRecord changed = node.record();
    changed.set(Field::Comment, "changed once among ten thousand");
    store.rewrite(node.RecordNumber, changed);
    for (auto _ : state)
        report(state, w.sync(store, w.deskA));
}

void BM_LaterSyncOneChangeThere(benchmark::State &state)
{
    // Desk B picks up the change desk A just sent.
    World &w = world();
    ContactStore store;
    open(store, w.deskB);
    for (auto _ : state)
        report(state, w.sync(store, w.deskB));
}

} // namespace

BENCHMARK(BM_FirstSyncUpload)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FirstSyncDownload)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LaterSyncOneChangeHere)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LaterSyncOneChangeThere)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
