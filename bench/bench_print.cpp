// SPDX-License-Identifier: GPL-3.0-or-later
// Both print layouts of large contact lists to PDF: time, pages and the
// process's peak memory so far.
#include "print/page_list.h"
#include "print/qt_printer_canvas.h"
#include "print/wallet_book.h"
#include "store/contact_list.h"

#include <QApplication>
#include <QPrinter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

using namespace vcq;
using namespace vcq::print;

namespace
{

ContactList makeList(int count)
{
    ContactList list;
    for (int i = 0; i < count; ++i) {
        ContactRecord r;
        r.set(Field::LastName, std::string(1, char('A' + i % 26)) + "name" + std::to_string(i));
        r.set(Field::FirstName, "First");
        r.set(Field::Organisation, "Organisation");
        r.set(Field::City, "Montreal");
        r.set(Field::Phone1, "555-" + std::to_string(1000 + i % 9000));
        if (i % 2)
            r.set(Field::Phone2, "555-0000");
        if (i % 3)
            r.set(Field::Email, "someone@example.org");
        list.InsertNode(i + 1, r);
    }
    return list;
}

long peakKiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

template <PrintResult (*Layout)(PrintCanvas &, const ContactList &)>
void toPdf(benchmark::State &state)
{
    const ContactList list = makeList(static_cast<int>(state.range(0)));
    QTemporaryDir dir;
    int pages = 0;
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("bench.pdf")));
        QtPrinterCanvas canvas(printer);
        if (Layout(canvas, list) != PrintResult::Printed)
            state.SkipWithError("printing failed");
        pages = canvas.pagesBegun();
    }
    state.counters["pages"] = pages;
    state.counters["peak_MiB"] = double(peakKiB()) / 1024.0;
}

} // namespace

BENCHMARK(toPdf<PrintWalletBook>)
    ->Name("WalletBook")
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(toPdf<PrintPageList>)
    ->Name("PageList")
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv); // fonts need a GUI application
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
