// SPDX-License-Identifier: GPL-3.0-or-later
// A vCard UID for each contact that stays the same across exports and edits.
// Each data file gets a random 128-bit id, kept in a small file beside it
// ("VCQ97.NAM.uid"); a contact's UID is that id with the last 32 bits
// replaced by its record number, written as a UUID ("urn:uuid:..."). The
// record number never changes while the contact lives. A slot freed by a
// deletion is reused by the next new contact, which then carries the deleted
// contact's UID: for a receiver that is the old card edited into the new one.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <system_error>

namespace vcq::interop
{

class ContactUids
{
public:
    using FileId = std::array<unsigned char, 16>;

    explicit ContactUids(const FileId &id) : m_id(id) {}

    // The id file beside a data file: dataFilePath + ".uid".
    static std::string idFilePath(const std::string &dataFilePath);
    // Reads the id kept beside the data file, creating it (atomically) when
    // there is none. nullopt with error set when it can be neither read nor
    // created; a damaged id file is reported (errc::illegal_byte_sequence), never replaced.
    static std::optional<ContactUids> open(const std::string &dataFilePath, std::error_code &error);
    static FileId randomId();

    std::string uidFor(std::int32_t recordNumber) const;
    // The record number when uid is one of this file's UIDs.
    std::optional<std::int32_t> recordNumberOf(const std::string &uid) const;
    const FileId &fileId() const { return m_id; }

private:
    FileId m_id;
};

} // namespace vcq::interop
