// SPDX-License-Identifier: GPL-3.0-or-later
// The export's fast path: a contact record straight to vCard text, the same
// text contactToCard and writeVCard give together.
#include "birth_date.h"
#include "contact_mapping.h"
#include "text_util.h"
#include "transliterate.h"
#include "vcard_writer.h"

#include <algorithm>
#include <array>

namespace vcq::interop
{

using namespace detail;

namespace
{

// Each cp1252 byte as escaped UTF-8 text value characters.
struct EscapeTable {
    std::array<std::string, 256> text;
    std::array<bool, 256> plain{}; // written as it is
    EscapeTable()
    {
        for (int b = 0x20; b < 0x80; ++b)
            plain[static_cast<std::size_t>(b)] = b != '\\' && b != ',' && b != ';';
        plain['\t'] = true;
        for (int b = 0; b < 256; ++b) {
            const char c = static_cast<char>(b);
            std::string &t = text[static_cast<std::size_t>(b)];
            switch (c) {
            case '\\':
                t = "\\\\";
                break;
            case ',':
                t = "\\,";
                break;
            case ';':
                t = "\\;";
                break;
            case '\n':
            case '\r':
                t = "\\n";
                break;
            default:
                t = cp1252ToUtf8(std::string_view(&c, 1));
            }
        }
    }
};

void appendEscapedCp1252(std::string &line, std::string_view bytes)
{
    static const EscapeTable table;
    std::size_t i = 0;
    while (i < bytes.size()) {
        // Runs of plain ASCII go in at once.
        std::size_t j = i;
        while (j < bytes.size() && table.plain[static_cast<unsigned char>(bytes[j])])
            ++j;
        line.append(bytes.data() + i, j - i);
        if (j == bytes.size())
            break;
        const auto b = static_cast<unsigned char>(bytes[j]);
        // A CR LF pair is one line break.
        if (b == '\r' && j + 1 < bytes.size() && bytes[j + 1] == '\n')
            ++j;
        line += table.text[b];
        i = j + 1;
    }
}

bool isBlank(std::string_view s)
{
    return trimBlanks(s).empty();
}

} // namespace

void appendContactVCard(std::string &out, const ContactRecord &c, std::string_view uid,
                        VCardVersion version, std::vector<Loss> *losses, int currentYear)
{
    auto field = [&](Field f) { return c.view(f); };
    // Each line is written straight into out and folded there if long.
    std::size_t start = 0;
    auto begin = [&](std::string_view head) {
        start = out.size();
        out += head;
    };
    auto end = [&] { endFoldedLine(out, start); };
    auto simple = [&](std::string_view head, Field f) {
        begin(head);
        appendEscapedCp1252(out, field(f));
        end();
    };

    out += "BEGIN:VCARD\r\nVERSION:";
    out += versionText(version);
    out += "\r\n";

    const std::string_view last = field(Field::LastName);
    const std::string_view first = field(Field::FirstName);
    begin("N:");
    appendEscapedCp1252(out, last);
    out += ';';
    appendEscapedCp1252(out, first);
    out += ";;;";
    end();
    begin("FN:");
    if (isBlank(first)) {
        appendEscapedCp1252(out, last);
    } else if (isBlank(last)) {
        appendEscapedCp1252(out, first);
    } else {
        appendEscapedCp1252(out, first);
        out += ' ';
        appendEscapedCp1252(out, last);
    }
    end();

    if (!field(Field::Organisation).empty())
        simple("ORG:", Field::Organisation);
    bool address = false;
    for (Field f : {Field::Address1, Field::City, Field::Zip, Field::State, Field::Country})
        address = address || !field(f).empty();
    if (address) {
        begin("ADR;TYPE=home:;;");
        const Field parts[] = {Field::Address1, Field::City, Field::State, Field::Zip,
                               Field::Country};
        for (std::size_t i = 0; i < 5; ++i) {
            if (i > 0)
                out += ';';
            appendEscapedCp1252(out, field(parts[i]));
        }
        end();
    }
    // A number stored as "tel:..." is text that could be taken for a URI.
    auto phone = [&](std::string_view head, Field f) {
        if (field(f).empty())
            return;
        begin(head);
        out += startsWithNoCase(field(f), "tel:") ? ";VALUE=text:" : ":";
        appendEscapedCp1252(out, field(f));
        end();
    };
    phone("TEL;TYPE=home", Field::Phone1);
    phone("TEL;TYPE=work", Field::Phone2);
    phone("TEL;TYPE=cell", Field::Cell);
    phone("TEL;TYPE=fax", Field::Phone3);
    if (!field(Field::Email).empty())
        simple(version == VCardVersion::V40 ? "EMAIL:" : "EMAIL;TYPE=internet:", Field::Email);

    const ExportedBirthDate birth = birthDateToVCard(
        field(Field::Birth), version, currentYear > 0 ? currentYear : interop::currentYear());
    if (birth.status == BirthDateExport::Full || birth.status == BirthDateExport::NoYear) {
        begin("BDAY:");
        out += birth.value;
        end();
    } else if (birth.status == BirthDateExport::Invalid && losses) {
        losses->push_back(
            {Field::Birth, LossKind::BadBirthDate, "BDAY", cp1252ToUtf8(field(Field::Birth))});
    }
    if (!field(Field::Status).empty())
        simple("CATEGORIES:", Field::Status);
    if (!field(Field::Comment).empty())
        simple("NOTE:", Field::Comment);
    begin("UID:");
    // Ours never need escaping; find_first_of would look up every character.
    if (std::none_of(uid.begin(), uid.end(), [](char c) {
            return c == '\\' || c == ',' || c == ';' || c == '\r' || c == '\n';
        }))
        out += uid;
    else
        out += escapeText(uid);
    end();
    out += "END:VCARD\r\n";
}

} // namespace vcq::interop
