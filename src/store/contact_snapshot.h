// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the data file without writing to it, for readers that must work
// while the program has the file open (an export). When no copy of the
// program has it open, the file is mapped and held under a shared lock, so
// that nothing changes it while it is read; otherwise it is read until a
// second pass finds the same bytes, so a contact being written meanwhile is
// never read half old and half new.
#pragma once

#include "contact_list.h"
#include "contact_record.h"

#include <memory>
#include <string>

namespace vcq
{

struct ContactSnapshot {
    ContactRecord header;
    bool shared = false; // mapped under the shared lock
    // The records as read, where the list takes the contacts' fields from;
    // declared first, so that it outlives the list.
    std::unique_ptr<RecordSource> records;
    ContactList list; // every live contact, sorted as the window lists them

    // A listed contact's record as read, without a copy (the list's
    // node.record() gives the same fields in a record of its own).
    const ContactRecord &record(std::int64_t recordNumber) const;
    // Records read, the header included (tombstones too).
    std::size_t recordCount() const;
};

enum class SnapshotAccess {
    // Copies the records and holds nothing: a reader that may stall for
    // long (writing to a pipe) never keeps the program from starting.
    Copy,
    // Maps the file and holds its shared lock until the snapshot ends when
    // no copy of the program has it open (a copy starting meanwhile waits);
    // otherwise as Copy.
    ShareWhenFree,
};

enum class SnapshotList {
    Sorted, // every live contact listed, sorted
    None,   // the records only, for a reader that picks a few of them
};

// Throws StoreError: the file's I/O error, WrongFileFormat when it is too
// short to hold a header, or I/O code 5 when it keeps changing while read.
ContactSnapshot readSnapshot(const std::string &path = "VCQ97.NAM",
                             SnapshotAccess access = SnapshotAccess::Copy,
                             SnapshotList list = SnapshotList::Sorted);

} // namespace vcq
