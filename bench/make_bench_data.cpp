// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the benchmarks' data: a data file of N random contacts and,
// optionally, the same contacts as an abook address book, so that the
// start-up benchmark can time a peer on the very same people.
//   make_bench_data COUNT DATAFILE [ABOOKFILE]
#include "common/data_file.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>

namespace
{

using namespace vcq;

// The generator's texts are ASCII and Latin-1 letters: their bytes are their
// code points.
std::string utf8(std::string_view cp1252)
{
    std::string out;
    for (const char c : cp1252) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return out;
}

bool writeAbook(const std::string &dataFile, const std::string &abookFile)
{
    std::ifstream in(dataFile, std::ios::binary);
    std::ofstream out(abookFile, std::ios::binary);
    if (!in || !out)
        return false;
    out << "# abook addressbook file\n\n[format]\nprogram=abook\nversion=0.6.1\n\n";
    std::vector<unsigned char> bytes(kRecordSize);
    in.read(reinterpret_cast<char *>(bytes.data()), kRecordSize); // the header
    const std::pair<const char *, Field> fields[] = {
        {"email", Field::Email},   {"address", Field::Address1}, {"city", Field::City},
        {"state", Field::State},   {"zip", Field::Zip},          {"country", Field::Country},
        {"phone", Field::Phone1},  {"workphone", Field::Phone2}, {"mobile", Field::Cell},
        {"notes", Field::Comment},
    };
    for (long n = 0; in.read(reinterpret_cast<char *>(bytes.data()), kRecordSize); ++n) {
        const ContactRecord r = ContactRecord::fromBytes(bytes.data());
        out << '[' << n << "]\nname=" << utf8(r.view(Field::FirstName)) << ' '
            << utf8(r.view(Field::LastName)) << '\n';
        for (const auto &[key, field] : fields)
            if (!r.view(field).empty())
                out << key << '=' << utf8(r.view(field)) << '\n';
        out << '\n';
    }
    return bool(out.flush());
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::cerr << "usage: make_bench_data COUNT DATAFILE [ABOOKFILE]\n";
        return 2;
    }
    const std::int64_t count = std::atoll(argv[1]);
    if (!test::writeRandomDataFile(argv[2], count)) {
        std::cerr << "cannot write " << argv[2] << '\n';
        return 1;
    }
    if (argc > 3 && !writeAbook(argv[2], argv[3])) {
        std::cerr << "cannot write " << argv[3] << '\n';
        return 1;
    }
    return 0;
}
