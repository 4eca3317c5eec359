// Builds data files of many contacts for the benchmarks.
#pragma once

#include "store/contact_record.h"

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace vcq::bench
{

// A contact with plausible field lengths and a random name.
inline ContactRecord randomContact(std::mt19937 &rng)
{
    static const char *const lasts[] = {"Tremblay", "Gagnon", "Roy",    "C\xF4t\xE9", "Bouchard",
                                        "Gauthier", "Morin",  "Lavoie", "Fortin",     "Smith"};
    std::uniform_int_distribution<int> pick(0, 9), digit(0, 9), letter(0, 25);
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

// Writes a header and `count` contacts to `path`.
inline void writeDataFile(const std::string &path, int count, unsigned seed = 97)
{
    std::mt19937 rng(seed);
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return;
    std::fwrite(ContactRecord::newHeader().data(), 1, kRecordSize, f);
    for (int i = 0; i < count; ++i)
        std::fwrite(randomContact(rng).data(), 1, kRecordSize, f);
    std::fclose(f);
}

} // namespace vcq::bench
