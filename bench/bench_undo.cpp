// SPDX-License-Identifier: GPL-3.0-or-later
// Undo and redo at 100,000 and 1,000,000 contacts: Save, Add and Delete each
// undone and redone through the main window, with the event processing and
// painting they cause (as bench_mainwin measures the commands themselves),
// Delete with its bin beside a plain flush, and the undo of a 100,000-contact
// import beside the import itself.
#include "common/data_file.h"
#include "interop/contact_mapping.h"
#include "interop/importer.h"
#include "interop/vcard_writer.h"
#include "mainwin/tfrm_main.h"
#include "mainwin/vcq_application.h"
#include "store/undo_history.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>

namespace
{

std::string dataFile(std::int64_t contacts)
{
    static std::map<std::int64_t, std::string> made;
    std::string &name = made[contacts];
    if (name.empty()) {
        name = "contacts-" + std::to_string(contacts) + ".NAM";
        vcq::test::writeRandomDataFile(name, contacts);
    }
    return name;
}

void settle()
{
    QCoreApplication::processEvents();
}

std::unique_ptr<vcq::TfrmMain> shared;
std::int64_t sharedSize = 0;

vcq::TfrmMain &window(std::int64_t contacts)
{
    if (!shared || sharedSize != contacts) {
        shared.reset();
        const std::string copy = dataFile(contacts) + ".edit";
        vcq::test::copyInBlocks(dataFile(contacts), copy);
        vcq::test::settleFile(copy);
        ::unlink((copy + ".bin").c_str());
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

enum Command { Save, Add, Delete };

// One command as the user gives it, untimed.
void give(vcq::TfrmMain &w, Command command, int n)
{
    switch (command) {
    case Save:
        select(w, w.listModel().count() / 3);
        w.txtLastName->setText(n % 2 ? QStringLiteral("Aardvark") : QStringLiteral("Zygote"));
        w.SaveButClick();
        break;
    case Add:
        w.NewButClick();
        w.txtLastName->setText(QStringLiteral("Gagnon") + QString::number(n));
        w.SaveButClick();
        break;
    case Delete:
        select(w, w.listModel().count() / 4);
        w.RemoveItem(true);
        break;
    }
    settle();
}

// state.range(0): contacts; range(1): the command; undo, or undo then redo timed.
void undoOrRedo(benchmark::State &state, bool redo)
{
    vcq::TfrmMain &w = window(state.range(0));
    const auto command = static_cast<Command>(state.range(1));
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        give(w, command, ++n);
        if (redo) {
            w.UndoClick();
            settle();
        }
        state.ResumeTiming();
        if (redo)
            w.RedoClick();
        else
            w.UndoClick();
        settle();
    }
    // After an undo there is something to redo; after a redo, nothing.
    if (w.undoHistory().canRedo() == redo)
        state.SkipWithError("nothing was undone or redone");
}

void BM_Undo(benchmark::State &state)
{
    undoOrRedo(state, false);
}
void BM_Redo(benchmark::State &state)
{
    undoOrRedo(state, true);
}

void BM_DeleteWithBin(benchmark::State &state)
{
    vcq::TfrmMain &w = window(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        select(w, w.listModel().count() / 4);
        state.ResumeTiming();
        w.RemoveItem(true);
        settle();
    }
}

#define VCQ_UNDO_BENCH(name)                                                                       \
    BENCHMARK(name)                                                                                \
        ->ArgsProduct({{100000, 1000000}, {Save, Add, Delete}})                                    \
        ->ArgNames({"contacts", "save0_add1_delete2"})                                             \
        ->Unit(benchmark::kMicrosecond)                                                            \
        ->MinTime(0.2)
VCQ_UNDO_BENCH(BM_Undo);
VCQ_UNDO_BENCH(BM_Redo);
BENCHMARK(BM_DeleteWithBin)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond)->MinTime(0.2);

// One write and flush of a record, what a Delete cost beside its list work
// before the bin; the bin adds one more of these.
void BM_DiskFlush(benchmark::State &state)
{
    QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/flush-XXXXXX"));
    const std::string path = dir.filePath(QStringLiteral("flush")).toStdString();
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0600);
    const vcq::ContactRecord record;
    for (auto _ : state) {
        if (::pwrite(fd, record.data(), vcq::kRecordSize, 0) < 0 || ::fdatasync(fd) != 0)
            state.SkipWithError("write failed");
    }
    ::close(fd);
}
BENCHMARK(BM_DiskFlush)->Unit(benchmark::kMicrosecond);

std::string vcardFile(int contacts)
{
    const std::string path = "cards-" + std::to_string(contacts) + ".vcf";
    if (QFile::exists(QString::fromStdString(path)))
        return path;
    std::mt19937 rng(97);
    std::ofstream out(path, std::ios::binary);
    std::string chunk;
    for (int i = 0; i < contacts; ++i) {
        vcq::interop::appendVCard(chunk,
                                  vcq::interop::contactToCard(vcq::test::randomContact(rng),
                                                              "urn:uuid:" + std::to_string(i),
                                                              vcq::interop::VCardVersion::V30),
                                  vcq::interop::VCardVersion::V30);
    }
    out << chunk;
    return path;
}

// The import of 100,000 contacts into a data file of 100,000, then its undo:
// two figures, import_ms and undo_ms, per run.
void BM_ImportThenUndo(benchmark::State &state)
{
    const std::string cards = vcardFile(int(state.range(0)));
    double importMs = 0, undoMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string path = "import.NAM";
        vcq::test::copyInBlocks(dataFile(100000), path);
        ::unlink((path + ".bin").c_str());
        vcq::ContactStore store;
        store.open(path);
        store.loadContacts();
        vcq::UndoHistory history(store);
        state.ResumeTiming();
        QElapsedTimer t;
        t.start();
        {
            const vcq::UndoHistory::StepScope step(history, vcq::StepKind::Import);
            vcq::interop::ImportOptions options;
            options.allowDuplicates = true;
            if (vcq::interop::importFiles(store, path, {cards}, options).added !=
                std::size_t(state.range(0)))
                state.SkipWithError("the import did not add every card");
        }
        importMs += double(t.nsecsElapsed()) / 1e6;
        t.restart();
        history.undo();
        undoMs += double(t.nsecsElapsed()) / 1e6;
        if (store.list().size() != 100000)
            state.SkipWithError("the undo did not take the import out");
    }
    state.counters["import_ms"] = benchmark::Counter(importMs, benchmark::Counter::kAvgIterations);
    state.counters["undo_ms"] = benchmark::Counter(undoMs, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ImportThenUndo)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    vcq::VcqApplication app(argc, argv);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toLocal8Bit());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    shared.reset();
    return 0;
}
