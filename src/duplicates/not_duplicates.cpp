// SPDX-License-Identifier: GPL-3.0-or-later
#include "not_duplicates.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace vcq::duplicates
{

namespace
{

std::uint32_t reusesOf(const SlotReuses &reuses, std::int32_t slot)
{
    const auto it = reuses.find(slot);
    return it == reuses.end() ? 0 : it->second;
}

// "slot.reuses"; false when the text is not one.
bool parseContact(std::string_view text, std::int32_t &slot, std::uint32_t &reuses)
{
    const auto dot = text.find('.');
    if (dot == std::string_view::npos)
        return false;
    const char *end = text.data() + text.size();
    auto [p1, e1] = std::from_chars(text.data(), text.data() + dot, slot);
    auto [p2, e2] = std::from_chars(text.data() + dot + 1, end, reuses);
    return e1 == std::errc() && e2 == std::errc() && p1 == text.data() + dot && p2 == end &&
           slot > 0;
}

} // namespace

std::string NotDuplicates::pathFor(const std::string &dataFilePath)
{
    return dataFilePath + ".notduplicates";
}

std::uint64_t NotDuplicates::key(std::int32_t a, std::int32_t b)
{
    if (a > b)
        std::swap(a, b);
    return std::uint64_t(std::uint32_t(a)) << 32 | std::uint32_t(b);
}

bool NotDuplicates::contains(std::int32_t a, std::int32_t b) const
{
    return !m_pairs.empty() && m_pairs.count(key(a, b)) != 0;
}

void NotDuplicates::insert(std::int32_t a, std::int32_t b)
{
    if (a != b)
        m_pairs.insert(key(a, b));
}

NotDuplicates NotDuplicates::load(const std::string &dataFilePath, const SlotReuses &reuses,
                                  std::error_code &error)
{
    error.clear();
    NotDuplicates set;
    std::ifstream in(pathFor(dataFilePath), std::ios::binary);
    if (!in) {
        if (errno != ENOENT)
            error = std::error_code(errno, std::generic_category());
        return set;
    }
    std::string line;
    while (std::getline(in, line)) {
        const auto blank = line.find(' ');
        std::int32_t a = 0, b = 0;
        std::uint32_t ra = 0, rb = 0;
        if (blank == std::string::npos ||
            !parseContact(std::string_view(line).substr(0, blank), a, ra) ||
            !parseContact(std::string_view(line).substr(blank + 1), b, rb))
            continue;
        if (reusesOf(reuses, a) == ra && reusesOf(reuses, b) == rb)
            set.insert(a, b);
    }
    if (in.bad())
        error = std::error_code(EIO, std::generic_category());
    return set;
}

int NotDuplicates::remember(const std::string &dataFilePath, const SlotReuses &reuses,
                            const std::vector<std::int32_t> &records)
{
    std::string lines;
    const auto contact = [&](std::int32_t r) {
        return std::to_string(r) + '.' + std::to_string(reusesOf(reuses, r));
    };
    for (std::size_t i = 0; i < records.size(); ++i)
        for (std::size_t j = i + 1; j < records.size(); ++j)
            if (records[i] != records[j] && !contains(records[i], records[j]))
                lines += contact(records[i]) + ' ' + contact(records[j]) + '\n';
    if (lines.empty())
        return 0;
    const std::string path = pathFor(dataFilePath);
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::fchmod(fd, 0600); // whatever the umask
    else if (errno == EEXIST)
        fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0)
        return errno;
    // A line cut short by a crash stays a line of its own.
    struct stat st {
    };
    char last = '\n';
    if (::fstat(fd, &st) == 0 && st.st_size > 0) {
        const int reader = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (reader >= 0) {
            if (::pread(reader, &last, 1, st.st_size - 1) != 1)
                last = '\n';
            ::close(reader);
        }
    }
    if (last != '\n')
        lines.insert(lines.begin(), '\n');
    std::size_t done = 0;
    int result = 0;
    while (done < lines.size()) {
        const ssize_t n = ::write(fd, lines.data() + done, lines.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            result = n == 0 ? ENOSPC : errno;
            break;
        }
        done += std::size_t(n);
    }
    if (result == 0 && ::fdatasync(fd) != 0)
        result = errno;
    ::close(fd);
    if (result == 0)
        for (std::size_t i = 0; i < records.size(); ++i)
            for (std::size_t j = i + 1; j < records.size(); ++j)
                insert(records[i], records[j]);
    return result;
}

} // namespace vcq::duplicates
