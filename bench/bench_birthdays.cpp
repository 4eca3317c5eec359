// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up reminder's look at every birth date (today and tomorrow) on a
// loaded data file of 10,000 and 100,000 contacts: the list keeps only names,
// so each contact's birth date is read from the file (the window does it in
// slices on its event loop, so this is work spread, not a wait). Beside it, the same
// look over a snapshot (the command line's), whose records are in memory.
#include "common/data_file.h"
#include "interop/birthdays.h"
#include "store/contact_snapshot.h"
#include "store/contact_store.h"

#include <benchmark/benchmark.h>

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
                ("vcq_bench_birthdays_" + std::to_string(contacts) + ".NAM"))
                   .string();
        test::writeRandomDataFile(path, contacts);
    }
    return path;
}

void BM_ReminderOnLoadedStore(benchmark::State &state)
{
    ContactStore store;
    store.open(dataFile(static_cast<int>(state.range(0))));
    store.loadContacts();
    for (auto _ : state)
        benchmark::DoNotOptimize(interop::upcomingBirthdays(store.list(), QDate(2026, 12, 7), 1));
}

void BM_ReminderOnSnapshot(benchmark::State &state)
{
    const ContactSnapshot snapshot = readSnapshot(dataFile(static_cast<int>(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(interop::upcomingBirthdays(snapshot.list, QDate(2026, 12, 7), 1));
}

} // namespace

BENCHMARK(BM_ReminderOnLoadedStore)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReminderOnSnapshot)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
