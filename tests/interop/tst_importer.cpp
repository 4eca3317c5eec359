// SPDX-License-Identifier: GPL-3.0-or-later
// The import pipeline into a real data file: duplicates, hostile files that
// must change nothing already stored, batches with their backup, cancelling,
// and a write that fails part way.
#include "import_test_util.h"
#include "interop/backup.h"
#include "interop/contact_mapping.h"
#include "interop/importer.h"
#include "interop/vcard_reader.h"
#include "store/contact_store.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstring>
#include <functional>
#include <map>
#include <sys/resource.h>
#include <thread>

using namespace vcq;
using namespace vcq::interop;
using namespace vcq::test;

Q_DECLARE_METATYPE(std::string)

namespace
{

ContactRecord stored(const std::string &last, const std::string &first, const std::string &phone,
                     const std::string &email = {})
{
    ContactRecord r;
    r.set(Field::LastName, last);
    r.set(Field::FirstName, first);
    r.set(Field::Phone1, phone);
    r.set(Field::Email, email);
    r.set(Field::Birth, "  -  -  ");
    return r;
}

int countOf(const ImportResult &r, ReportEvent e)
{
    return r.report.count(e);
}

} // namespace

class TestImporter : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString data() const { return m_dir.filePath("VCQ97.NAM"); }
    std::string sdata() const { return data().toStdString(); }

    // A data file holding these contacts, open in `store`.
    void prepare(ContactStore &store, const std::vector<ContactRecord> &contacts)
    {
        store.open(sdata());
        store.loadContacts();
        for (const ContactRecord &c : contacts)
            store.add(c);
    }

private slots:
    void init()
    {
        for (const QString &name : QDir(m_dir.path()).entryList(QDir::Files))
            QFile::remove(m_dir.filePath(name));
    }

    void duplicates_data()
    {
        QTest::addColumn<std::string>("file");
        QTest::addColumn<bool>("allow");
        QTest::addColumn<int>("added");
        QTest::addColumn<int>("skipped");
        QTest::newRow("same name and phone as a stored contact")
            << card30("Martin", "Paul", "01 23 45") << false << 0 << 1;
        QTest::newRow("same name and e-mail, other case")
            << card30("martin", "PAUL", {}, "Paul@Example.org") << false << 0 << 1;
        QTest::newRow("same name, other phone and e-mail")
            << card30("Martin", "Paul", "09 99", "other@example.org") << false << 1 << 0;
        QTest::newRow("twice in the same file")
            << card30("Roy", "Eve", "1") + card30("Roy", "Eve", "1") << false << 1 << 1;
        QTest::newRow("allowed") << card30("Martin", "Paul", "01 23 45") << true << 1 << 0;
        QTest::newRow("allowed twice in the same file")
            << card30("Roy", "Eve", "1") + card30("Roy", "Eve", "1") << true << 2 << 0;
    }
    void duplicates()
    {
        QFETCH(std::string, file);
        QFETCH(bool, allow);
        QFETCH(int, added);
        QFETCH(int, skipped);
        ContactStore store;
        prepare(store, {stored("Martin", "Paul", "0123 45", "paul@example.org")});
        ImportOptions options;
        options.allowDuplicates = allow;
        const ImportResult r = importSources(store, sdata(), {{"in.vcf", file}}, options);
        QCOMPARE(r.outcome, ImportOutcome::Done);
        QCOMPARE(int(r.added), added);
        QCOMPARE(countOf(r, ReportEvent::Added), added);
        QCOMPARE(countOf(r, ReportEvent::DuplicateSkipped), skipped);
        QCOMPARE(int(store.list().size()), 1 + added);
        QCOMPARE(r.report.hasRemarks(), skipped > 0);
    }

    // Broken input is reported, the good cards around it are imported, and
    // the contacts already stored keep every byte.
    void hostileFilesChangeNothingStored_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<std::string>("content");
        QTest::addColumn<int>("added");
        const std::string good = card30("After", "Good", "7");
        QTest::newRow("card with no END, then a good one")
            << "a.vcf"
            << "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lost;Card\r\n" + good << 1;
        QTest::newRow("truncated in the middle of a line")
            << "a.vcf" << good + "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Tru" << 1;
        QTest::newRow("binary garbage") << "a.vcf"
                                        << std::string("\x00\xff\xfe\x01"
                                                       "BEGIN\x00:VCARD\x1b[2J\r\n",
                                                       22) +
                                               good
                                        << 1;
        QTest::newRow("invalid quoted-printable")
            << "a.vcf"
            << "BEGIN:VCARD\r\nVERSION:2.1\r\nN;ENCODING=QUOTED-PRINTABLE:Bad=ZZ=4;Q\r\nEND:"
               "VCARD\r\n" +
                   good
            << 2;
        QTest::newRow("wrong declared charset")
            << "a.vcf"
            << "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=NOPE-42:Caf\xe9;Z\r\nEND:VCARD\r\n" + good
            << 2;
        QTest::newRow("CSV quote never closed")
            << "a.csv"
            << std::string("First Name,Last Name,Home Phone\r\nGood,Row,1\r\n\"Open,Quote,2\r\n")
            << 2; // the quote is read as a plain character and reported
        QTest::newRow("100 MB in one property")
            << "a.vcf"
            << "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Huge;H\r\nNOTE:" + std::string(100u << 20, 'n') +
                   "\r\nEND:VCARD\r\n" + good
            << 2;
    }
    void hostileFilesChangeNothingStored()
    {
        QFETCH(QString, name);
        QFETCH(std::string, content);
        QFETCH(int, added);
        ContactStore store;
        prepare(store, {stored("Keep", "Me", "1"), stored("Also", "Me", "2")});
        const QByteArray before = readFile(data());
        const ImportResult r = importSources(store, sdata(), {{name.toStdString(), content}});
        QCOMPARE(r.outcome, ImportOutcome::Done);
        QCOMPARE(int(r.added), added);
        QVERIFY(r.report.hasRemarks());
        // The records that were there are untouched; the new ones follow.
        const QByteArray after = readFile(data());
        QCOMPARE(after.left(before.size()), before);
        QCOMPARE(after.size(), before.size() + added * 764);
        QCOMPARE(int(store.list().size()), 2 + added);
    }

    // A large file is read a part at a time; the report still numbers cards
    // and lines as in the whole file, whichever part they fell in.
    void largeFilesKeepTheirCardNumbers_data()
    {
        QTest::addColumn<int>("broken"); // 1-based number of the card without END
        QTest::newRow("first card") << 1;
        QTest::newRow("last card of a part") << 4096;
        QTest::newRow("first card of the next part") << 4097;
        QTest::newRow("in the third part") << 9000;
    }
    void largeFilesKeepTheirCardNumbers()
    {
        QFETCH(int, broken);
        const int total = 10000;
        std::string file;
        for (int i = 1; i <= total; ++i) {
            std::string c = card30("P" + std::to_string(i), "A", std::to_string(i));
            if (i == broken)
                c.erase(c.find("END:VCARD"));
            file += c;
        }
        ContactStore store;
        prepare(store, {});
        const ImportResult r = importSources(store, sdata(), {{"big.vcf", file}});
        QCOMPARE(r.added, std::size_t(total - 1));
        const auto &rows = r.report.rows();
        const auto brokenRow = std::find_if(rows.begin(), rows.end(), [](const ReportRow &row) {
            return row.event == ReportEvent::BrokenCard;
        });
        QVERIFY(brokenRow != rows.end());
        QCOMPARE(brokenRow->cardNumber, broken);
        // Six lines a card: the broken card starts on line 6 * (broken - 1) + 1.
        QVERIFY2(QString::fromStdString(brokenRow->detail)
                     .contains(QString::number(6 * (broken - 1) + 1)),
                 brokenRow->detail.c_str());
        for (const ReportRow &row : rows)
            if (row.event == ReportEvent::Added)
                QCOMPARE(row.contactName, "P" + std::to_string(row.cardNumber) + " A");
    }

    void batchesShareOneBackupMadeBeforeTheFirstWrite()
    {
        ContactStore store;
        prepare(store, {stored("Old", "One", "1")});
        const QByteArray before = readFile(data());
        ImportOptions options;
        options.batchSize = 3;
        std::vector<std::size_t> addedSeen;
        options.progress = [&](const ImportProgress &p) {
            addedSeen.push_back(p.added);
            return true;
        };
        const ImportResult r = importSources(store, sdata(), {{"x.vcf", cards(10)}}, options);
        QCOMPARE(r.outcome, ImportOutcome::Done);
        QCOMPARE(r.added, std::size_t(10));
        // One progress report per batch at least, counting up to the end.
        for (std::size_t n : {3, 6, 9, 10})
            QVERIFY(std::find(addedSeen.begin(), addedSeen.end(), n) != addedSeen.end());
        QVERIFY(std::is_sorted(addedSeen.begin(), addedSeen.end()));
        const std::vector<std::string> backups = listBackups(sdata());
        QCOMPARE(backups.size(), std::size_t(1));
        QCOMPARE(backups.front(), r.backupPath);
        QCOMPARE(readFile(QString::fromStdString(r.backupPath)), before);
    }

    void nothingToAddMakesNoBackup()
    {
        ContactStore store;
        prepare(store, {stored("Same", "One", "1")});
        const ImportResult r =
            importSources(store, sdata(), {{"x.vcf", card30("Same", "One", "1")}});
        QCOMPARE(r.added, std::size_t(0));
        QVERIFY(r.backupPath.empty());
        QVERIFY(listBackups(sdata()).empty());
    }

    void cancelKeepsTheBatchesWritten()
    {
        ContactStore store;
        prepare(store, {});
        ImportOptions options;
        options.batchSize = 4;
        options.progress = [](const ImportProgress &p) { return p.added < 4; };
        const ImportResult r = importSources(store, sdata(), {{"x.vcf", cards(10)}}, options);
        QCOMPARE(r.outcome, ImportOutcome::Cancelled);
        QCOMPARE(r.added, std::size_t(4));
        QCOMPARE(store.list().size(), std::size_t(4));
        QCOMPARE(readFile(data()).size(), 5 * 764);
        QVERIFY(!r.backupPath.empty());
    }

    void failedWriteSaysHowManyAndNamesTheBackup()
    {
        ContactStore store;
        prepare(store, {stored("Old", "One", "1")});
        const QByteArray before = readFile(data());
        ImportOptions options;
        options.batchSize = 4;
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit limited = old;
        // Room for the first batch and half of the second.
        limited.rlim_cur = rlim_t(before.size() + 6 * 764);
        setrlimit(RLIMIT_FSIZE, &limited);
        const ImportResult r = importSources(store, sdata(), {{"x.vcf", cards(10)}}, options);
        setrlimit(RLIMIT_FSIZE, &old);
        QCOMPARE(r.outcome, ImportOutcome::Failed);
        QCOMPARE(r.added, std::size_t(4));
        QCOMPARE(r.errorKind, StoreErrc::Io);
        QCOMPARE(countOf(r, ReportEvent::Added), 4);
        QCOMPARE(countOf(r, ReportEvent::Failed), 1);
        const ReportRow &failed = r.report.rows().back();
        QCOMPARE(failed.event, ReportEvent::Failed);
        QVERIFY(QString::fromStdString(failed.detail).contains("added=4"));
        QVERIFY(
            QString::fromStdString(failed.detail).contains(QString::fromStdString(r.backupPath)));
        QCOMPARE(readFile(QString::fromStdString(r.backupPath)), before);
        // The file holds exactly the first batch after what was there.
        QCOMPARE(readFile(data()).size(), before.size() + 4 * 764);
        QCOMPARE(store.list().size(), std::size_t(5));
    }

    // Cards are read and mapped ahead of the import, on a thread of its own:
    // whatever the batches, every card still gets its own event, in the
    // order of the file, across the parts read ahead.
    void readingAheadKeepsCardOrder_data()
    {
        QTest::addColumn<int>("batchSize");
        QTest::newRow("batches shorter than a part") << 1000;
        QTest::newRow("batches across parts") << 5000;
        QTest::newRow("one batch") << 100000;
    }
    void readingAheadKeepsCardOrder()
    {
        QFETCH(int, batchSize);
        const int total = 13000; // several parts of cards, more than are read ahead
        std::string file;
        std::map<int, ReportEvent> expected;
        std::map<int, int> sameAs; // duplicate card -> the card it repeats
        for (int i = 1; i <= total; ++i) {
            if (i % 997 == 0) {
                // The same person as a card a part or more before.
                const int first = i - 4500 > 0 ? i - 4500 : 1;
                file += card30("P" + std::to_string(first), "A", std::to_string(first));
                expected[i] = ReportEvent::DuplicateSkipped;
                sameAs[i] = first;
            } else if (i % 1500 == 0) {
                file += card30("@~", "Tomb", std::to_string(i)); // reads back as deleted
                expected[i] = ReportEvent::BrokenCard;
            } else {
                file += card30("P" + std::to_string(i), "A", std::to_string(i));
                expected[i] = ReportEvent::Added;
            }
        }
        ContactStore store;
        prepare(store, {});
        ImportOptions options;
        options.batchSize = std::size_t(batchSize);
        const auto caller = std::this_thread::get_id();
        bool progressOnCaller = true;
        options.progress = [&](const ImportProgress &) {
            // A window answers progress: it must come on the thread that imports.
            progressOnCaller = progressOnCaller && std::this_thread::get_id() == caller;
            return true;
        };
        const ImportResult r = importSources(store, sdata(), {{"big.vcf", file}}, options);
        QCOMPARE(r.outcome, ImportOutcome::Done);
        QVERIFY(progressOnCaller);
        std::map<int, ReportEvent> seen;
        int lastAdded = 0, lastOther = 0;
        for (const ReportRow &row : r.report.rows()) {
            QVERIFY2(seen.emplace(row.cardNumber, row.event).second,
                     qPrintable(QString::number(row.cardNumber)));
            int &last = row.event == ReportEvent::Added ? lastAdded : lastOther;
            QVERIFY(row.cardNumber > last);
            last = row.cardNumber;
            if (row.event == ReportEvent::DuplicateSkipped)
                QCOMPARE(row.detail, "big.vcf#" + std::to_string(sameAs[row.cardNumber]));
        }
        QVERIFY(seen == expected);
        const int added = int(std::count_if(expected.begin(), expected.end(), [](const auto &e) {
            return e.second == ReportEvent::Added;
        }));
        QCOMPARE(int(r.added), added);
        QCOMPARE(int(store.list().size()), added);
        // The file holds the added cards in card order.
        const QByteArray after = readFile(data());
        QCOMPARE(after.size(), (1 + added) * 764);
        int record = 1;
        for (const auto &[card, event] : expected) {
            if (event != ReportEvent::Added)
                continue;
            const QByteArray last = "P" + QByteArray::number(card);
            QCOMPARE(after.mid(record * 764 + 32, last.size()), last);
            ++record;
        }
    }

    // A cancel or a failed write while the reader is parts ahead (or waits
    // for room) ends the import at once with the batches written, and the
    // backup as the file was before.
    void stoppingWhileReadingAhead_data()
    {
        QTest::addColumn<bool>("failWrite");
        QTest::addColumn<int>("stopAfterBatches");
        QTest::newRow("cancelled before any write") << false << 0;
        QTest::newRow("cancelled after two batches") << false << 2;
        QTest::newRow("write fails in the first batch") << true << 0;
        QTest::newRow("write fails in the third batch") << true << 2;
    }
    void stoppingWhileReadingAhead()
    {
        QFETCH(bool, failWrite);
        QFETCH(int, stopAfterBatches);
        const std::size_t batch = 1000;
        ContactStore store;
        prepare(store, {stored("Old", "One", "1")});
        const QByteArray before = readFile(data());
        ImportOptions options;
        options.batchSize = batch;
        if (!failWrite)
            options.progress = [&](const ImportProgress &p) {
                return p.added < std::size_t(stopAfterBatches) * batch;
            };
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        if (failWrite) {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limited = old;
            limited.rlim_cur = rlim_t(before.size()) + rlim_t(stopAfterBatches * batch + 10) * 764;
            setrlimit(RLIMIT_FSIZE, &limited);
        }
        const ImportResult r = importSources(store, sdata(), {{"x.vcf", cards(20000)}}, options);
        setrlimit(RLIMIT_FSIZE, &old);
        QCOMPARE(r.outcome, failWrite ? ImportOutcome::Failed : ImportOutcome::Cancelled);
        const std::size_t added = std::size_t(stopAfterBatches) * batch;
        QCOMPARE(r.added, added);
        QCOMPARE(std::size_t(countOf(r, ReportEvent::Added)), added);
        QCOMPARE(countOf(r, ReportEvent::Failed), failWrite ? 1 : 0);
        QCOMPARE(store.list().size(), 1 + added);
        QCOMPARE(readFile(data()).size(), before.size() + int(added) * 764);
        if (added == 0 && !failWrite) {
            QVERIFY(r.backupPath.empty());
        } else {
            QCOMPARE(readFile(QString::fromStdString(r.backupPath)), before);
        }
    }

    void unreadableSourceFailsBeforeAnyWrite()
    {
        ContactStore store;
        prepare(store, {stored("Old", "One", "1")});
        const QByteArray before = readFile(data());
        const QString good = m_dir.filePath("good.vcf");
        {
            QFile f(good);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(cards(3).c_str());
        }
        for (const QString &bad : {m_dir.filePath("missing.vcf"), m_dir.path()}) {
            const ImportResult r =
                importFiles(store, sdata(), {good.toStdString(), bad.toStdString()});
            QCOMPARE(r.outcome, ImportOutcome::Failed);
            QCOMPARE(r.failedSource, bad.toStdString());
            QCOMPARE(r.added, std::size_t(0));
            QCOMPARE(readFile(data()), before);
            QVERIFY(listBackups(sdata()).empty());
        }
        const ImportResult ok = importFiles(store, sdata(), {good.toStdString()});
        QCOMPARE(ok.added, std::size_t(3));
    }

    // A file is read a chunk at a time; wherever the chunks end (inside a
    // folded or quoted-printable line, a BOM, a BEGIN line), the import is
    // the one of the whole file read at once.
    void chunkedReadingImportsAsTheWholeFile_data()
    {
        QTest::addColumn<std::string>("name");
        QTest::addColumn<std::string>("bytes");
        QTest::addColumn<int>("chunk");
        std::string folded;
        for (int i = 0; i < 40; ++i)
            folded += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Long" + std::to_string(i) +
                      ";Ann;;;\r\nNOTE:a note that goes on and on\r\n  and on across a fold\r\n"
                      "TEL;TYPE=home:555-" +
                      std::to_string(1000 + i) + "\r\nEND:VCARD\r\n";
        std::string qp;
        for (int i = 0; i < 30; ++i)
            qp += "BEGIN:VCARD\nVERSION:2.1\nN;CHARSET=ISO-8859-1:Qp" + std::to_string(i) +
                  ";Ren\xE9\nNOTE;ENCODING=QUOTED-PRINTABLE:caf=E9 =\nBEGIN:VCARD =\nsuite\n"
                  "END:VCARD\n";
        std::string broken = cards(5);
        broken.erase(broken.find("END:VCARD"), 11); // the first card has no END
        std::string utf16 = "\xFF\xFE";
        for (char c : card30("Wide", "Ann", "555-1"))
            utf16 += std::string{c, '\0'};
        const std::string big = cards(9000); // more than two parts of cards
        for (int chunk : {1, 7, 4096}) {
            const auto row = [&](const char *what, const std::string &name,
                                 const std::string &bytes) {
                QTest::addRow("%s, %d-byte chunks", what, chunk) << name << bytes << chunk;
            };
            row("folded lines", "a.vcf", folded);
            row("quoted-printable", "b.vcf", qp);
            row("BOM, text before the cards, a card without END", "c.vcf",
                "\xEF\xBB\xBFnot a card\r\n" + broken);
            row("blank lines before BEGIN in a .txt", "d.txt", "\r\n\r\n  \r\n" + cards(3));
            row("UTF-16", "e.vcf", utf16);
            row("CSV", "f.csv", "First Name,Last Name,Home Phone\r\nAnn,Csv,555-2\r\n");
            if (chunk > 1)
                row("several parts", "g.vcf", big);
        }
    }
    void chunkedReadingImportsAsTheWholeFile()
    {
        QFETCH(std::string, name);
        QFETCH(std::string, bytes);
        QFETCH(int, chunk);
        const QString path = m_dir.filePath(QString::fromStdString(name));
        QVERIFY(writeFile(path, QByteArray::fromStdString(bytes)));
        ImportResult whole, chunked;
        {
            ContactStore store;
            store.open(m_dir.filePath("whole.NAM").toStdString());
            store.loadContacts();
            whole = importSources(store, m_dir.filePath("whole.NAM").toStdString(),
                                  {{path.toStdString(), bytes}});
        }
        {
            ContactStore store;
            prepare(store, {});
            ImportOptions options;
            options.readChunk = std::size_t(chunk);
            chunked = importFiles(store, sdata(), {path.toStdString()}, options);
        }
        QCOMPARE(chunked.outcome, ImportOutcome::Done);
        QVERIFY(chunked.added > 0);
        QCOMPARE(chunked.added, whole.added);
        QVERIFY(chunked.report == whole.report);
        // The same records, after headers that may differ in nothing but time.
        QCOMPARE(readFile(data()).mid(764), readFile(m_dir.filePath("whole.NAM")).mid(764));
    }

    // Files of several parts with what once made the parts disagree with
    // the whole file at a part's edge: a BOM, a card an AGENT embeds, a
    // line ending in '=' before BEGIN, CR CR LF line ends. Read in parts,
    // from memory and from a file read in chunks, they give the cards and
    // problems of the whole file read at once.
    void partsAreReadAsTheWholeFile_data()
    {
        QTest::addColumn<std::string>("bytes");
        const auto file = [](const std::string &start, const std::string &eol,
                             const std::function<std::string(int)> &extra) {
            std::string out = start;
            for (int i = 1; i <= 8300; ++i)
                out += "BEGIN:VCARD" + eol + "VERSION:2.1" + eol + "N:P" + std::to_string(i) +
                       ";A" + eol + "TEL:" + std::to_string(i) + eol + extra(i) + "END:VCARD" + eol;
            return out;
        };
        const auto nothing = [](int) { return std::string(); };
        // Around both part edges, whatever the cards before them shift.
        const auto nearEdge = [](int i) {
            return (i > 4085 && i < 4110) || (i > 8180 && i < 8200);
        };
        QTest::newRow("BOM") << file("\xEF\xBB\xBF", "\r\n", nothing);
        QTest::newRow("AGENT cards") << file("", "\r\n", [&](int i) {
            return nearEdge(i) ? "AGENT:\r\nBEGIN:VCARD\r\nN:Agent;" + std::to_string(i) +
                                     "\r\nEND:VCARD\r\n"
                               : std::string();
        });
        std::string equals = file("", "\n", nothing);
        for (std::size_t at = 0, n = 0;
             (at = equals.find("END:VCARD\nBEGIN", at)) != std::string::npos; ++at)
            if (++n % 7 == 0 || (n > 4085 && n < 4110))
                equals.replace(at, 9, "NOTE:1+1=");
        QTest::newRow("'=' lines before BEGIN, cards without END") << equals;
        QTest::newRow("CR CR LF, BOM, AGENT") << file("\xEF\xBB\xBF", "\r\r\n", [&](int i) {
            return nearEdge(i) ? "AGENT:\r\r\nBEGIN:VCARD\r\r\nN:Agent\r\r\nEND:VCARD\r\r\n"
                               : std::string();
        });
    }
    void partsAreReadAsTheWholeFile()
    {
        QFETCH(std::string, bytes);
        // The whole file at once.
        const VCardReadResult whole = readVCards(bytes);
        std::vector<std::pair<int, std::string>> problems;
        for (const ReadProblem &p : whole.problems)
            problems.emplace_back(p.card, problemDetail(p));
        std::vector<ContactRecord> records;
        for (const ReadCard &c : whole.cards)
            records.push_back(cardToContact(c.card).record);
        QVERIFY(whole.cards.size() > 4096);

        const QString path = m_dir.filePath("parts.vcf");
        for (std::size_t chunk : {std::size_t(0), std::size_t(65536)}) {
            init();
            QVERIFY(writeFile(path, QByteArray::fromStdString(bytes)));
            ContactStore store;
            prepare(store, {});
            ImportOptions options;
            options.allowDuplicates = true;
            options.readChunk = chunk;
            const ImportResult r =
                chunk == 0 ? importSources(store, sdata(), {{"parts.vcf", bytes}}, options)
                           : importFiles(store, sdata(), {path.toStdString()}, options);
            QVERIFY2(r.outcome == ImportOutcome::Done, r.errorMessage.c_str());
            std::vector<std::pair<int, std::string>> reported;
            std::vector<int> added;
            for (const ReportRow &row : r.report.rows()) {
                if (row.event == ReportEvent::Added)
                    added.push_back(row.cardNumber);
                else if (row.event == ReportEvent::BrokenCard || row.event == ReportEvent::Repaired)
                    reported.emplace_back(row.cardNumber, row.detail);
            }
            QCOMPARE(reported, problems);
            QCOMPARE(added.size(), whole.cards.size());
            for (std::size_t i = 0; i < added.size(); ++i)
                QCOMPARE(added[i], whole.cards[i].number);
            const QByteArray file = readFile(data());
            QCOMPARE(std::size_t(file.size()), (records.size() + 1) * kRecordSize);
            for (std::size_t i = 0; i < records.size(); ++i)
                QVERIFY2(std::memcmp(file.constData() + (i + 1) * kRecordSize, records[i].data(),
                                     kRecordSize) == 0,
                         qPrintable(QString::number(i)));
        }
    }

    void formatByContentOrName_data()
    {
        QTest::addColumn<std::string>("bytes");
        QTest::addColumn<std::string>("name");
        QTest::addColumn<bool>("vcard");
        QTest::newRow("vcf name") << std::string("First Name\r\n") << std::string("a.VCF") << true;
        QTest::newRow("content with BOM and blank lines")
            << std::string("\xEF\xBB\xBF\r\n begin:vcard\r\n") << std::string("a.txt") << true;
        QTest::newRow("csv") << std::string("First Name,Last Name\r\n") << std::string("a.csv")
                             << false;
        QTest::newRow("nothing") << std::string() << std::string("a") << false;
    }
    void formatByContentOrName()
    {
        QFETCH(std::string, bytes);
        QFETCH(std::string, name);
        QFETCH(bool, vcard);
        QCOMPARE(looksLikeVCard(bytes, name), vcard);
    }
};

QTEST_GUILESS_MAIN(TestImporter)
#include "tst_importer.moc"
