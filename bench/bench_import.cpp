// SPDX-License-Identifier: GPL-3.0-or-later
// Importing a vCard file of 100,000 and 1,000,000 contacts into an empty data
// file, beside abook reading the same file (its vCard to CSV conversion), a
// program that does the same reading and no more: the whole program each
// time, from its start to its end. Also the import on its own, in process.
#include "common/data_file.h"
#include "interop/contact_mapping.h"
#include "interop/importer.h"
#include "interop/vcard_writer.h"
#include "store/contact_store.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

extern char **environ;

namespace
{

using namespace vcq;
namespace fs = std::filesystem;

fs::path scratch()
{
    static const fs::path dir = [] {
        fs::path d = fs::temp_directory_path() / ("vcq_bench_import_" + std::to_string(::getpid()));
        fs::create_directories(d);
        return d;
    }();
    return dir;
}

// A vCard 3.0 file of `contacts` generated contacts, written once.
std::string vcardFile(int contacts)
{
    static std::map<int, std::string> made;
    std::string &path = made[contacts];
    if (path.empty()) {
        path = (scratch() / ("contacts_" + std::to_string(contacts) + ".vcf")).string();
        std::mt19937 rng(97);
        std::ofstream out(path, std::ios::binary);
        std::string chunk;
        for (int i = 0; i < contacts; ++i) {
            const ContactRecord r = test::randomContact(rng);
            interop::appendVCard(chunk,
                                 interop::contactToCard(r, "urn:uuid:" + std::to_string(i),
                                                        interop::VCardVersion::V30),
                                 interop::VCardVersion::V30);
            if (chunk.size() > (1 << 20)) {
                out << chunk;
                chunk.clear();
            }
        }
        out << chunk;
    }
    return path;
}

// Runs a program in a folder, its output to /dev/null, and waits; answers
// its exit status.
int runProgram(const std::vector<std::string> &argv, const fs::path &folder)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char *> args;
    for (const std::string &a : argv)
        args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    const fs::path before = fs::current_path();
    fs::current_path(folder);
    pid_t pid = 0;
    const int spawned = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    fs::current_path(before);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

fs::path emptyFolder(const std::string &name)
{
    const fs::path dir = scratch() / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

void BM_ImportProgram(benchmark::State &state)
{
    const std::string input = vcardFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path dir = emptyFolder("import");
        state.ResumeTiming();
        const int status = runProgram({VCQ_BINARY, "import", input}, dir);
        if (status > 1) // 1: the report has remarks, which is still an import
            state.SkipWithError("the import failed");
    }
    state.counters["contacts/s"] =
        benchmark::Counter(double(state.range(0)), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_AbookReadsTheSameFile(benchmark::State &state)
{
    const std::string input = vcardFile(static_cast<int>(state.range(0)));
    const fs::path dir = emptyFolder("abook");
    for (auto _ : state) {
        const int status = runProgram(
            {"abook", "--convert", "--informat", "vcard", "--infile", input, "--outformat", "csv"},
            dir);
        if (status != 0)
            state.SkipWithError("abook is not installed or failed");
    }
    state.counters["contacts/s"] =
        benchmark::Counter(double(state.range(0)), benchmark::Counter::kIsIterationInvariantRate);
}

// The import alone: no process start, the data file already open.
void BM_ImportInProcess(benchmark::State &state)
{
    const std::string input = vcardFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path dir = emptyFolder("inprocess");
        const std::string data = (dir / "VCQ97.NAM").string();
        ContactStore store;
        store.open(data);
        store.loadContacts();
        state.ResumeTiming();
        const interop::ImportResult r = interop::importFiles(store, data, {input});
        benchmark::DoNotOptimize(r.added);
    }
}

BENCHMARK(BM_ImportProgram)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();
BENCHMARK(BM_AbookReadsTheSameFile)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();
BENCHMARK(BM_ImportInProcess)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    fs::remove_all(scratch(), ignored);
    return 0;
}
