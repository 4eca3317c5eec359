// SPDX-License-Identifier: GPL-3.0-or-later
#include "importer.h"

#include "backup.h"
#include "contact_mapping.h"
#include "csv.h"
#include "duplicates.h"
#include "vcard_reader.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>

namespace vcq::interop
{

namespace
{

constexpr std::size_t kProgressEvery = 256;

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

// Reads a whole regular file; throws StoreError with the file's I/O error.
std::string readWholeFile(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw StoreError::fromErrno(errno);
    std::string bytes;
    try {
        struct stat st {
        };
        if (::fstat(fd, &st) != 0)
            throw StoreError::fromErrno(errno);
        // A device or a pipe could be endless: only files are read.
        if (!S_ISREG(st.st_mode))
            throw StoreError::fromErrno(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
        bytes.resize(static_cast<std::size_t>(st.st_size));
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                throw StoreError::fromErrno(errno);
            }
            if (n == 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        bytes.resize(done);
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
    return bytes;
}

struct Pending {
    ContactRecord record;
    const std::string *file;
    int card;
    std::string name;
    std::vector<Loss> losses;
};

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
    }

    // False when the import stops here (cancelled or failed).
    bool run(const ImportSource &source)
    {
        ++m_progress.file;
        m_progress.fileName = source.name;
        m_progress.card = 0;
        std::vector<ReadCard> cards;
        if (looksLikeVCard(source.bytes, source.name)) {
            VCardReadResult read = readVCards(source.bytes);
            cards = std::move(read.cards);
            for (const ReadProblem &p : read.problems)
                m_result.report.addProblem(source.name, p);
        } else {
            CsvReadResult read = readCsvContacts(source.bytes);
            cards = std::move(read.cards);
            for (const ReadProblem &p : read.problems)
                m_result.report.addProblem(source.name, p);
        }
        m_progress.cards = cards.size();
        if (!report())
            return false;
        for (const ReadCard &card : cards) {
            take(source.name, card);
            ++m_progress.card;
            if (m_pending.size() >= m_options.batchSize && !flush())
                return false;
            if (m_progress.card % kProgressEvery == 0 && !report())
                return false;
        }
        return true;
    }

    // Writes what is left; false when that failed.
    bool finish() { return flush(); }

    ImportResult take() { return std::move(m_result); }

    void fail(const StoreError &e, const std::string &source)
    {
        m_result.outcome = ImportOutcome::Failed;
        m_result.errorKind = e.kind();
        m_result.errorCode = e.code();
        m_result.errorMessage = e.what();
        m_result.failedSource = source;
    }

private:
    bool report()
    {
        m_progress.added = m_result.added;
        if (m_options.progress && !m_options.progress(m_progress)) {
            m_result.outcome = ImportOutcome::Cancelled;
            return false;
        }
        return true;
    }

    void take(const std::string &file, const ReadCard &card)
    {
        MappedContact mapped = cardToContact(card.card);
        const std::string name = contactName(mapped.record);
        if (isReservedLastName(mapped.record.get(Field::LastName))) {
            // It would read back as a deleted record.
            m_result.report.add(
                {file, card.number, name, ReportEvent::BrokenCard, "reserved-last-name"});
            return;
        }
        if (!m_options.allowDuplicates) {
            if (const auto same = m_index.find(mapped.record)) {
                std::string detail;
                if (*same >= 0) {
                    detail = "record=" + std::to_string(*same);
                } else {
                    const auto &[otherFile, otherCard] =
                        m_origins[static_cast<std::size_t>(-1 - *same)];
                    detail = *otherFile + "#" + std::to_string(otherCard);
                }
                m_result.report.add(
                    {file, card.number, name, ReportEvent::DuplicateSkipped, detail});
                return;
            }
            m_index.add(mapped.record, -1 - static_cast<std::int32_t>(m_origins.size()));
            m_origins.emplace_back(&file, card.number);
        }
        m_pending.push_back(
            {std::move(mapped.record), &file, card.number, name, std::move(mapped.losses)});
    }

    bool flush()
    {
        if (m_pending.empty())
            return true;
        try {
            if (m_result.backupPath.empty())
                m_result.backupPath = backupDataFile(m_dataFilePath);
            std::vector<ContactRecord> batch;
            batch.reserve(m_pending.size());
            for (const Pending &p : m_pending)
                batch.push_back(p.record);
            m_store.addMany(batch);
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
            return false;
        }
        for (const Pending &p : m_pending) {
            m_result.report.add({*p.file, p.card, p.name, ReportEvent::Added, {}});
            if (!p.losses.empty())
                m_result.report.addLosses(*p.file, p.card, p.name, p.losses);
        }
        m_result.added += m_pending.size();
        m_pending.clear();
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
    std::vector<Pending> m_pending;
};

} // namespace

double ImportProgress::fraction() const
{
    if (files <= 0)
        return 0;
    const double inFile = cards == 0 ? 0 : static_cast<double>(card) / static_cast<double>(cards);
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

ImportResult importSources(ContactStore &store, const std::string &dataFilePath,
                           const std::vector<ImportSource> &sources, const ImportOptions &options)
{
    ImportOptions checked = options;
    checked.batchSize = std::max<std::size_t>(options.batchSize, 1);
    Import import(store, dataFilePath, checked, static_cast<int>(sources.size()));
    bool goOn = true;
    for (const ImportSource &source : sources)
        if (!(goOn = import.run(source)))
            break;
    if (goOn)
        import.finish();
    return import.take();
}

ImportResult importFiles(ContactStore &store, const std::string &dataFilePath,
                         const std::vector<std::string> &paths, const ImportOptions &options)
{
    std::vector<ImportSource> sources;
    sources.reserve(paths.size());
    for (const std::string &path : paths) {
        try {
            sources.push_back({path, readWholeFile(path)});
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
    return importSources(store, dataFilePath, sources, options);
}

} // namespace vcq::interop
