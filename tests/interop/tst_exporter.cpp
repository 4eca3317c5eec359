// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's export of a snapshot, made on two threads in blocks,
// against the window's export of the same contacts: the same text and the
// same report rows in the same order, whatever the number of contacts.
#include "interop/exporter.h"
#include "interop_test_util.h"
#include "store/contact_snapshot.h"
#include "store/contact_store.h"

#include <QTemporaryDir>
#include <QTest>

#include <system_error>

using namespace vcq;
using namespace vcq::interop;

Q_DECLARE_METATYPE(vcq::interop::ExportFormat)

class TestExporter : public QObject
{
    Q_OBJECT
private slots:
    void snapshotExportMatchesTheWindowsExport_data();
    void snapshotExportMatchesTheWindowsExport();
    void aRefusingSinkStopsTheExport();

private:
    // A data file of count contacts in scrambled name order; every 97th has
    // a birth date no export can write, so that the report has rows spread
    // over every block.
    std::string dataFile(int count);
    QTemporaryDir m_dir;
};

std::string TestExporter::dataFile(int count)
{
    const std::string path = m_dir.filePath(QString("VCQ97-%1.NAM").arg(count)).toStdString();
    QFile::remove(QString::fromStdString(path));
    std::vector<ContactRecord> contacts;
    for (int i = 0; i < count; ++i) {
        const int n = (i * 7919) % (count + 1);
        contacts.push_back(
            test::contact({{Field::LastName, "Nom\xE9" + std::to_string(n % 1000)},
                           {Field::FirstName, "Pr\xE9nom; " + std::to_string(n)},
                           {Field::Phone1, "555-" + std::to_string(i)},
                           {Field::Comment, std::string(i % 50 + 1, i % 2 ? 'x' : '\xE9')},
                           {Field::Birth, i % 97 == 5 ? "45-13-80" : "07-11-67"}}));
    }
    ContactStore store;
    store.open(path);
    store.addMany(contacts);
    return path;
}

void TestExporter::snapshotExportMatchesTheWindowsExport_data()
{
    QTest::addColumn<ExportFormat>("format");
    QTest::addColumn<int>("count");
    // A block is 2,048 contacts; odd blocks are made on the second thread.
    for (const int count : {0, 1, 2047, 2048, 2049, 4097, 6200})
        for (const ExportFormat format :
             {ExportFormat::VCard3, ExportFormat::VCard4, ExportFormat::Csv})
            QTest::addRow("%d contacts, %s", count,
                          format == ExportFormat::Csv      ? "CSV"
                          : format == ExportFormat::VCard4 ? "vCard 4.0"
                                                           : "vCard 3.0")
                << format << count;
}

void TestExporter::snapshotExportMatchesTheWindowsExport()
{
    QFETCH(ExportFormat, format);
    QFETCH(int, count);
    const std::string path = dataFile(count);
    std::error_code error;
    const auto uids = ContactUids::open(path, error);
    QVERIFY(uids);

    ExportResult window;
    {
        ContactStore store;
        store.open(path);
        store.loadContacts();
        std::vector<const ContactNode *> nodes;
        for (const ContactNode &node : store.list())
            nodes.push_back(&node);
        window = exportContacts(nodes, *uids, format, "out", 2026);
    }
    for (const SnapshotAccess access : {SnapshotAccess::Copy, SnapshotAccess::ShareWhenFree}) {
        const ContactSnapshot snapshot = readSnapshot(path, access);
        std::string text;
        int pieces = 0;
        int emptyPieces = 0;
        ExportResult exported;
        QVERIFY(exportSnapshot(
            snapshot, *uids, format, "out",
            [&](std::string_view piece) {
                emptyPieces += piece.empty() ? 1 : 0;
                text += piece;
                ++pieces;
                return true;
            },
            exported, 2026));
        QCOMPARE(emptyPieces, 0);
        QVERIFY(exported.bytes.empty());
        QCOMPARE(exported.contacts, std::size_t(count));
        QCOMPARE(window.contacts, std::size_t(count));
        QCOMPARE(text.size(), window.bytes.size());
        QVERIFY(text == window.bytes);
        QCOMPARE(exported.report, window.report);
        if (format != ExportFormat::Csv)
            QCOMPARE(exported.report.count(ReportEvent::DroppedData), (count + 91) / 97);
        QCOMPARE(pieces, (count + 2047) / 2048 + (format == ExportFormat::Csv ? 1 : 0));
    }
}

// A failing write (a full disk) stops the export at once, with the contacts
// written so far counted; the block being made meanwhile is waited for.
void TestExporter::aRefusingSinkStopsTheExport()
{
    const std::string path = dataFile(9000);
    std::error_code error;
    const auto uids = ContactUids::open(path, error);
    QVERIFY(uids);
    const ContactSnapshot snapshot = readSnapshot(path);
    for (const int refuseAt : {1, 2, 3, 5}) {
        int calls = 0;
        ExportResult exported;
        QVERIFY(!exportSnapshot(
            snapshot, *uids, ExportFormat::VCard3, "out",
            [&](std::string_view) { return ++calls < refuseAt; }, exported, 2026));
        QCOMPARE(calls, refuseAt);
        QCOMPARE(exported.contacts, std::size_t(refuseAt - 1) * 2048);
    }
}

QTEST_GUILESS_MAIN(TestExporter)
#include "tst_exporter.moc"
