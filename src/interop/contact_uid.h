// SPDX-License-Identifier: GPL-3.0-or-later
// A vCard UID for each contact that stays the same across exports and edits.
// Each data file gets a random 128-bit id, kept in a small file beside it
// ("VCQ97.NAM.uid"); a contact's UID is that id with the last 32 bits
// replaced by its record number, written as a UUID ("urn:uuid:..."). The
// record number never changes while the contact lives. A slot freed by a
// deletion is reused by the next new contact; the store counts such reuses
// (store/slot_reuse.h), and the count is mixed into three more bytes, so that
// the new contact never carries the deleted one's UID.
#pragma once

#include "store/slot_reuse.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

namespace vcq::interop
{

class ContactUids
{
public:
    using FileId = std::array<unsigned char, 16>;

    explicit ContactUids(const FileId &id, SlotReuses reuses = {})
        : m_id(id), m_reuses(std::move(reuses))
    {
    }

    // The id file beside a data file: dataFilePath + ".uid".
    static std::string idFilePath(const std::string &dataFilePath);
    // Reads the id kept beside the data file, creating it (atomically) when
    // there is none, and the store's count of reused slots. nullopt with
    // error set when they cannot be read or the id created; a damaged id file
    // is reported (errc::illegal_byte_sequence), never replaced.
    static std::optional<ContactUids> open(const std::string &dataFilePath, std::error_code &error);
    static FileId randomId();

    std::string uidFor(std::int32_t recordNumber) const;
    // The record number when uid is the UID of the contact now in its slot.
    std::optional<std::int32_t> recordNumberOf(const std::string &uid) const;
    const FileId &fileId() const { return m_id; }

private:
    FileId m_id;
    SlotReuses m_reuses;
};

} // namespace vcq::interop
