// SPDX-License-Identifier: GPL-3.0-or-later
// The main window at 10,000, 100,000 and 1,000,000 contacts: start-up
// (window created to the list shown and painted) and the commands a user
// gives (selecting, saving with the same or a new name, adding, deleting),
// each with the event processing and painting it causes. Every write ends
// with a flush to the disk; BM_DiskFlush measures one such write alone, so a
// command's own processing is its time minus that.
#include "common/data_file.h"
#include "mainwin/accessibility.h"
#include "mainwin/contact_search.h"
#include "mainwin/tfrm_main.h"
#include "mainwin/vcq_application.h"
#include "store/contact_record.h"

#include <QAccessible>
#include <QDir>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <string>

namespace
{

// The data file of a size, written once into the working directory.
std::string dataFile(std::int64_t contacts)
{
    static std::map<std::int64_t, std::string> made;
    std::string &name = made[contacts];
    if (name.empty()) {
        name = "contacts-" + std::to_string(contacts) + ".NAM";
        vcq::test::writeRandomDataFile(name, contacts);
        vcq::test::settleFile(name);
    }
    return name;
}

void settle()
{
    QCoreApplication::processEvents();
}

std::unique_ptr<vcq::TfrmMain> openWindow(std::int64_t contacts)
{
    auto w = std::make_unique<vcq::TfrmMain>();
    w->setDataFileName(dataFile(contacts));
    w->show();
    settle();
    return w;
}

void BM_StartUp(benchmark::State &state)
{
    const std::int64_t contacts = state.range(0);
    dataFile(contacts);
    for (auto _ : state) {
        auto w = openWindow(contacts);
        if (w->listModel().count() != contacts || w->selectedRow() != 0)
            state.SkipWithError("the list was not filled");
        w.reset();
    }
}
BENCHMARK(BM_StartUp)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// One shown window for the commands of a size; the window of another size
// is closed first.
std::unique_ptr<vcq::TfrmMain> shared;
std::int64_t sharedSize = 0;

vcq::TfrmMain &window(std::int64_t contacts)
{
    if (!shared || sharedSize != contacts) {
        shared.reset();
        // A copy, so that the commands leave the start-up file as it was.
        const std::string copy = dataFile(contacts) + ".edit";
        vcq::test::copyInBlocks(dataFile(contacts), copy);
        vcq::test::settleFile(copy);
        shared = std::make_unique<vcq::TfrmMain>();
        shared->setDataFileName(copy);
        shared->show();
        settle();
        sharedSize = contacts;
    }
    return *shared;
}

void select(vcq::TfrmMain &w, int row)
{
    w.lstList->setCurrentIndex(w.lstList->model()->index(row, 0));
    settle();
}

void BM_SelectContact(benchmark::State &state)
{
    vcq::TfrmMain &w = window(state.range(0));
    const int count = w.listModel().count();
    int row = 0;
    for (auto _ : state) {
        row = (row + 7919) % count;
        select(w, row);
    }
    // So that a run meant to have a screen reader listening can be told apart
    // from one whose accessibility bus never switched Qt's bridge on.
    state.counters["reader"] = QAccessible::isActive() ? 1 : 0;
}

void BM_SaveSameName(benchmark::State &state)
{
    vcq::TfrmMain &w = window(state.range(0));
    select(w, w.listModel().count() / 2);
    int n = 0;
    for (auto _ : state) {
        w.txtPhone2->setText(QString::number(++n));
        w.SaveButClick();
        settle();
    }
}

void BM_SaveNewName(benchmark::State &state)
{
    vcq::TfrmMain &w = window(state.range(0));
    select(w, w.listModel().count() / 3);
    const QString names[] = {QStringLiteral("Aardvark"), QStringLiteral("Zygote")};
    int n = 0;
    for (auto _ : state) {
        // The contact moves from one end of the list to the other each time.
        w.txtLastName->setText(names[++n % 2]);
        w.SaveButClick();
        settle();
    }
}

void BM_AddContact(benchmark::State &state)
{
    vcq::TfrmMain &w = window(state.range(0));
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        w.NewButClick();
        w.txtLastName->setText(QStringLiteral("Gagnon") + QString::number(++n));
        settle();
        state.ResumeTiming();
        w.SaveButClick();
        settle();
    }
}

void BM_DeleteContact(benchmark::State &state)
{
    vcq::TfrmMain &w = window(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        select(w, w.listModel().count() / 4);
        state.ResumeTiming();
        // The confirmation is the user's time; the deletion itself is measured.
        w.RemoveItem(true);
        settle();
    }
}

// Seconds each command is repeated for: VCQ_BENCH_SECONDS lengthens it for a
// steadier figure or a profile.
double commandSeconds()
{
    const QByteArray seconds = qgetenv("VCQ_BENCH_SECONDS");
    return seconds.isEmpty() ? 0.2 : seconds.toDouble();
}

#define VCQ_COMMAND_BENCH(name)                                                                    \
    BENCHMARK(name)                                                                                \
        ->Arg(10000)                                                                               \
        ->Arg(100000)                                                                              \
        ->Arg(1000000)                                                                             \
        ->Unit(benchmark::kMicrosecond)                                                            \
        ->MinTime(commandSeconds())
VCQ_COMMAND_BENCH(BM_SelectContact);
VCQ_COMMAND_BENCH(BM_SaveSameName);
VCQ_COMMAND_BENCH(BM_SaveNewName);
VCQ_COMMAND_BENCH(BM_AddContact);
VCQ_COMMAND_BENCH(BM_DeleteContact);

// A search in the window, from the text typed to the narrowed list painted:
// the whole query at once (one letter, three letters, a whole name, a phone's
// digits) from an empty field, or a name typed a letter at a time, which
// narrows the result before it (the time per key).
vcq::ContactSearch &readySearch(vcq::TfrmMain &w)
{
    w.openSearch();
    vcq::ContactSearch &search = w.search();
    search.field()->setText(QStringLiteral("x"));
    while (search.countText() == QStringLiteral("…"))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return search;
}

void searchFor(vcq::TfrmMain &w, const QString &text)
{
    w.search().field()->setText(text);
    settle();
    w.lstList->viewport()->repaint();
}

void BM_Search(benchmark::State &state)
{
    vcq::TfrmMain &w = window(state.range(0));
    vcq::ContactSearch &search = readySearch(w);
    const QString queries[] = {QStringLiteral("e"), QStringLiteral("gag"),
                               w.listModel().at(w.listModel().count() / 2).text,
                               QStringLiteral("5551999"), QStringLiteral("tremblay")};
    const QString query = queries[state.range(1)];
    const bool growing = state.range(1) == 4;
    for (auto _ : state) {
        state.PauseTiming();
        searchFor(w, QString());
        state.ResumeTiming();
        if (!growing) {
            searchFor(w, query);
            continue;
        }
        for (int n = 1; n <= query.size(); ++n)
            searchFor(w, query.left(n));
    }
    state.counters["matches"] = w.listModel().count();
    if (growing)
        state.counters["per_key"] =
            benchmark::Counter(double(state.iterations() * query.size()),
                               benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    search.close();
    settle();
}
BENCHMARK(BM_Search)
    ->ArgsProduct({{10000, 100000, 1000000}, {0, 1, 2, 3, 4}})
    ->ArgNames({"contacts", "query"})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.2);

void BM_DiskFlush(benchmark::State &state)
{
    QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/flush-XXXXXX"));
    const std::string path = dir.filePath(QStringLiteral("flush")).toStdString();
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0644);
    const vcq::ContactRecord record;
    for (auto _ : state) {
        if (::pwrite(fd, record.data(), vcq::kRecordSize, 0) < 0 || ::fdatasync(fd) != 0)
            state.SkipWithError("write failed");
    }
    ::close(fd);
}
BENCHMARK(BM_DiskFlush)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    vcq::VcqApplication app(argc, argv);
    // As the program does: what a screen reader reads, when one is running.
    vcq::installAccessibility();
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    // The settings file goes to the scratch folder too.
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toLocal8Bit());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    shared.reset();
    return 0;
}
