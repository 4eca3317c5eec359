// SPDX-License-Identifier: GPL-3.0-or-later
// Loading and editing the data file at 10,000 to 1,000,000 contacts, beside a
// plain sequential read of the same bytes (the floor for loading): a copy
// written in 1 MiB blocks, read in 1 MiB blocks. Loading is timed whole, the
// store's teardown included; the first load of a size, on a heap that has not
// held a list yet, is reported beside the average of the later ones.
#include "common/data_file.h"
#include "store/contact_store.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>

namespace
{

using namespace vcq;

std::string dataFile(int contacts)
{
    static std::map<int, std::string> made;
    auto &path = made[contacts];
    if (path.empty()) {
        path = (std::filesystem::temp_directory_path() /
                ("vcq_bench_" + std::to_string(contacts) + ".NAM"))
                   .string();
        test::writeRandomDataFile(path, contacts);
        test::settleFile(path);
    }
    return path;
}

void BM_PlainRead(benchmark::State &state)
{
    const std::string path = dataFile(static_cast<int>(state.range(0))) + ".copy";
    if (!std::filesystem::exists(path)) {
        test::copyInBlocks(dataFile(static_cast<int>(state.range(0))), path);
        test::settleFile(path);
    }
    std::vector<char> buffer(1 << 20);
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        std::size_t total = 0;
        for (ssize_t n; (n = ::read(fd, buffer.data(), buffer.size())) > 0;)
            total += static_cast<std::size_t>(n);
        ::close(fd);
        benchmark::DoNotOptimize(total);
    }
}

void BM_Load(benchmark::State &state)
{
    const std::string path = dataFile(static_cast<int>(state.range(0)));
    double heapRatio = 0;
    double coldMs = -1;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        {
            ContactStore store;
            // Heap in use, blocks the allocator maps on their own included.
            const auto inUse = [] { return mallinfo2().uordblks + mallinfo2().hblkhd; };
            const auto before = inUse();
            store.open(path);
            store.loadContacts();
            heapRatio =
                double(mallinfo2().uordblks - before) / double(std::filesystem::file_size(path));
            store.close();
        }
        if (coldMs < 0)
            coldMs =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                    .count();
    }
    state.counters["heap/file"] = heapRatio;
    state.counters["cold_ms"] = coldMs;
}

// One edit command at a given list size; the store is loaded once.
template <typename Op> void editBench(benchmark::State &state, Op op)
{
    const int contacts = static_cast<int>(state.range(0));
    const std::string path = dataFile(contacts) + ".edit";
    std::filesystem::copy_file(dataFile(contacts), path,
                               std::filesystem::copy_options::overwrite_existing);
    ContactStore store;
    store.open(path);
    store.loadContacts();
    std::mt19937 rng(7);
    for (auto _ : state)
        op(store, rng);
    store.close();
    std::filesystem::remove(path);
}

void BM_Append(benchmark::State &state)
{
    editBench(state, [](ContactStore &s, std::mt19937 &rng) { s.add(test::randomContact(rng)); });
}

void BM_Rewrite(benchmark::State &state)
{
    editBench(state, [](ContactStore &s, std::mt19937 &rng) {
        const std::int64_t n = s.list().head()->RecordNumber;
        s.rewrite(n, test::randomContact(rng)); // new name: the node moves
    });
}

void BM_DeleteThenAdd(benchmark::State &state)
{
    // Delete a contact and add one back, so the list keeps its size; the add
    // reuses the freed slot.
    editBench(state, [](ContactStore &s, std::mt19937 &rng) {
        s.remove(s.list().head()->RecordNumber);
        s.add(test::randomContact(rng));
    });
}

// The disk flush every write pays, on its own: one record written and synced.
void BM_WriteAndSyncOneRecord(benchmark::State &state)
{
    const std::string path = dataFile(1000);
    const int fd = ::open(path.c_str(), O_RDWR);
    const ContactRecord r = ContactRecord::newHeader();
    for (auto _ : state) {
        benchmark::DoNotOptimize(::pwrite(fd, r.data(), kRecordSize, 0));
        ::fdatasync(fd);
    }
    ::close(fd);
}

// Load first, so that its first run of each size meets a heap that has held
// no list of that size.
BENCHMARK(BM_Load)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainRead)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Append)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Rewrite)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DeleteThenAdd)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WriteAndSyncOneRecord)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
