// SPDX-License-Identifier: GPL-3.0-or-later
// CSV reading: any bytes are read without a fault, and the contacts read
// from our own column set are written and read back byte for byte.
#include "fuzz_check.h"
#include "interop/csv.h"

using namespace vcq::interop;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size > 1 << 16)
        return 0;
    const CsvReadResult read =
        readCsvContacts(std::string_view(reinterpret_cast<const char *>(data), size));
    FUZZ_CHECK(read.contacts.empty() || read.columnSet == CsvColumnSet::Own);
    if (read.contacts.empty())
        return 0;
    std::string again = csvHeaderLine();
    for (const CsvContact &c : read.contacts)
        appendCsvContact(again, c.mapped.record);
    const CsvReadResult back = readCsvContacts(again);
    FUZZ_CHECK(back.problems.empty());
    FUZZ_CHECK(back.contacts.size() == read.contacts.size());
    for (std::size_t i = 0; i < back.contacts.size(); ++i)
        FUZZ_CHECK(back.contacts[i].mapped.record == read.contacts[i].mapped.record);
    return 0;
}
