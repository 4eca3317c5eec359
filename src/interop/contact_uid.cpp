// SPDX-License-Identifier: GPL-3.0-or-later
#include "contact_uid.h"

#include "store/file_descriptor.h"
#include "store/private_file.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <sstream>
#include <unistd.h>

namespace vcq::interop
{

namespace
{

constexpr char kHex[] = "0123456789abcdef";

std::string toHex(const unsigned char *bytes, std::size_t count)
{
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        out += kHex[bytes[i] >> 4];
        out += kHex[bytes[i] & 0x0F];
    }
    return out;
}

std::optional<ContactUids::FileId> parseHex(std::string_view text)
{
    if (text.size() != 32)
        return std::nullopt;
    ContactUids::FileId id{};
    for (std::size_t i = 0; i < 16; ++i) {
        int value = 0;
        for (int k = 0; k < 2; ++k) {
            const char c = text[i * 2 + static_cast<std::size_t>(k)];
            int d = -1;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            if (d < 0)
                return std::nullopt;
            value = value * 16 + d;
        }
        id[i] = static_cast<unsigned char>(value);
    }
    return id;
}

// The UUID's 16 bytes: the file id, the slot's reuses mixed into bytes 9 to
// 11, then the record number in the last four, with the version (8, custom)
// and variant bits set. A slot never reused keeps the file id's bytes.
std::array<unsigned char, 16> uuidBytes(const ContactUids::FileId &id, std::int32_t record,
                                        std::uint32_t reuses)
{
    std::array<unsigned char, 16> b = id;
    b[9] = static_cast<unsigned char>(b[9] ^ (reuses >> 16));
    b[10] = static_cast<unsigned char>(b[10] ^ (reuses >> 8));
    b[11] = static_cast<unsigned char>(b[11] ^ reuses);
    const auto n = static_cast<std::uint32_t>(record);
    b[12] = static_cast<unsigned char>(n >> 24);
    b[13] = static_cast<unsigned char>(n >> 16);
    b[14] = static_cast<unsigned char>(n >> 8);
    b[15] = static_cast<unsigned char>(n);
    b[6] = static_cast<unsigned char>((b[6] & 0x0F) | 0x80);
    b[8] = static_cast<unsigned char>((b[8] & 0x3F) | 0x80);
    return b;
}

constexpr std::string_view kPrefix = "urn:uuid:";

std::optional<ContactUids> withReuses(const ContactUids::FileId &id,
                                      const std::string &dataFilePath, std::error_code &error)
{
    SlotReuses reuses = readSlotReuses(dataFilePath, error);
    if (error)
        return std::nullopt;
    return ContactUids(id, std::move(reuses));
}

} // namespace

std::string ContactUids::idFilePath(const std::string &dataFilePath)
{
    return dataFilePath + ".uid";
}

ContactUids::FileId ContactUids::randomId()
{
    std::random_device device;
    FileId id{};
    for (std::size_t i = 0; i < id.size(); i += 4) {
        const std::uint32_t r = device();
        for (std::size_t k = 0; k < 4; ++k)
            id[i + k] = static_cast<unsigned char>(r >> (8 * k));
    }
    return id;
}

std::optional<ContactUids> ContactUids::open(const std::string &dataFilePath,
                                             std::error_code &error)
{
    error.clear();
    const std::string path = idFilePath(dataFilePath);
    {
        std::ifstream in(path, std::ios::binary);
        if (in) {
            std::string text((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
            while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
                text.pop_back();
            if (const auto id = parseHex(text))
                return withReuses(*id, dataFilePath, error);
            error = std::make_error_code(std::errc::illegal_byte_sequence);
            return std::nullopt;
        }
    }
    if (::access(path.c_str(), F_OK) == 0) {
        error = std::make_error_code(std::errc::permission_denied);
        return std::nullopt;
    }
    // Written to a scratch name and renamed, so a reader never sees half an id.
    const FileId id = randomId();
    const std::string scratch = path + ".new";
    {
        const std::string text = toHex(id.data(), id.size()) + '\n';
        const FileDescriptor out(openPrivateFile(scratch, O_WRONLY | O_TRUNC));
        if (!out.valid() ||
            ::write(out.get(), text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
            error = std::error_code(errno ? errno : EIO, std::generic_category());
            std::remove(scratch.c_str());
            return std::nullopt;
        }
    }
    // link() fails when another process created the id meanwhile; then its id wins.
    if (::link(scratch.c_str(), path.c_str()) != 0) {
        const int err = errno;
        std::remove(scratch.c_str());
        if (err == EEXIST)
            return open(dataFilePath, error);
        error = std::error_code(err, std::generic_category());
        return std::nullopt;
    }
    std::remove(scratch.c_str());
    return withReuses(id, dataFilePath, error);
}

std::string ContactUids::uidFor(std::int32_t recordNumber) const
{
    // An export asks for one per contact: written in place, 8-4-4-4-12.
    std::uint32_t reuses = 0;
    if (!m_reuses.empty())
        if (const auto it = m_reuses.find(recordNumber); it != m_reuses.end())
            reuses = it->second;
    const auto b = uuidBytes(m_id, recordNumber, reuses);
    std::string out(kPrefix.size() + 36, '-');
    std::size_t at = kPrefix.size();
    out.replace(0, at, kPrefix);
    for (std::size_t i = 0; i < b.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            ++at; // the dash
        out[at++] = kHex[b[i] >> 4];
        out[at++] = kHex[b[i] & 0x0F];
    }
    return out;
}

std::optional<std::int32_t> ContactUids::recordNumberOf(const std::string &uid) const
{
    if (uid.size() != kPrefix.size() + 36 || uid.compare(0, kPrefix.size(), kPrefix) != 0)
        return std::nullopt;
    std::string hex;
    for (char c : uid.substr(kPrefix.size())) {
        if (c != '-')
            hex += c;
    }
    const auto bytes = parseHex(hex);
    if (!bytes)
        return std::nullopt;
    const std::uint32_t n = (std::uint32_t((*bytes)[12]) << 24) |
                            (std::uint32_t((*bytes)[13]) << 16) |
                            (std::uint32_t((*bytes)[14]) << 8) | std::uint32_t((*bytes)[15]);
    const auto record = static_cast<std::int32_t>(n);
    if (record < 0 || uidFor(record) != uid)
        return std::nullopt;
    return record;
}

} // namespace vcq::interop
