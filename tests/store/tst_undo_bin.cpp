// SPDX-License-Identifier: GPL-3.0-or-later
// The bin of deleted contacts and the undo history, checked on the bytes of
// the data file and of the bin: each kind of step undone and redone, a large
// import undone around a contact edited outside it, the bin's order, limits,
// mode and crash safety, restores into the contact's own slot or a new one.
#include "common/data_file.h"
#include "store/bin_restore.h"
#include "store/slot_reuse.h"
#include "store/undo_history.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vcq;
using namespace vcq::test;

Q_DECLARE_METATYPE(vcq::StepKind)

namespace
{

QStringList keys(const ContactStore &store)
{
    QStringList out;
    for (const ContactNode &n : store.list())
        out << QString::fromLatin1(n.DisplayKey.data(), qsizetype(n.DisplayKey.size()));
    return out;
}

constexpr std::int64_t kDay = 24LL * 3600 * 1000;

} // namespace

class TestUndoBin : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath("VCQ97.NAM"); }
    std::string spath() const { return path().toStdString(); }

    // A fresh data file of those contacts, opened and loaded.
    void openWith(ContactStore &store, const std::vector<ContactRecord> &contacts)
    {
        QFile::remove(path());
        QFile::remove(path() + ".bin");
        QFile::remove(path() + ".slots");
        QVERIFY(writeDataFile(contacts, path()));
        store.open(spath());
        store.loadContacts();
    }

private slots:
    void eachStepUndoneAndRedoneOnTheFileBytes_data()
    {
        QTest::addColumn<StepKind>("kind");
        QTest::newRow("save") << StepKind::Save;
        QTest::newRow("add into a free slot") << StepKind::Add;
        QTest::newRow("delete") << StepKind::Delete;
    }
    void eachStepUndoneAndRedoneOnTheFileBytes()
    {
        QFETCH(StepKind, kind);
        ContactStore store;
        openWith(store, {person("Adams", "Ann"), ContactRecord::tombstone(), person("Cole", "Cy")});
        UndoHistory history(store);
        const QByteArray before = readFile(path());
        const QStringList keysBefore = keys(store);
        std::int32_t slot = 1;
        if (kind == StepKind::Save)
            QVERIFY(store.rewrite(1, person("Zorn", "Zed")));
        else if (kind == StepKind::Add)
            slot = store.add(person("Bell", "Bo"));
        else
            QVERIFY(store.remove(3));
        const QByteArray after = readFile(path());
        const QStringList keysAfter = keys(store);
        QVERIFY(after != before);
        QCOMPARE(history.nextUndo()->kind, kind);

        const UndoOutcome undone = history.undo();
        QVERIFY(undone.done);
        QCOMPARE(undone.leftAlone, std::size_t(0));
        QCOMPARE(readFile(path()), before); // byte for byte, the same size
        QCOMPARE(keys(store), keysBefore);
        QVERIFY(!history.canUndo());
        QCOMPARE(history.redo().leftAlone, std::size_t(0));
        QCOMPARE(readFile(path()), after);
        QCOMPARE(keys(store), keysAfter);
        if (kind == StepKind::Add)
            QCOMPARE(slot, 2); // the tombstone's slot, given back and taken again
        if (kind == StepKind::Delete) {
            // Undone then redone: the bin holds it once, the undo's mark taking out the first.
            QCOMPARE(store.bin().list().size(), std::size_t(1));
            QCOMPARE(store.bin().list().front().how, DeletedHow::Deleted);
        }
    }

    void undoLeavesAContactChangedOutsideItsStepAlone()
    {
        // An import of 10,000 contacts, then one of them changed by a write the
        // history does not own: undoing the import takes out every other one.
        ContactStore store;
        openWith(store, {person("Keep", "Me")});
        UndoHistory history(store);
        std::vector<ContactRecord> batch;
        for (int i = 0; i < 10000; ++i)
            batch.push_back(person("Imported" + std::to_string(i)));
        {
            UndoHistory::StepScope step(history, StepKind::Import);
            store.addMany(batch);
        }
        QCOMPARE(history.nextUndo()->contacts, std::size_t(10000));
        store.setObserver(nullptr);
        QVERIFY(store.rewrite(500, person("Edited", "After")));
        store.setObserver(&history);
        const QByteArray edited = bytesOf(recordAt(500, path()));

        const UndoOutcome outcome = history.undo();
        QCOMPARE(outcome.leftAlone, std::size_t(1));
        QCOMPARE(keys(store), QStringList({"Edited After", "Keep Me"}));
        QCOMPARE(bytesOf(recordAt(500, path())), edited);
        QVERIFY(recordAt(2, path()).isTombstone());
        QVERIFY(store.bin().list().empty()); // an undone import stays out of the bin
        history.redo();
        QCOMPARE(store.list().size(), std::size_t(10001));
        QCOMPARE(bytesOf(recordAt(2, path())), bytesOf(person("Imported0")));
    }

    void aStepGroupsItsWritesAndANewStepDropsTheRedos()
    {
        ContactStore store;
        openWith(store, {person("Adams"), person("Baker")});
        UndoHistory history(store);
        const QByteArray start = readFile(path());
        {
            UndoHistory::StepScope step(history, StepKind::Sync);
            store.rewrite(1, person("Adams", "changed"));
            store.rewrite(1, person("Adams", "twice"));
            store.remove(2, DeletedHow::Synced);
            store.add(person("New"));
        }
        QCOMPARE(history.undoDepth(), std::size_t(1));
        QCOMPARE(history.nextUndo()->contacts, std::size_t(2)); // slot 1 once, slot 2 once
        history.undo();
        QCOMPARE(readFile(path()), start);
        QVERIFY(history.canRedo());
        store.add(person("Other"));
        QVERIFY(!history.canRedo());
        QCOMPARE(history.nextUndo()->name, std::string("Other "));
    }

    void anotherProgramsWriteClearsTheHistory()
    {
        ContactStore store;
        openWith(store, {person("Adams")});
        UndoHistory history(store);
        store.add(person("Baker"));
        QVERIFY(!history.checkFile());
        QVERIFY(history.canUndo());
        {
            QFile f(path());
            QVERIFY(f.open(QIODevice::Append));
            f.write(bytesOf(person("Intruder")));
        }
        store.add(person("Cole")); // our own write after it does not hide it
        QVERIFY(history.checkFile());
        QVERIFY(!history.canUndo());
        QVERIFY(!history.checkFile()); // told once
    }

    void theBinIsWrittenBeforeTheTombstone()
    {
        // A process killed right after the bin is flushed, before the
        // tombstone: the contact is in the file and in the bin.
        ContactStore probe;
        openWith(probe, {person("Adams", "Ann"), person("Baker", "Bo")});
        probe.close();
        const pid_t child = ::fork();
        if (child == 0) {
            ContactStore store;
            store.open(spath());
            store.loadContacts();
            store.bin().setSyncForTesting([](int fd) {
                ::fdatasync(fd);
                ::raise(SIGKILL);
                return 0;
            });
            store.remove(2);
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        QCOMPARE(bytesOf(recordAt(2, path())), bytesOf(person("Baker", "Bo")));
        ContactStore store;
        store.open(spath());
        store.loadContacts();
        const std::vector<BinEntry> bin = store.bin().list();
        QCOMPARE(bin.size(), std::size_t(1));
        QCOMPARE(bin.front().record, person("Baker", "Bo"));
        QCOMPARE(bin.front().slot, 2);
    }

    void theBinIsPrivateAndAFailedBinWriteDeletesNothing()
    {
        ContactStore store;
        openWith(store, {person("Adams")});
        const mode_t mask = ::umask(0);
        store.remove(1);
        ::umask(mask);
        struct stat st {
        };
        QCOMPARE(::stat((path() + ".bin").toLocal8Bit().constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, mode_t(0600));

        store.add(person("Baker"));
        const QByteArray before = readFile(path());
        store.bin().setSyncForTesting([](int) {
            errno = ENOSPC;
            return -1;
        });
        QVERIFY_THROWS_EXCEPTION(StoreError, store.remove(1));
        QCOMPARE(readFile(path()), before);
        QCOMPARE(keys(store), QStringList{"Baker "});
        QCOMPARE(store.bin().list().size(), std::size_t(1)); // the torn entry is gone
    }

    void restoreAfterARestartGoesBackIntoItsOwnSlotWhenFree()
    {
        ContactStore store;
        openWith(store, {person("Adams"), person("Baker"), person("Cole")});
        const ContactRecord baker = recordAt(2, path());
        const ContactRecord cole = recordAt(3, path());
        store.remove(2);
        store.remove(3);
        store.add(person("Dunn")); // takes slot 2: Baker must go elsewhere
        store.remove(1);           // slot 1 free again, but Baker never lived there
        store.close();

        store.open(spath());
        store.loadContacts();
        const std::vector<BinEntry> bin = store.bin().list();
        QCOMPARE(bin.size(), std::size_t(3));
        QCOMPARE(bin[0].record, person("Adams")); // newest first
        QCOMPARE(bin[2].record, baker);
        std::vector<std::uint64_t> unknown;
        QVERIFY(restoreFromBin(store, {999}, unknown).empty());
        QCOMPARE(unknown, std::vector<std::uint64_t>{999});
        const auto restored = restoreFromBin(store, {bin[1].number, bin[2].number}, unknown);
        QCOMPARE(restored.size(), std::size_t(2));
        QCOMPARE(restored[0], (RestoredContact{bin[1].number, 3, true}));
        QCOMPARE(restored[1], (RestoredContact{bin[2].number, 1, false}));
        QCOMPARE(bytesOf(recordAt(3, path())), bytesOf(cole));
        QCOMPARE(bytesOf(recordAt(1, path())), bytesOf(baker));
        QCOMPARE(store.bin().list().size(), std::size_t(1));
        store.bin().empty();
        QVERIFY(store.bin().list().empty());
    }

    void aSlotGivenToSomeoneElseSinceIsNotTakenBack()
    {
        ContactStore store;
        openWith(store, {person("Adams")});
        store.remove(1);
        store.add(person("Baker")); // reuses slot 1, logged
        store.remove(1);
        const std::vector<BinEntry> bin = store.bin().list();
        std::vector<std::uint64_t> unknown;
        const auto restored = restoreFromBin(store, {bin[1].number}, unknown);
        QCOMPARE(restored.size(), std::size_t(1));
        QVERIFY(!restored[0].ownSlot); // the slot's reuse would give Adams another UID
    }

    void theBinsLimits_data()
    {
        // Entries spread evenly from the oldest's age to today; then 1,000
        // more deleted today push the old ones out of the last 1,000.
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("ageDaysOfOldest");
        QTest::addColumn<int>("kept");
        QTest::addColumn<int>("keptAfter1000More");
        QTest::newRow("few and old") << 10 << 400 << 10 << 1003;
        QTest::newRow("many, all recent") << 1500 << 80 << 1500 << 2500;
        QTest::newRow("many, some older than 90 days") << 1500 << 120 << 1125 << 2125;
        QTest::newRow("many and old") << 1500 << 299 << 1000 << 1452;
    }
    void theBinsLimits()
    {
        QFETCH(int, count);
        QFETCH(int, ageDaysOfOldest);
        QFETCH(int, kept);
        QFETCH(int, keptAfter1000More);
        ContactStore store;
        openWith(store, {});
        const std::int64_t today = 1'800'000'000'000;
        std::int64_t now = today;
        store.bin().setClockForTesting([&now] { return now; });
        store.bin().setSyncForTesting([](int) { return 0; }); // thousands of appends
        for (int i = 0; i < count; ++i) {
            now = today - std::int64_t(ageDaysOfOldest) * kDay * (count - 1 - i) / (count - 1);
            store.bin().add({{1, person("N" + std::to_string(i))}}, DeletedHow::Deleted);
        }
        now = today;
        const std::vector<BinEntry> list = store.bin().list();
        QCOMPARE(int(list.size()), kept);
        QCOMPARE(list.front().record, person("N" + std::to_string(count - 1)));
        QCOMPARE(list.back().number + kept - 1, list.front().number);
        // The append crosses a compaction: the file shrinks to what is kept.
        store.bin().add(std::vector<DeletedContact>(1000, {1, person("Late")}),
                        DeletedHow::Deleted);
        QCOMPARE(int(store.bin().list().size()), keptAfter1000More);
        const qint64 fileEntries =
            QFileInfo(path() + ".bin").size() / qint64(ContactBin::kEntrySize);
        QVERIFY(fileEntries <= std::max<qint64>(count + 1000, 2 * keptAfter1000More));
        QCOMPARE(store.bin().list().front().number, std::uint64_t(count + 1000));
    }
};

QTEST_GUILESS_MAIN(TestUndoBin)
#include "tst_undo_bin.moc"
