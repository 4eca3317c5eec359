// SPDX-License-Identifier: GPL-3.0-or-later
// The one builder of data files for tests and benchmarks: contact records,
// their bytes, whole files of a header and records, and files of many random
// contacts.
#pragma once

#include "store/contact_record.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace vcq::test
{

inline const QString kDataFile = QStringLiteral("VCQ97.NAM");

inline ContactRecord contact(const std::string &last, const std::string &first,
                             const std::map<Field, std::string> &more = {})
{
    ContactRecord r;
    r.set(Field::LastName, last);
    r.set(Field::FirstName, first);
    for (const auto &[f, v] : more)
        r.set(f, v);
    return r;
}

// A contact as Save stores one whose birth date was left blank.
inline ContactRecord person(const std::string &last, const std::string &first = {})
{
    return contact(last, first, {{Field::Birth, "  -  -  "}});
}

inline QByteArray bytesOf(const ContactRecord &r)
{
    return QByteArray(reinterpret_cast<const char *>(r.data()),
                      static_cast<qsizetype>(kRecordSize));
}

inline QByteArray readFile(const QString &path = kDataFile)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// A new file's header, then the records in file order.
inline bool writeDataFile(const std::vector<ContactRecord> &records,
                          const QString &path = kDataFile)
{
    QByteArray bytes = bytesOf(ContactRecord::newHeader());
    for (const ContactRecord &r : records)
        bytes += bytesOf(r);
    return writeFile(path, bytes);
}

// Record n of a data file; an empty record past its end.
inline ContactRecord recordAt(int n, const QString &path = kDataFile)
{
    const QByteArray all = readFile(path);
    const auto size = static_cast<qsizetype>(kRecordSize);
    if (all.size() < (n + 1) * size)
        return ContactRecord();
    return ContactRecord::fromBytes(
        reinterpret_cast<const unsigned char *>(all.constData() + n * size));
}

// A contact with plausible field lengths and a random name.
inline ContactRecord randomContact(std::mt19937 &rng)
{
    // Accents and ligatures among them, for the search to fold.
    static const char *const lasts[] = {"Tremblay", "Gagnon",   "Roy",     "C\xF4t\xE9",
                                        "Bouchard", "Gauthier", "Morin",   "Lavoie",
                                        "Fortin",   "Smith",    "C\x9Cur", "Stra\337er"};
    std::uniform_int_distribution<int> pick(0, 11), digit(0, 9), letter(0, 25);
    auto word = [&](int n) {
        std::string s(1, char('A' + letter(rng)));
        for (int i = 1; i < n; ++i)
            s += char('a' + letter(rng));
        return s;
    };
    ContactRecord r;
    r.set(Field::LastName, std::string(lasts[pick(rng)]) + word(4));
    r.set(Field::FirstName, word(6));
    r.set(Field::Organisation, word(12));
    r.set(Field::Address1, std::to_string(digit(rng) * 100 + 5) + " rue " + word(8));
    r.set(Field::City, "Montr\xE9"
                       "al");
    r.set(Field::Zip, "H2X 1Y" + std::to_string(digit(rng)));
    r.set(Field::State, "Qu\xE9"
                        "bec");
    r.set(Field::Country, "Canada");
    r.set(Field::Phone1, "514-555-" + std::to_string(1000 + digit(rng) * 999));
    r.set(Field::Email, word(6) + "@example.org");
    r.set(Field::Comment, "Met at the " + word(7) + " conference.");
    r.set(Field::Birth, "12-05-61");
    return r;
}

// Bytes written per system call: files made here are laid out on disk the
// way a program that writes large blocks leaves them, so that reading them
// back measures the reader, not the writer's small writes.
inline constexpr std::size_t kWriteBlock = std::size_t(1) << 20;

// Writes a header and `count` random contacts to `path`, in 1 MiB blocks.
inline bool writeRandomDataFile(const std::string &path, std::int64_t count, unsigned seed = 97)
{
    std::mt19937 rng(seed);
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::setvbuf(f, nullptr, _IONBF, 0);
    std::vector<unsigned char> block;
    block.reserve(kWriteBlock + kRecordSize);
    bool ok = true;
    auto put = [&](const ContactRecord &r) {
        block.insert(block.end(), r.data(), r.data() + kRecordSize);
        if (block.size() >= kWriteBlock) {
            ok = ok && std::fwrite(block.data(), 1, kWriteBlock, f) == kWriteBlock;
            block.erase(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(kWriteBlock));
        }
    };
    put(ContactRecord::newHeader());
    for (std::int64_t i = 0; i < count; ++i)
        put(randomContact(rng));
    ok = ok && std::fwrite(block.data(), 1, block.size(), f) == block.size();
    return std::fclose(f) == 0 && ok;
}

// Copies a file in 1 MiB blocks.
inline bool copyInBlocks(const std::string &from, const std::string &to)
{
    std::FILE *in = std::fopen(from.c_str(), "rb");
    std::FILE *out = in ? std::fopen(to.c_str(), "wb") : nullptr;
    bool ok = in && out;
    if (ok) {
        std::setvbuf(in, nullptr, _IONBF, 0);
        std::setvbuf(out, nullptr, _IONBF, 0);
        std::vector<char> block(kWriteBlock);
        for (std::size_t n; ok && (n = std::fread(block.data(), 1, block.size(), in)) > 0;)
            ok = std::fwrite(block.data(), 1, n, out) == n;
    }
    if (out)
        ok = std::fclose(out) == 0 && ok;
    if (in)
        std::fclose(in);
    return ok;
}

// A file just written is flushed and read once, so that no benchmark pays
// for its writing back or finds it half out of the page cache.
inline void settleFile(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return;
    ::fdatasync(fd);
    std::vector<char> buffer(kWriteBlock);
    while (::read(fd, buffer.data(), buffer.size()) > 0) {
    }
    ::close(fd);
}

} // namespace vcq::test
