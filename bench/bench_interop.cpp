// SPDX-License-Identifier: GPL-3.0-or-later
// vCard export and import (read + map) at 100,000 and 1,000,000 contacts,
// beside abook converting the same contacts (the peer), whole process. The
// peer's CPU time is reported too: on a busy machine wall times stretch.
#include "common/data_file.h"
#include "interop/birth_date.h"
#include "interop/contact_mapping.h"
#include "interop/transliterate.h"
#include "interop/vcard_reader.h"
#include "interop/vcard_writer.h"
#include "store/contact_store.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace
{

using namespace vcq;
using namespace vcq::interop;

std::string tempPath(const std::string &name)
{
    return (std::filesystem::temp_directory_path() / name).string();
}

// A data file of `count` contacts with most fields filled.
std::string dataFile(int count)
{
    static std::map<int, std::string> made;
    auto &path = made[count];
    if (path.empty()) {
        path = tempPath("vcq_bench_interop_" + std::to_string(count) + ".NAM");
        std::mt19937 rng(97);
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char *>(ContactRecord::newHeader().data()), kRecordSize);
        for (int i = 0; i < count; ++i) {
            ContactRecord r = test::randomContact(rng);
            r.set(Field::Phone2, "514-555-" + std::to_string(2000 + i % 1000));
            r.set(Field::Cell, "438-555-" + std::to_string(3000 + i % 1000));
            r.set(Field::Status, "Amis");
            out.write(reinterpret_cast<const char *>(r.data()), kRecordSize);
        }
    }
    return path;
}

std::vector<ContactRecord> loadContacts(const std::string &path)
{
    ContactStore store;
    store.open(path);
    store.loadContacts();
    std::vector<ContactRecord> out;
    out.reserve(store.list().size());
    for (const ContactNode &n : store.list())
        out.push_back(n.record());
    store.close();
    return out;
}

// An export that only reads: the data file's records in file order.
std::string exportFileDirect(const std::string &dataPath, const std::string &outPath)
{
    std::ifstream in(dataPath, std::ios::binary);
    std::ofstream outFile(outPath, std::ios::binary);
    std::vector<char> buffer(kRecordSize * 1024);
    std::string file;
    file.reserve(1 << 20);
    std::string uid;
    const int year = currentYear();
    std::int32_t number = 0;
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const std::size_t got = static_cast<std::size_t>(in.gcount());
        for (std::size_t off = 0; off + kRecordSize <= got; off += kRecordSize, ++number) {
            if (number == 0)
                continue; // the header
            const ContactRecord r = ContactRecord::fromBytes(
                reinterpret_cast<const unsigned char *>(buffer.data() + off));
            if (r.isTombstone())
                continue;
            uid.assign("urn:uuid:5f0c2d4e-8a1b-8c3d-9e4f-");
            uid += std::to_string(100000000000 + number);
            appendContactVCard(file, r, uid, VCardVersion::V30, nullptr, year);
            // Written out a megabyte at a time: the text is never held whole.
            if (file.size() > (1 << 20) - 4096) {
                outFile.write(file.data(), static_cast<std::streamsize>(file.size()));
                file.clear();
            }
        }
    }
    outFile.write(file.data(), static_cast<std::streamsize>(file.size()));
    return outPath;
}

// An export through the store: load and sort the list, then write every contact.
std::string exportFile(const std::string &dataPath, const std::string &outPath)
{
    ContactStore store;
    store.open(dataPath);
    store.loadContacts();
    std::string file;
    file.reserve(store.list().size() * 420);
    const int year = currentYear();
    for (const ContactNode &node : store.list())
        appendContactVCard(file, node.record(),
                           "urn:uuid:5f0c2d4e-8a1b-8c3d-9e4f-" +
                               std::to_string(100000000000 + node.RecordNumber),
                           VCardVersion::V30, nullptr, year);
    store.close();
    std::ofstream(outPath, std::ios::binary)
        .write(file.data(), static_cast<std::streamsize>(file.size()));
    return outPath;
}

// The same contacts in abook's own format, for the peer.
std::string abookFile(int count)
{
    static std::map<int, std::string> made;
    auto &path = made[count];
    if (path.empty()) {
        path = tempPath("vcq_bench_interop_" + std::to_string(count) + ".abook");
        std::ofstream out(path, std::ios::binary);
        out << "[format]\nprogram=abook\nversion=0.6.1\n\n";
        int i = 0;
        for (const ContactRecord &c : loadContacts(dataFile(count))) {
            auto f = [&](Field field) { return cp1252ToUtf8(c.view(field)); };
            out << "[" << i++ << "]\nname=" << f(Field::FirstName) << ' ' << f(Field::LastName)
                << "\nemail=" << f(Field::Email) << "\naddress=" << f(Field::Address1)
                << "\ncity=" << f(Field::City) << "\nstate=" << f(Field::State)
                << "\nzip=" << f(Field::Zip) << "\ncountry=" << f(Field::Country)
                << "\nphone=" << f(Field::Phone1) << "\nworkphone=" << f(Field::Phone2)
                << "\nmobile=" << f(Field::Cell) << "\nnotes=" << f(Field::Comment)
                << "\nanniversary=1961-05-12\n\n";
        }
    }
    return path;
}

bool haveAbook()
{
    return std::system("command -v abook >/dev/null 2>&1") == 0;
}

double childCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_utime.tv_sec * 1e3 + usage.ru_utime.tv_usec / 1e3 +
           usage.ru_stime.tv_sec * 1e3 + usage.ru_stime.tv_usec / 1e3;
}

// Runs the peer's command; its CPU time per run is a counter, since a busy
// machine stretches wall times.
void runPeer(benchmark::State &state, const std::string &command)
{
    const double before = childCpuMs();
    for (auto _ : state)
        benchmark::DoNotOptimize(std::system(command.c_str()));
    state.counters["peer_cpu_ms"] = (childCpuMs() - before) / double(state.iterations());
}

void BM_ExportVCardDirect(benchmark::State &state)
{
    const std::string data = dataFile(static_cast<int>(state.range(0)));
    const std::string out = tempPath("vcq_bench_interop_export.vcf");
    for (auto _ : state)
        exportFileDirect(data, out);
    state.counters["MB"] = double(std::filesystem::file_size(out)) / 1e6;
}

void BM_ExportVCard(benchmark::State &state)
{
    const std::string data = dataFile(static_cast<int>(state.range(0)));
    const std::string out = tempPath("vcq_bench_interop_export.vcf");
    for (auto _ : state)
        exportFile(data, out);
    state.counters["MB"] = double(std::filesystem::file_size(out)) / 1e6;
}

void BM_AbookExportVCard(benchmark::State &state)
{
    if (!haveAbook()) {
        state.SkipWithError("abook is not installed");
        return;
    }
    const std::string in = abookFile(static_cast<int>(state.range(0)));
    const std::string command = "abook --convert --informat abook --infile " + in +
                                " --outformat vcard --outfile " +
                                tempPath("vcq_bench_interop_abook.vcf") + " >/dev/null 2>&1";
    runPeer(state, command);
}

std::string ourVCard(int count)
{
    static std::map<int, std::string> made;
    auto &path = made[count];
    if (path.empty())
        path = exportFile(dataFile(count),
                          tempPath("vcq_bench_interop_" + std::to_string(count) + ".vcf"));
    return path;
}

void BM_ReadAndMapVCard(benchmark::State &state)
{
    const std::string path = ourVCard(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::string bytes(std::filesystem::file_size(path), '\0');
        std::ifstream(path, std::ios::binary)
            .read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        // As an import does: each card mapped as soon as it is read.
        std::size_t cards = 0, losses = 0, problems = 0;
        readVCards(
            bytes,
            [&](ReadCard &&card) {
                ++cards;
                losses += cardToContact(card.card).losses.size();
            },
            [&](ReadProblem &&) { ++problems; });
        benchmark::DoNotOptimize(losses);
        state.counters["cards"] = double(cards);
        state.counters["problems"] = double(problems);
    }
}

void BM_AbookReadVCard(benchmark::State &state)
{
    if (!haveAbook()) {
        state.SkipWithError("abook is not installed");
        return;
    }
    const std::string command = "abook --convert --informat vcard --infile " +
                                ourVCard(static_cast<int>(state.range(0))) +
                                " --outformat csv --outfile /dev/null >/dev/null 2>&1";
    runPeer(state, command);
}

} // namespace

BENCHMARK(BM_ExportVCardDirect)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_ExportVCard)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_AbookExportVCard)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadAndMapVCard)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_AbookReadVCard)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
