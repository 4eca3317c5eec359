// The main window with 100,000 contacts: start-up (window created to the list
// filled and the first contact shown) against a plain sequential read of the
// same file, and selecting, saving and deleting one contact. Every write ends
// with a flush to the disk; BM_DiskFlush measures one such write alone, so a
// command's own processing is its time minus that.
#include "bench_data.h"
#include "mainwin/tfrm_main.h"
#include "mainwin/vcq_application.h"
#include "store/contact_record.h"

#include <QDir>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

namespace
{

constexpr int kContacts = 100000;

// Writes the data file once into the working directory.
void makeDataFile()
{
    static bool made = false;
    if (!made)
        vcq::bench::writeDataFile(vcq::kDataFileName, kContacts);
    made = true;
}

void BM_PlainRead(benchmark::State &state)
{
    makeDataFile();
    std::vector<char> buffer(1 << 16);
    for (auto _ : state) {
        const int fd = ::open(vcq::kDataFileName, O_RDONLY);
        std::size_t total = 0;
        for (ssize_t n; (n = ::read(fd, buffer.data(), buffer.size())) > 0;)
            total += static_cast<std::size_t>(n);
        ::close(fd);
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);

// The data file's own share of start-up: opening and loading it into the contact list.
void BM_StoreLoad(benchmark::State &state)
{
    makeDataFile();
    for (auto _ : state) {
        auto store = std::make_unique<vcq::ContactStore>();
        store->open(vcq::kDataFileName);
        store->loadContacts();
        benchmark::DoNotOptimize(store->list().size());
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StoreLoad)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_StartUp(benchmark::State &state)
{
    makeDataFile();
    for (auto _ : state) {
        auto w = std::make_unique<vcq::TfrmMain>();
        w->show();
        if (w->listModel().count() != kContacts || w->selectedRow() != 0)
            state.SkipWithError("the list was not filled");
        state.PauseTiming();
        w.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond)->Iterations(5);

// One shown window for the commands, closed before the application ends.
std::unique_ptr<vcq::TfrmMain> w;

vcq::TfrmMain &window()
{
    if (!w) {
        makeDataFile();
        w = std::make_unique<vcq::TfrmMain>();
        w->show();
    }
    return *w;
}

void select(vcq::TfrmMain &w, int row)
{
    w.lstList->setCurrentIndex(w.lstList->model()->index(row, 0));
}

void BM_SelectContact(benchmark::State &state)
{
    vcq::TfrmMain &w = window();
    int row = 0;
    for (auto _ : state) {
        row = (row + 7919) % kContacts;
        select(w, row);
    }
}
BENCHMARK(BM_SelectContact)->Unit(benchmark::kMicrosecond);

void BM_SaveSameName(benchmark::State &state)
{
    vcq::TfrmMain &w = window();
    select(w, kContacts / 2);
    int n = 0;
    for (auto _ : state) {
        w.txtPhone2->setText(QString::number(++n));
        w.SaveButClick();
    }
}
BENCHMARK(BM_SaveSameName)->Unit(benchmark::kMicrosecond);

void BM_SaveNewName(benchmark::State &state)
{
    vcq::TfrmMain &w = window();
    select(w, kContacts / 3);
    const QString names[] = {QStringLiteral("Aardvark"), QStringLiteral("Zygote")};
    int n = 0;
    for (auto _ : state) {
        // The contact moves from one end of the list to the other each time.
        w.txtLastName->setText(names[++n % 2]);
        w.SaveButClick();
    }
}
BENCHMARK(BM_SaveNewName)->Unit(benchmark::kMicrosecond);

void BM_DeleteContact(benchmark::State &state)
{
    vcq::TfrmMain &w = window();
    for (auto _ : state) {
        select(w, kContacts / 4);
        // The confirmation is the user's time; the deletion itself is measured.
        w.RemoveItem(true);
        state.PauseTiming();
        w.NewButClick();
        w.txtLastName->setText(QStringLiteral("Tremblay"));
        w.SaveButClick();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DeleteContact)->Unit(benchmark::kMicrosecond);

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
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    w.reset();
    return 0;
}
