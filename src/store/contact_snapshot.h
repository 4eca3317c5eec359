// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the data file without writing to it or taking its lock, for readers
// that must work while the program has the file open (an export). The file is
// read until a second pass finds the same bytes, so a contact being written meanwhile is never
// read half old and half new.
#pragma once

#include "contact_list.h"
#include "contact_record.h"

#include <memory>
#include <string>

namespace vcq
{

struct ContactSnapshot {
    ContactRecord header;
    // The records as read, where the list takes the contacts' fields from;
    // declared first, so that it outlives the list.
    std::unique_ptr<RecordSource> records;
    ContactList list; // every live contact, sorted as the window lists them

    // A listed contact's record as read, without a copy (the list's
    // node.record() gives the same fields in a record of its own).
    const ContactRecord &record(std::int64_t recordNumber) const;
};

// Throws StoreError: the file's I/O error, WrongFileFormat when it is too
// short to hold a header, or I/O code 5 when it keeps changing while read.
ContactSnapshot readSnapshot(const std::string &path = "VCQ97.NAM");

} // namespace vcq
