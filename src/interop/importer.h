// SPDX-License-Identifier: GPL-3.0-or-later
// The import pipeline: vCard and CSV files into an open data file. The data
// file is backed up before the first write; cards are mapped, tested for
// duplicates against the stored contacts and against each other, and written
// in batches with one flush each. Progress is reported as it goes and can
// cancel; a cancelled or failed import keeps what was already written and
// says how much that was.
#pragma once

#include "import_report.h"
#include "store/contact_store.h"
#include "store/io_error.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace vcq::interop
{

// Contacts written per flush: the writes start reaching the disk as they
// are made, so a flush waits for little and batches can stay a few
// megabytes; the last batch, written once everything is read, stays short.
inline constexpr std::size_t kImportBatchSize = 8192;
// Bytes read from a file at a time: several thousand cards.
inline constexpr std::size_t kImportReadChunk = std::size_t(8) << 20;

struct ImportProgress {
    int file = 0; // 1-based, of files
    int files = 0;
    std::string fileName;
    std::size_t done = 0;  // bytes of this file gone through
    std::size_t size = 0;  // bytes of this file
    std::size_t added = 0; // over the whole import

    // 0..1 over the whole import.
    double fraction() const;
};

struct ImportOptions {
    bool allowDuplicates = false; // add cards that match a stored contact
    std::size_t batchSize = kImportBatchSize;
    std::size_t readChunk = kImportReadChunk; // at least 1
    // Called every few hundred cards and after each batch; answering false
    // cancels: the batches already written stay, the rest is not added.
    std::function<bool(const ImportProgress &)> progress;
};

// A file's contents, already read (a drop, a test).
struct ImportSource {
    std::string name; // as the report names it
    std::string bytes;
};

enum class ImportOutcome {
    Done,
    Cancelled,
    Failed, // a file could not be read, or the backup or a write failed
};

struct ImportResult {
    ImportReport report;
    ImportOutcome outcome = ImportOutcome::Done;
    std::size_t added = 0;
    std::string backupPath; // empty when nothing was written
    // When Failed: the error, and the file it concerns when it is a source
    // file that could not be read (else empty).
    StoreErrc errorKind = StoreErrc::Io;
    int errorCode = 0;
    std::string errorMessage;
    std::string failedSource;
};

// vCard when the content starts with BEGIN:VCARD or the name ends in .vcf or
// .vcard; otherwise CSV.
bool looksLikeVCard(std::string_view bytes, std::string_view name);

// Opens every file first: one that is missing, unreadable or not a regular
// file fails the import before anything is written. A vCard file is then read
// a few megabytes at a time as the import goes, never held whole; a read
// error part way fails the import there, like a failed write.
ImportResult importFiles(ContactStore &store, const std::string &dataFilePath,
                         const std::vector<std::string> &paths, const ImportOptions &options = {});
ImportResult importSources(ContactStore &store, const std::string &dataFilePath,
                           const std::vector<ImportSource> &sources,
                           const ImportOptions &options = {});

} // namespace vcq::interop
