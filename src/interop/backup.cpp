// SPDX-License-Identifier: GPL-3.0-or-later
#include "backup.h"

#include "store/io_error.h"
#include "store/private_file.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>

namespace vcq::interop
{

namespace
{

struct PathParts {
    std::string folder; // "." when the path has none
    std::string name;
};

PathParts split(const std::string &path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

std::string stamp(std::chrono::system_clock::time_point now)
{
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count();
    const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%S", &utc);
    char millis[8];
    std::snprintf(millis, sizeof millis, ".%03dZ", static_cast<int>(ms % 1000));
    return std::string(text) + millis;
}

class Fd
{
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

[[noreturn]] void fail(int err)
{
    throw StoreError::fromErrno(err);
}

void copyAll(int from, int to)
{
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        if (n == 0)
            return;
        ssize_t done = 0;
        while (done < n) {
            const ssize_t w = ::write(to, buffer + done, static_cast<std::size_t>(n - done));
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                fail(errno);
            }
            done += w;
        }
    }
}

// A backup's name after "<data file name>.": the time, and an optional
// number when two backups fell in the same millisecond.
const std::regex &backupSuffix()
{
    static const std::regex re(R"(^(\d{8}T\d{6}\.\d{3}Z)(?:-(\d{1,9}))?$)");
    return re;
}

} // namespace

std::vector<std::string> listBackups(const std::string &dataFilePath)
{
    const PathParts parts = split(dataFilePath);
    const std::string prefix = parts.name + ".";
    struct Found {
        std::string time;
        long number;
        std::string name;
    };
    std::vector<Found> found;
    if (DIR *dir = ::opendir(parts.folder.c_str())) {
        while (const dirent *entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
                continue;
            std::smatch m;
            const std::string rest = name.substr(prefix.size());
            if (!std::regex_match(rest, m, backupSuffix()))
                continue;
            found.push_back({m[1].str(), m[2].matched ? std::stol(m[2].str()) : 1, name});
        }
        ::closedir(dir);
    }
    std::sort(found.begin(), found.end(), [](const Found &a, const Found &b) {
        return a.time != b.time ? a.time < b.time : a.number < b.number;
    });
    std::vector<std::string> out;
    const std::string folder =
        dataFilePath.find('/') == std::string::npos ? "" : parts.folder + "/";
    for (const Found &f : found)
        out.push_back(folder + f.name);
    return out;
}

std::string backupDataFile(const std::string &dataFilePath, int keep,
                           std::chrono::system_clock::time_point now)
{
    Fd source(::open(dataFilePath.c_str(), O_RDONLY | O_CLOEXEC));
    if (source.get() < 0)
        fail(errno);
    struct stat st {
    };
    if (::fstat(source.get(), &st) != 0)
        fail(errno);
    if (!S_ISREG(st.st_mode))
        fail(EINVAL);

    // Written under a name no backup can have, then linked to its final name,
    // which never replaces an existing file.
    const std::string base = dataFilePath + "." + stamp(now);
    const std::string partial = base + ".part";
    ::unlink(partial.c_str());
    // Private whatever the data file's mode: a copy of every contact.
    Fd copy(openPrivateFile(partial, O_WRONLY | O_EXCL));
    if (copy.get() < 0)
        fail(errno);
    std::string target;
    try {
        copyAll(source.get(), copy.get());
        if (::fsync(copy.get()) != 0)
            fail(errno);
        for (int n = 1;; ++n) {
            target = n == 1 ? base : base + "-" + std::to_string(n);
            if (::link(partial.c_str(), target.c_str()) == 0)
                break;
            if (errno != EEXIST || n >= 1000)
                fail(errno);
        }
    } catch (...) {
        ::unlink(partial.c_str());
        throw;
    }
    ::unlink(partial.c_str());
    if (Fd folder(::open(split(dataFilePath).folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        folder.get() >= 0)
        ::fsync(folder.get());

    // The oldest go; the copy just made stays even if the clock went back.
    std::vector<std::string> backups = listBackups(dataFilePath);
    std::erase(backups, target);
    const std::size_t others = static_cast<std::size_t>(std::max(keep, 1)) - 1;
    for (std::size_t i = 0; i + others < backups.size(); ++i)
        ::unlink(backups[i].c_str());
    return target;
}

} // namespace vcq::interop
