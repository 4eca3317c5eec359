// SPDX-License-Identifier: GPL-3.0-or-later
#include "contact_bin.h"

#include "file_descriptor.h"
#include "io_error.h"
#include "private_file.h"
#include "slot_reuse.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace vcq
{

namespace
{

enum class Kind : std::uint8_t { Deleted = 1, TakenOut = 2 };

// Where each value sits in an entry; little-endian integers.
constexpr std::size_t kKind = 0, kHow = 1, kSlot = 4, kNumber = 8, kTarget = 16, kTime = 24,
                      kSlotLog = 32, kRecord = 40;
static_assert(kRecord + kRecordSize == ContactBin::kEntrySize);

template <typename T> void put(unsigned char *at, T value)
{
    for (std::size_t i = 0; i < sizeof(T); ++i)
        at[i] = static_cast<unsigned char>(static_cast<std::uint64_t>(value) >> (8 * i));
}

template <typename T> T take(const unsigned char *at)
{
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        v |= std::uint64_t(at[i]) << (8 * i);
    return static_cast<T>(v);
}

void writeAll(int fd, const unsigned char *data, std::size_t size, off_t offset)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd, data + done, size - done, offset + off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw StoreError::fromErrno(n == 0 ? ENOSPC : errno, IoOp::Write);
        done += std::size_t(n);
    }
}

std::string readWhole(int fd)
{
    std::string bytes;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw StoreError::fromErrno(errno);
        if (n == 0)
            return bytes;
        bytes.append(buffer, std::size_t(n));
    }
}

std::int64_t systemNow()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

} // namespace

struct ContactBin::Raw {
    Kind kind = Kind::Deleted;
    BinEntry entry;
    std::uint64_t target = 0; // for a TakenOut mark: the entry taken out

    void toBytes(unsigned char *out) const
    {
        std::memset(out, 0, kEntrySize);
        put(out + kKind, static_cast<std::uint8_t>(kind));
        put(out + kHow, static_cast<std::uint8_t>(entry.how));
        put(out + kSlot, entry.slot);
        put(out + kNumber, entry.number);
        put(out + kTarget, target);
        put(out + kTime, entry.deletedAtMs);
        put(out + kSlotLog, entry.slotLogSize);
        if (kind == Kind::Deleted)
            std::memcpy(out + kRecord, entry.record.data(), kRecordSize);
    }
    static bool fromBytes(const unsigned char *in, Raw &raw)
    {
        const auto kind = in[kKind];
        if (kind != std::uint8_t(Kind::Deleted) && kind != std::uint8_t(Kind::TakenOut))
            return false;
        raw.kind = Kind(kind);
        raw.entry.how = DeletedHow(in[kHow]);
        raw.entry.slot = take<std::int32_t>(in + kSlot);
        raw.entry.number = take<std::uint64_t>(in + kNumber);
        raw.target = take<std::uint64_t>(in + kTarget);
        raw.entry.deletedAtMs = take<std::int64_t>(in + kTime);
        raw.entry.slotLogSize = take<std::uint64_t>(in + kSlotLog);
        raw.entry.record = ContactRecord::fromBytes(in + kRecord);
        return true;
    }
};

std::string binPath(const std::string &dataFilePath)
{
    return dataFilePath + ".bin";
}

ContactBin::ContactBin(std::string dataFilePath)
    : m_dataFilePath(std::move(dataFilePath)), m_clock(systemNow),
      m_sync([](int fd) { return ::fdatasync(fd); })
{
}

std::vector<std::uint64_t> ContactBin::add(const std::vector<DeletedContact> &contacts,
                                           DeletedHow how)
{
    if (contacts.empty())
        return {};
    struct stat log {
    };
    const std::uint64_t logSize =
        ::stat(slotReusePath(m_dataFilePath).c_str(), &log) == 0 ? std::uint64_t(log.st_size) : 0;
    const std::int64_t now = m_clock();
    std::vector<Raw> raws(contacts.size());
    for (std::size_t i = 0; i < contacts.size(); ++i) {
        raws[i].entry.record = contacts[i].record;
        raws[i].entry.slot = contacts[i].slot;
        raws[i].entry.deletedAtMs = now;
        raws[i].entry.how = how;
        raws[i].entry.slotLogSize = logSize;
    }
    return append(raws);
}

std::vector<std::uint64_t> ContactBin::append(const std::vector<Raw> &entries)
{
    const std::string path = binPath(m_dataFilePath);
    const FileDescriptor fd(openPrivateFile(path, O_RDWR));
    if (!fd.valid())
        throw StoreError::fromErrno(errno, IoOp::Write);
    struct stat st {
    };
    if (::fstat(fd.get(), &st) != 0)
        throw StoreError::fromErrno(errno);
    const auto whole = std::uint64_t(st.st_size) / kEntrySize;
    const off_t end = off_t(whole * kEntrySize);
    std::uint64_t next = 1;
    if (whole > 0) {
        unsigned char last[kEntrySize];
        if (::pread(fd.get(), last, kEntrySize, end - off_t(kEntrySize)) == off_t(kEntrySize))
            next = take<std::uint64_t>(last + kNumber) + 1;
    }
    std::string bytes(entries.size() * kEntrySize, '\0');
    auto *out = reinterpret_cast<unsigned char *>(bytes.data());
    std::vector<std::uint64_t> numbers;
    numbers.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        Raw raw = entries[i];
        numbers.push_back(next);
        raw.entry.number = next++;
        raw.toBytes(out + i * kEntrySize);
    }
    // A partial entry left by a write cut short goes: entries start on their boundary.
    if (st.st_size != end && ::ftruncate(fd.get(), end) != 0)
        throw StoreError::fromErrno(errno, IoOp::Write);
    try {
        writeAll(fd.get(), out, bytes.size(), end);
        if (m_sync(fd.get()) != 0)
            throw StoreError::fromErrno(errno != 0 ? errno : EIO, IoOp::Write);
    } catch (...) {
        // What was written may be torn: the bin stays as it was.
        if (::ftruncate(fd.get(), end) == 0)
            ::fdatasync(fd.get());
        throw;
    }
    const std::uint64_t after = whole + entries.size();
    if (after / kCompactEvery != whole / kCompactEvery)
        compactIfDue(after);
    return numbers;
}

std::vector<ContactBin::Raw> ContactBin::readAll() const
{
    const FileDescriptor fd(::open(binPath(m_dataFilePath).c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        if (errno == ENOENT)
            return {};
        throw StoreError::fromErrno(errno);
    }
    struct stat st {
    };
    if (::fstat(fd.get(), &st) != 0)
        throw StoreError::fromErrno(errno);
    if (!S_ISREG(st.st_mode))
        throw StoreError::of(StoreErrc::NotRegularFile);
    const std::string bytes = readWhole(fd.get());
    std::vector<Raw> raws;
    raws.reserve(bytes.size() / kEntrySize);
    const auto *in = reinterpret_cast<const unsigned char *>(bytes.data());
    for (std::size_t at = 0; at + kEntrySize <= bytes.size(); at += kEntrySize) {
        Raw raw;
        if (Raw::fromBytes(in + at, raw))
            raws.push_back(std::move(raw));
    }
    return raws;
}

std::vector<BinEntry> ContactBin::kept(const std::vector<Raw> &all) const
{
    std::set<std::uint64_t> takenOut;
    for (const Raw &r : all)
        if (r.kind == Kind::TakenOut)
            takenOut.insert(r.target);
    std::vector<BinEntry> entries;
    for (auto it = all.rbegin(); it != all.rend(); ++it)
        if (it->kind == Kind::Deleted && !takenOut.count(it->entry.number))
            entries.push_back(it->entry);
    std::stable_sort(entries.begin(), entries.end(),
                     [](const BinEntry &a, const BinEntry &b) { return a.number > b.number; });
    // The last keepLast, and beyond them whatever is recent enough.
    const std::int64_t oldest = m_clock() - m_limits.keepFor.count();
    std::vector<BinEntry> out;
    out.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (i < m_limits.keepLast || entries[i].deletedAtMs >= oldest)
            out.push_back(std::move(entries[i]));
    return out;
}

std::vector<BinEntry> ContactBin::list() const
{
    return kept(readAll());
}

void ContactBin::takeOut(const std::vector<std::uint64_t> &numbers)
{
    std::vector<Raw> marks(numbers.size());
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        marks[i].kind = Kind::TakenOut;
        marks[i].target = numbers[i];
    }
    if (!marks.empty())
        append(marks);
}

void ContactBin::empty()
{
    if (::unlink(binPath(m_dataFilePath).c_str()) != 0 && errno != ENOENT)
        throw StoreError::fromErrno(errno, IoOp::Write);
}

void ContactBin::compactIfDue(std::uint64_t entriesInFile)
{
    // Only a bin well past its limits is rewritten: the rewrite costs the
    // whole file, and most appends should cost their own bytes only.
    if (entriesInFile < 2 * m_limits.keepLast)
        return;
    const std::vector<Raw> all = readAll();
    const std::vector<BinEntry> keep = kept(all);
    if (keep.size() * 2 > all.size())
        return;
    std::vector<Raw> raws;
    raws.reserve(keep.size() + 1);
    for (auto it = keep.rbegin(); it != keep.rend(); ++it)
        raws.push_back(Raw{Kind::Deleted, *it, 0});
    // Numbers never come back: the highest one stays in the file.
    const std::uint64_t highest = all.empty() ? 0 : all.back().entry.number;
    if (raws.empty() || raws.back().entry.number != highest) {
        Raw mark{Kind::TakenOut, {}, 0};
        mark.entry.number = highest;
        raws.push_back(mark);
    }
    std::string bytes(raws.size() * kEntrySize, '\0');
    for (std::size_t i = 0; i < raws.size(); ++i)
        raws[i].toBytes(reinterpret_cast<unsigned char *>(bytes.data()) + i * kEntrySize);
    const std::string path = binPath(m_dataFilePath);
    const std::string temp = path + ".new";
    ::unlink(temp.c_str());
    const FileDescriptor fd(openPrivateFile(temp, O_RDWR | O_TRUNC));
    // A compaction that fails leaves the bin as it was: it only saves room.
    if (!fd.valid())
        return;
    try {
        writeAll(fd.get(), reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size(), 0);
    } catch (const StoreError &) {
        ::unlink(temp.c_str());
        return;
    }
    if (m_sync(fd.get()) != 0 || ::rename(temp.c_str(), path.c_str()) != 0)
        ::unlink(temp.c_str());
}

} // namespace vcq
