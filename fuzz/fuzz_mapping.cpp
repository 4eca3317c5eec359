// SPDX-License-Identifier: GPL-3.0-or-later
// A contact as the edit form stores one (any cp1252 text, line breaks only
// in the remarks and as CR LF, a birth date in the form's mask) through
// vCard 3.0, 4.0 and our CSV: both card writers give the same text, and
// reading it back gives the contact, less only what vCard cannot carry.
#include "fuzz_check.h"
#include "interop/birth_date.h"
#include "interop/contact_mapping.h"
#include "interop/csv.h"
#include "interop/vcard_reader.h"
#include "interop/vcard_writer.h"

using namespace vcq;
using namespace vcq::interop;

namespace
{

bool blank(std::string_view s)
{
    return s.find_first_not_of(" \t") == std::string_view::npos;
}

// The fields of the input, split on NUL, as the form would store them.
ContactRecord contactFrom(std::string_view in)
{
    ContactRecord c;
    for (Field f : kContactFields) {
        const std::size_t end = std::min(in.find('\0'), in.size());
        std::string text(in.substr(0, end));
        in.remove_prefix(std::min(end + 1, in.size()));
        if (f == Field::Comment) {
            std::erase(text, '\r');
            std::string crlf;
            for (char ch : text)
                crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
            text = crlf.substr(0, fieldLayout(f).maxLength);
            if (text.ends_with('\r'))
                text.pop_back();
        } else {
            std::erase(text, '\r');
            std::erase(text, '\n');
        }
        c.set(f, text);
    }
    std::string birth = c.get(Field::Birth);
    bool mask = birth.size() == 8 && birth[2] == '-' && birth[5] == '-';
    for (std::size_t i : {0, 1, 3, 4, 6, 7})
        mask = mask && (birth[i] == ' ' || (birth[i] >= '0' && birth[i] <= '9'));
    c.set(Field::Birth, mask ? birth : std::string(kBlankBirthDate));
    if (blank(c.view(Field::LastName)) || isReservedLastName(c.view(Field::LastName)))
        c.set(Field::LastName, "x" + c.get(Field::LastName).substr(0, 29));
    return c;
}

// What comes back through vCard: no birth date it cannot hold, no phone,
// e-mail, remark or street of nothing but blanks, no address of only blanks.
ContactRecord throughVCard(ContactRecord c)
{
    const ExportedBirthDate birth = birthDateToVCard(c.view(Field::Birth), VCardVersion::V30, 2026);
    if (birth.status != BirthDateExport::Full && birth.status != BirthDateExport::NoYear)
        c.set(Field::Birth, kBlankBirthDate);
    for (Field f : {Field::Phone1, Field::Phone2, Field::Cell, Field::Phone3, Field::Email,
                    Field::Comment, Field::Address1})
        if (blank(c.view(f)))
            c.set(f, "");
    bool address = false;
    for (Field f : {Field::Address1, Field::City, Field::Zip, Field::State, Field::Country})
        address = address || !blank(c.view(f));
    if (!address)
        for (Field f : {Field::City, Field::Zip, Field::State, Field::Country})
            c.set(f, "");
    return c;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size > 4096)
        return 0;
    const ContactRecord contact = contactFrom({reinterpret_cast<const char *>(data), size});
    const ContactRecord expected = throughVCard(contact);
    for (VCardVersion v : {VCardVersion::V30, VCardVersion::V40}) {
        std::vector<Loss> slowLosses, fastLosses;
        const std::string slow =
            writeVCard(contactToCard(contact, "urn:uuid:1", v, &slowLosses, 2026), v);
        std::string fast;
        appendContactVCard(fast, contact, "urn:uuid:1", v, &fastLosses, 2026);
        FUZZ_CHECK(fast == slow);
        FUZZ_CHECK(fastLosses == slowLosses);
        const VCardReadResult read = readVCards(slow);
        FUZZ_CHECK(read.problems.empty() && read.cards.size() == 1);
        const MappedContact back = cardToContact(read.cards[0].card);
        FUZZ_CHECK(back.losses.empty());
        FUZZ_CHECK(back.record == expected);
    }
    std::string csv = csvHeaderLine();
    appendCsvContact(csv, contact);
    const CsvReadResult read = readCsvContacts(csv);
    FUZZ_CHECK(read.problems.empty() && read.contacts.size() == 1);
    FUZZ_CHECK(read.contacts[0].mapped.record == contact);
    return 0;
}
