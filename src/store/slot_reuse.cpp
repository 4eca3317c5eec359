// SPDX-License-Identifier: GPL-3.0-or-later
#include "slot_reuse.h"

#include "file_descriptor.h"
#include "private_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vcq
{

namespace
{

constexpr std::size_t kEntryBytes = 4;

} // namespace

std::string slotReusePath(const std::string &dataFilePath)
{
    return dataFilePath + ".slots";
}

int logSlotReuse(const std::string &dataFilePath, const std::vector<std::int32_t> &slots)
{
    if (slots.empty())
        return 0;
    std::string bytes;
    bytes.reserve(slots.size() * kEntryBytes);
    for (const std::int32_t slot : slots)
        for (std::size_t i = 0; i < kEntryBytes; ++i)
            bytes += static_cast<char>(static_cast<std::uint32_t>(slot) >> (8 * i));
    const FileDescriptor fd(openPrivateFile(slotReusePath(dataFilePath), O_WRONLY | O_APPEND));
    if (!fd.valid())
        return errno;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n == 0 ? ENOSPC : errno;
        done += static_cast<std::size_t>(n);
    }
    return ::fdatasync(fd.get()) == 0 ? 0 : errno;
}

SlotReuses readSlotReuses(const std::string &dataFilePath, std::error_code &error)
{
    error.clear();
    SlotReuses reuses;
    const FileDescriptor fd(::open(slotReusePath(dataFilePath).c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        if (errno != ENOENT)
            error = std::error_code(errno, std::generic_category());
        return reuses;
    }
    unsigned char buffer[64 * 1024];
    std::size_t kept = 0; // bytes of an entry split between two reads
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer + kept, sizeof buffer - kept);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = std::error_code(errno, std::generic_category());
            return {};
        }
        if (n == 0)
            break;
        const std::size_t have = kept + static_cast<std::size_t>(n);
        const std::size_t whole = have / kEntryBytes * kEntryBytes;
        for (std::size_t at = 0; at < whole; at += kEntryBytes) {
            std::uint32_t slot = 0;
            for (std::size_t i = 0; i < kEntryBytes; ++i)
                slot |= std::uint32_t(buffer[at + i]) << (8 * i);
            ++reuses[static_cast<std::int32_t>(slot)];
        }
        kept = have - whole;
        for (std::size_t i = 0; i < kept; ++i)
            buffer[i] = buffer[whole + i];
    }
    return reuses;
}

bool slotReusedSince(const std::string &dataFilePath, std::int32_t slot, std::uint64_t since)
{
    const FileDescriptor fd(::open(slotReusePath(dataFilePath).c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid())
        return errno != ENOENT;
    unsigned char buffer[64 * 1024];
    std::uint64_t at = since / kEntryBytes * kEntryBytes;
    for (;;) {
        const ssize_t n = ::pread(fd.get(), buffer, sizeof buffer, static_cast<off_t>(at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return true;
        const std::size_t whole = static_cast<std::size_t>(n) / kEntryBytes * kEntryBytes;
        if (whole == 0)
            return false;
        for (std::size_t i = 0; i < whole; i += kEntryBytes) {
            std::uint32_t v = 0;
            for (std::size_t b = 0; b < kEntryBytes; ++b)
                v |= std::uint32_t(buffer[i + b]) << (8 * b);
            if (static_cast<std::int32_t>(v) == slot)
                return true;
        }
        at += whole;
    }
}

} // namespace vcq
