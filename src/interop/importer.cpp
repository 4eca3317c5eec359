// SPDX-License-Identifier: GPL-3.0-or-later
#include "importer.h"

#include "backup.h"
#include "card_lines.h"
#include "contact_mapping.h"
#include "csv.h"
#include "duplicates.h"
#include "part_queue.h"
#include "second_thread.h"
#include "vcard_reader.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <exception>
#include <stdexcept>
#include <thread>
#include <utility>

namespace vcq::interop
{

namespace
{

constexpr std::size_t kProgressEvery = 256;
// A vCard file is read this many cards at a time, so that a large file never
// has all its cards in memory at once.
constexpr int kCardsPerPart = 4096;

bool endsWithNoCase(std::string_view text, std::string_view end)
{
    if (text.size() < end.size())
        return false;
    return std::equal(end.begin(), end.end(), text.end() - static_cast<long>(end.size()),
                      [](char a, char b) {
                          return std::tolower(static_cast<unsigned char>(a)) ==
                                 std::tolower(static_cast<unsigned char>(b));
                      });
}

// A file to import, opened before the import writes anything and read as
// it goes. Throws StoreError with the file's I/O error.
class SourceFile
{
public:
    explicit SourceFile(const std::string &path)
        : m_path(path), m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC))
    {
        if (m_fd < 0)
            throw StoreError::fromErrno(errno);
        struct stat st {
        };
        if (::fstat(m_fd, &st) != 0) {
            const int error = errno;
            ::close(m_fd);
            throw StoreError::fromErrno(error);
        }
        // A device or a pipe could be endless: only files are read.
        if (!S_ISREG(st.st_mode)) {
            ::close(m_fd);
            throw StoreError::fromErrno(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
        }
        m_size = static_cast<std::size_t>(st.st_size);
    }
    ~SourceFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    SourceFile(SourceFile &&other) noexcept
        : m_path(std::move(other.m_path)), m_fd(std::exchange(other.m_fd, -1)), m_size(other.m_size)
    {
    }
    SourceFile(const SourceFile &) = delete;
    SourceFile &operator=(const SourceFile &) = delete;
    SourceFile &operator=(SourceFile &&) = delete;

    const std::string &path() const { return m_path; }
    std::size_t size() const { return m_size; }

    // Appends up to `most` bytes to buffer; answers how many, 0 at the end.
    std::size_t readMore(std::string &buffer, std::size_t most)
    {
        const std::size_t before = buffer.size();
        buffer.resize(before + most);
        std::size_t done = 0;
        while (done < most) {
            const ssize_t n = ::read(m_fd, buffer.data() + before + done, most - done);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                const int error = errno;
                buffer.resize(before + done);
                throw StoreError::fromErrno(error);
            }
            if (n == 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        buffer.resize(before + done);
        return done;
    }

private:
    std::string m_path;
    int m_fd = -1;
    std::size_t m_size = 0;
};

// A card read and mapped, waiting for the import to test and add it.
struct MappedCard {
    int number = 0; // in its file
    MappedContact mapped;
    std::string name;
    DuplicateKey key; // when duplicates are looked for
};

// The cards of a run of whole cards of a file, with the problems met reading
// them; or the end of a file.
struct MappedPart {
    // cards[0, count) are this part's; the ones after keep their buffers for
    // the next use of the part.
    std::vector<MappedCard> cards;
    std::size_t count = 0;
    std::vector<ReadProblem> problems;
    std::size_t done = 0; // bytes of the file gone through after this part
    bool endOfFile = false;

    void clear()
    {
        count = 0;
        problems.clear();
        done = 0;
        endOfFile = false;
    }
    MappedCard &next()
    {
        if (count == cards.size())
            cards.emplace_back();
        return cards[count++];
    }
};

using MappedParts = PartQueue<MappedPart>;

// Parts read ahead of the import: enough to keep the reader busy while a
// batch is written, few enough to stay a few megabytes.
constexpr std::size_t kPartsAhead = 4;

// Reads the files on a thread of its own: cuts them into parts of whole
// cards, maps each card, and hands the parts on in file order. The import
// thread tests, adds and writes them meanwhile.
class CardReader
{
public:
    CardReader(MappedParts &parts, const ImportOptions &options)
        : m_parts(parts), m_options(options)
    {
    }

    // False when the import wants no more parts. Throws StoreError when a
    // file cannot be read.
    bool read(const ImportSource &source)
    {
        if (!looksLikeVCard(source.bytes, source.name))
            return readCsv(source.bytes);
        return readVCardParts(source.bytes, nullptr, nullptr);
    }

    bool read(SourceFile &file)
    {
        std::string buffer;
        const std::size_t chunk = m_options.readChunk;
        bool atEnd = file.readMore(buffer, chunk) == 0;
        if (!looksLikeVCard(buffer, file.path())) {
            // Leading blanks could hide BEGIN:VCARD past the first chunk.
            while (!atEnd)
                atEnd = file.readMore(buffer, std::max(chunk, buffer.size())) == 0;
            if (!looksLikeVCard(buffer, file.path()))
                return readCsv(buffer);
        }
        return readVCardParts(buffer, atEnd ? nullptr : &file, &buffer);
    }

private:
    bool readCsv(std::string_view bytes)
    {
        CsvReadResult read = readCsvContacts(bytes);
        // Rows of our own set come as records, the others' as cards.
        const std::size_t rows = read.cards.size() + read.contacts.size();
        std::size_t next = 0;
        bool first = true;
        while (first || next < rows) {
            std::unique_ptr<MappedPart> part = emptyPart();
            if (!part)
                return false;
            if (first)
                part->problems = std::move(read.problems);
            first = false;
            for (const std::size_t end = std::min(rows, next + kCardsPerPart); next < end; ++next) {
                if (next < read.cards.size()) {
                    map(*part, read.cards[next].card, read.cards[next].number);
                } else {
                    CsvContact &c = read.contacts[next - read.cards.size()];
                    take(*part, std::move(c.mapped), c.number);
                }
            }
            if (!m_parts.push(std::move(part)))
                return false;
        }
        return endOfFile(bytes.size());
    }

    // The cards of bytes, a part of whole cards at a time. When file is
    // given, bytes is what buffer holds so far and the rest is read into
    // buffer as the parts need it. Reading cards is most of an import's work:
    // every other part is read on a second thread while this one reads the
    // next, and the two are handed on in order.
    bool readVCardParts(std::string_view bytes, SourceFile *file, std::string *buffer)
    {
        int lineOffset = 0;
        int cardOffset = 0;
        std::size_t start = 0;             // of bytes not gone through yet
        std::size_t done = 0;              // of the file
        std::unique_ptr<MappedPart> other; // being read on the second thread
        // However this ends, the second thread is done with the buffer and
        // the part before they go.
        const struct WaitOnExit {
            SecondThread &thread;
            ~WaitOnExit()
            {
                if (thread.busy()) {
                    try {
                        thread.wait();
                    } catch (...) { // leaving already, on an error of our own
                    }
                }
            }
        } waitOnExit{m_second};
        const auto handOnOther = [&] {
            if (!other)
                return true;
            m_second.wait();
            return m_parts.push(std::move(other));
        };
        for (;;) {
            const std::string_view rest = bytes.substr(start);
            if (rest.empty() && !file)
                break;
            const CardPart cut = nextCardPart(rest, kCardsPerPart, file == nullptr);
            if (file && cut.bytes.size() == rest.size()) {
                // The part may go on past what was read: read more, keeping
                // only what is still to go through, once the other thread is
                // done with the buffer.
                if (!handOnOther())
                    return false;
                buffer->erase(0, start);
                start = 0;
                if (file->readMore(*buffer, std::max(m_options.readChunk, buffer->size())) == 0)
                    file = nullptr;
                bytes = *buffer;
                continue;
            }
            std::unique_ptr<MappedPart> part = emptyPart();
            if (!part)
                return false;
            start += cut.bytes.size();
            done += cut.bytes.size();
            part->done = done;
            if (!other) {
                other = std::move(part);
                m_second.start([this, bytes = cut.bytes, lineOffset, cardOffset, to = other.get()] {
                    readPart(bytes, lineOffset, cardOffset, *to);
                });
            } else {
                readPart(cut.bytes, lineOffset, cardOffset, *part);
                if (!handOnOther() || !m_parts.push(std::move(part)))
                    return false;
            }
            lineOffset += cut.lines;
            cardOffset += cut.begins;
        }
        return handOnOther() && endOfFile(done);
    }

    // Reads and maps the cards of a part that starts after lineOffset lines
    // and cardOffset cards of its file.
    void readPart(std::string_view bytes, int lineOffset, int cardOffset, MappedPart &part) const
    {
        // Each card is mapped as soon as it is read, so the reader can
        // reuse its storage for the next one. Numbered as in the whole file.
        readVCardPart(
            bytes, lineOffset, cardOffset,
            [&](ReadCard &&card) { map(part, card.card, card.number); },
            [&](ReadProblem &&p) { part.problems.push_back(std::move(p)); });
    }

    void map(MappedPart &part, const VCard &card, int number) const
    {
        take(part, cardToContact(card), number);
    }

    void take(MappedPart &part, MappedContact &&mapped, int number) const
    {
        MappedCard &m = part.next();
        m.number = number;
        m.mapped = std::move(mapped);
        m.name = contactName(m.mapped.record);
        if (!m_options.allowDuplicates)
            m.key.set(m.mapped.record);
    }

    // A part to fill, cleared; nullptr when the import wants no more.
    std::unique_ptr<MappedPart> emptyPart()
    {
        std::unique_ptr<MappedPart> part = m_parts.emptyPart();
        if (part) {
            part->clear();
            // At its full size at once: growing would copy the cards.
            part->cards.reserve(kCardsPerPart);
        }
        return part;
    }

    bool endOfFile(std::size_t size)
    {
        std::unique_ptr<MappedPart> part = emptyPart();
        if (!part)
            return false;
        part->done = size;
        part->endOfFile = true;
        return m_parts.push(std::move(part));
    }

    MappedParts &m_parts;
    const ImportOptions &m_options;
    SecondThread m_second;
};

// The reader thread's work: every source in turn, then the end, or the error
// that stopped it.
template <typename Sources>
void readAhead(MappedParts &parts, Sources &sources, const ImportOptions &options)
{
    try {
        CardReader reader(parts, options);
        for (auto &source : sources)
            if (!reader.read(source))
                break;
        parts.close();
    } catch (...) {
        parts.close(std::current_exception());
    }
}

// A card to add: its report rows once the batch is written.
struct Added {
    const std::string *file;
    int card;
    std::string name;
    std::vector<Loss> losses;
};

// Takes the mapped cards in file order: tests them for duplicates, adds them
// to batches written with one flush each, and keeps the report.
class Import
{
public:
    Import(ContactStore &store, const std::string &dataFilePath, const ImportOptions &options,
           int files)
        : m_store(store), m_dataFilePath(dataFilePath), m_options(options)
    {
        m_progress.files = files;
        for (const ContactNode &node : store.list())
            m_index.add(node.record(), node.RecordNumber);
        // Reserved, not touched: pages of a batch never filled cost nothing.
        m_batch.reserve(std::min(m_options.batchSize, kImportBatchSize));
    }

    // The parts of one file; false when the import stops here (cancelled
    // or failed).
    bool run(const std::string &name, std::size_t size, MappedParts &parts)
    {
        // About a row per card, a card seldom under a few hundred bytes: room
        // not used is never touched.
        m_result.report.reserve(m_result.report.rows().size() + size / 256);
        ++m_progress.file;
        m_progress.fileName = name;
        m_progress.done = 0;
        m_progress.size = size;
        if (!report())
            return false;
        for (;;) {
            std::unique_ptr<MappedPart> part = parts.pop();
            if (!part)
                return readFailed(name, parts.error());
            const bool goOn = takePart(name, *part);
            const bool endOfFile = part->endOfFile;
            parts.recycle(std::move(part));
            if (!goOn)
                return false;
            if (endOfFile)
                return report();
        }
    }

    // Writes what is left; false when that failed.
    bool finish() { return flush(); }

    ImportResult take() { return std::move(m_result); }

private:
    bool takePart(const std::string &name, MappedPart &part)
    {
        for (const ReadProblem &p : part.problems)
            m_result.report.addProblem(name, p);
        for (std::size_t i = 0; i < part.count; ++i) {
            if (!decide(name, part.cards[i]))
                return false;
            if ((i + 1) % kProgressEvery == 0 && !report())
                return false;
        }
        m_progress.done = part.done;
        return true;
    }

    // A file that could not be read stops the import like a failed write;
    // anything else the reader met is thrown on.
    bool readFailed(const std::string &name, std::exception_ptr error)
    {
        if (!error)
            throw std::logic_error("the import's reader ended before its files did");
        try {
            std::rethrow_exception(error);
        } catch (const StoreError &e) {
            fail(e, name);
            m_result.report.add(
                {name, 0, {}, ReportEvent::Failed, std::string("io=") + std::to_string(e.code())});
        }
        return false;
    }

    void fail(const StoreError &e, const std::string &source)
    {
        m_result.outcome = ImportOutcome::Failed;
        m_result.errorKind = e.kind();
        m_result.errorCode = e.code();
        m_result.errorMessage = e.what();
        m_result.failedSource = source;
    }

    bool report()
    {
        m_progress.added = m_result.added;
        if (m_options.progress && !m_options.progress(m_progress)) {
            m_result.outcome = ImportOutcome::Cancelled;
            return false;
        }
        return true;
    }

    // Tests a card for duplicates: either it joins the batch, flushed when
    // full, or a row says why it is not added. False when a flush failed.
    bool decide(const std::string &file, MappedCard &card)
    {
        const ContactRecord &record = card.mapped.record;
        if (isReservedLastName(record.get(Field::LastName))) {
            // It would read back as a deleted record.
            m_result.report.add({file, card.number, std::move(card.name), ReportEvent::BrokenCard,
                                 "reserved-last-name"});
            return true;
        }
        if (!m_options.allowDuplicates) {
            const auto id = -1 - static_cast<std::int32_t>(m_origins.size());
            if (const auto same = m_index.findOrAdd(std::move(card.key), id)) {
                std::string detail;
                if (*same >= 0) {
                    detail = "record=" + std::to_string(*same);
                } else {
                    const auto &[otherFile, otherCard] =
                        m_origins[static_cast<std::size_t>(-1 - *same)];
                    detail = *otherFile + "#" + std::to_string(otherCard);
                }
                m_result.report.add({file, card.number, std::move(card.name),
                                     ReportEvent::DuplicateSkipped, std::move(detail)});
                return true;
            }
            m_origins.emplace_back(&file, card.number);
        }
        m_batch.push_back(record);
        m_pending.push_back(
            Added{&file, card.number, std::move(card.name), std::move(card.mapped.losses)});
        return m_pending.size() < m_options.batchSize || flush();
    }

    bool flush()
    {
        if (m_pending.empty())
            return true;
        try {
            if (m_result.backupPath.empty())
                m_result.backupPath = backupDataFile(m_dataFilePath);
            m_store.addMany(m_batch);
        } catch (const StoreError &e) {
            fail(e, {});
            m_result.report.add({m_progress.fileName,
                                 0,
                                 {},
                                 ReportEvent::Failed,
                                 std::string("io=") + std::to_string(e.code()) +
                                     "; added=" + std::to_string(m_result.added) +
                                     "; backup=" + m_result.backupPath});
            m_pending.clear();
            m_batch.clear();
            return false;
        }
        for (Added &p : m_pending) {
            if (p.losses.empty()) {
                m_result.report.add({*p.file, p.card, std::move(p.name), ReportEvent::Added, {}});
            } else {
                m_result.report.add({*p.file, p.card, p.name, ReportEvent::Added, {}});
                m_result.report.addLosses(*p.file, p.card, p.name, p.losses);
            }
        }
        m_result.added += m_pending.size();
        m_pending.clear();
        m_batch.clear();
        return report();
    }

    ContactStore &m_store;
    const std::string &m_dataFilePath;
    const ImportOptions &m_options;
    ImportResult m_result;
    ImportProgress m_progress;
    DuplicateIndex m_index;
    // Contacts of this import in the index: file and card, by -1 - id.
    std::vector<std::pair<const std::string *, int>> m_origins;
    std::vector<Added> m_pending;
    // The records of m_pending, as the store takes them; kept from batch to batch.
    std::vector<ContactRecord> m_batch;
};

} // namespace

double ImportProgress::fraction() const
{
    if (files <= 0)
        return 0;
    const double inFile = size == 0 ? 1 : static_cast<double>(done) / static_cast<double>(size);
    return std::clamp((file - 1 + inFile) / files, 0.0, 1.0);
}

bool looksLikeVCard(std::string_view bytes, std::string_view name)
{
    if (endsWithNoCase(name, ".vcf") || endsWithNoCase(name, ".vcard"))
        return true;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    while (!bytes.empty() && std::isspace(static_cast<unsigned char>(bytes.front())))
        bytes.remove_prefix(1);
    constexpr std::string_view begin = "BEGIN:VCARD";
    return bytes.size() >= begin.size() &&
           std::equal(begin.begin(), begin.end(), bytes.begin(), [](char a, char b) {
               return a == std::toupper(static_cast<unsigned char>(b));
           });
}

namespace
{

const std::string &nameOf(const ImportSource &source)
{
    return source.name;
}
const std::string &nameOf(const SourceFile &file)
{
    return file.path();
}
std::size_t sizeOf(const ImportSource &source)
{
    return source.bytes.size();
}
std::size_t sizeOf(const SourceFile &file)
{
    return file.size();
}

template <typename Sources>
ImportResult runImport(ContactStore &store, const std::string &dataFilePath, Sources &sources,
                       const ImportOptions &options)
{
    ImportOptions checked = options;
    checked.batchSize = std::max<std::size_t>(options.batchSize, 1);
    checked.readChunk = std::max<std::size_t>(options.readChunk, 1);
    MappedParts parts(kPartsAhead);
    // Reading starts at once, while the stored contacts are indexed.
    std::thread reader([&] { readAhead(parts, sources, checked); });
    // However the import ends, the reader is stopped and waited for.
    struct Join {
        MappedParts &parts;
        std::thread &reader;
        ~Join()
        {
            parts.stop();
            reader.join();
        }
    } join{parts, reader};
    Import import(store, dataFilePath, checked, static_cast<int>(sources.size()));
    bool goOn = true;
    for (auto &source : sources)
        if (!(goOn = import.run(nameOf(source), sizeOf(source), parts)))
            break;
    if (goOn)
        import.finish();
    return import.take();
}

} // namespace

ImportResult importSources(ContactStore &store, const std::string &dataFilePath,
                           const std::vector<ImportSource> &sources, const ImportOptions &options)
{
    return runImport(store, dataFilePath, sources, options);
}

ImportResult importFiles(ContactStore &store, const std::string &dataFilePath,
                         const std::vector<std::string> &paths, const ImportOptions &options)
{
    std::vector<SourceFile> files;
    files.reserve(paths.size());
    for (const std::string &path : paths) {
        try {
            files.emplace_back(path);
        } catch (const StoreError &e) {
            ImportResult failed;
            failed.outcome = ImportOutcome::Failed;
            failed.errorKind = e.kind();
            failed.errorCode = e.code();
            failed.errorMessage = e.what();
            failed.failedSource = path;
            failed.report.add(
                {path, 0, {}, ReportEvent::Failed, std::string("io=") + std::to_string(e.code())});
            return failed;
        }
    }
    return runImport(store, dataFilePath, files, options);
}

} // namespace vcq::interop
