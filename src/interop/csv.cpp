// SPDX-License-Identifier: GPL-3.0-or-later
#include "csv.h"

#include "birth_date.h"
#include "text_util.h"
#include "transliterate.h"

#include <map>
#include <optional>

namespace vcq::interop
{

using namespace detail;

std::string_view columnSetName(CsvColumnSet set)
{
    switch (set) {
    case CsvColumnSet::Unknown:
        return "unknown";
    case CsvColumnSet::Webmail:
        return "webmail";
    case CsvColumnSet::MailSuiteEnglish:
        return "mail-suite-en";
    case CsvColumnSet::MailSuiteFrench:
        return "mail-suite-fr";
    case CsvColumnSet::MailClient:
        return "mail-client";
    case CsvColumnSet::Own:
        return "vellora";
    }
    return "unknown";
}

// ---------------------------------------------------------------- RFC 4180

namespace
{

char detectDelimiter(std::string_view bytes)
{
    // French spreadsheets write ';' between cells: count both on the header line.
    int commas = 0, semicolons = 0;
    bool quoted = false;
    for (char c : bytes) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == '\n' || c == '\r'))
            break;
        else if (!quoted && c == ',')
            ++commas;
        else if (!quoted && c == ';')
            ++semicolons;
    }
    return semicolons > commas ? ';' : ',';
}

} // namespace

CsvRows parseCsv(std::string_view in)
{
    CsvRows out;
    if (in.substr(0, 3) == "\xEF\xBB\xBF")
        in.remove_prefix(3);
    const char sep = detectDelimiter(in);
    std::size_t i = 0;
    int line = 1;
    bool noClosingQuote = false; // once a quote ran to the end, later ones would too
    std::vector<std::string> row;
    std::string cell;
    int rowLine = 1;
    bool rowHasContent = false;

    auto endRow = [&] {
        row.push_back(std::move(cell));
        cell.clear();
        out.rows.push_back(std::move(row));
        out.lines.push_back(rowLine);
        row.clear();
        rowHasContent = false;
    };

    while (i < in.size()) {
        if (!rowHasContent) {
            rowLine = line;
            rowHasContent = true;
        }
        const char c = in[i];
        if (c == '"' && cell.empty() && !noClosingQuote) {
            // A quoted cell: "" is a quote, the cell ends at a lone quote.
            std::size_t j = i + 1;
            std::string value;
            int lines = 0;
            bool closed = false;
            while (j < in.size()) {
                if (in[j] == '"') {
                    if (j + 1 < in.size() && in[j + 1] == '"') {
                        value += '"';
                        j += 2;
                        continue;
                    }
                    closed = true;
                    ++j;
                    break;
                }
                if (in[j] == '\n')
                    ++lines;
                value += in[j++];
            }
            if (closed) {
                cell = std::move(value);
                line += lines;
                i = j;
                // Text between the closing quote and the separator is kept.
                while (i < in.size() && in[i] != sep && in[i] != '\n' && in[i] != '\r')
                    cell += in[i++];
                continue;
            }
            // Never closed: report it and read the quote as a plain character.
            if (out.unclosedQuoteLine == 0)
                out.unclosedQuoteLine = line;
            noClosingQuote = true;
            cell += c;
            ++i;
            continue;
        }
        if (c == sep) {
            row.push_back(std::move(cell));
            cell.clear();
            ++i;
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < in.size() && in[i + 1] == '\n')
                ++i;
            ++i;
            endRow();
            ++line;
        } else {
            cell += c;
            ++i;
        }
    }
    if (rowHasContent)
        endRow();
    return out;
}

std::string csvCell(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
    return out;
}

// ---------------------------------------------------------------- column sets

namespace
{

enum class Role {
    Ignore,
    LastName,
    FirstName,
    MiddleName,
    Prefix,
    Suffix,
    DisplayName,
    Nickname,
    Org,
    Dept,
    JobTitle,
    Street,
    Street2,
    PoBox,
    Extended,
    City,
    Region,
    Zip,
    Country,
    FormattedAddress,
    AddressType,
    Phone,
    PhoneType,
    Email,
    EmailType,
    Birthday,
    BirthYear,
    BirthMonth,
    BirthDay,
    StoredBirth,
    Categories,
    GroupMembership,
    Notes,
    Url,
};

struct Column {
    std::string_view header;
    Role role;
    std::string_view kind = {}; // phone type, or address "home"/"work"
};

// Ours: the record's 16 fields in the order the edit form fills a record.
const std::vector<Column> &ownSet()
{
    static const std::vector<Column> set = {
        {"Last Name", Role::LastName},
        {"First Name", Role::FirstName},
        {"Organisation", Role::Org},
        {"Address", Role::Street, "home"},
        {"City", Role::City, "home"},
        {"Zip", Role::Zip, "home"},
        {"State", Role::Region, "home"},
        {"Country", Role::Country, "home"},
        {"Home Phone", Role::Phone, "home"},
        {"Work Phone", Role::Phone, "work"},
        {"Other Phone", Role::Phone, "cell"},
        {"Fax/Data Phone", Role::Phone, "fax"},
        {"E-mail", Role::Email},
        {"Comments", Role::Notes},
        {"Birth Date", Role::StoredBirth},
        {"Status", Role::Categories},
    };
    return set;
}

const std::vector<Column> &mailSuiteEnglish()
{
    static const std::vector<Column> set = {
        {"Title", Role::Prefix},
        {"First Name", Role::FirstName},
        {"Middle Name", Role::MiddleName},
        {"Last Name", Role::LastName},
        {"Suffix", Role::Suffix},
        {"Company", Role::Org},
        {"Department", Role::Dept},
        {"Job Title", Role::JobTitle},
        {"Business Street", Role::Street, "work"},
        {"Business Street 2", Role::Street2, "work"},
        {"Business City", Role::City, "work"},
        {"Business State", Role::Region, "work"},
        {"Business Postal Code", Role::Zip, "work"},
        {"Business Country/Region", Role::Country, "work"},
        {"Home Street", Role::Street, "home"},
        {"Home Street 2", Role::Street2, "home"},
        {"Home City", Role::City, "home"},
        {"Home State", Role::Region, "home"},
        {"Home Postal Code", Role::Zip, "home"},
        {"Home Country/Region", Role::Country, "home"},
        {"Business Fax", Role::Phone, "fax"},
        {"Business Phone", Role::Phone, "work"},
        {"Business Phone 2", Role::Phone, "work"},
        {"Home Fax", Role::Phone, "fax"},
        {"Home Phone", Role::Phone, "home"},
        {"Home Phone 2", Role::Phone, "home"},
        {"Mobile Phone", Role::Phone, "cell"},
        {"Other Phone", Role::Phone, "voice"},
        {"Pager", Role::Phone, "pager"},
        {"E-mail Address", Role::Email},
        {"E-mail 2 Address", Role::Email},
        {"E-mail 3 Address", Role::Email},
        {"Birthday", Role::Birthday, "m/d/y"},
        {"Categories", Role::Categories, ";"},
        {"Notes", Role::Notes},
        {"Web Page", Role::Url},
        // What the suite writes about every contact, not data of the person.
        {"E-mail Type", Role::Ignore},
        {"E-mail Display Name", Role::Ignore},
        {"E-mail 2 Type", Role::Ignore},
        {"E-mail 2 Display Name", Role::Ignore},
        {"E-mail 3 Type", Role::Ignore},
        {"E-mail 3 Display Name", Role::Ignore},
        {"Gender", Role::Ignore},
        {"Initials", Role::Ignore},
        {"Priority", Role::Ignore},
        {"Private", Role::Ignore},
        {"Sensitivity", Role::Ignore},
    };
    return set;
}

const std::vector<Column> &mailSuiteFrench()
{
    static const std::vector<Column> set = {
        {"Titre", Role::Prefix},
        {"Prénom", Role::FirstName},
        {"Deuxième prénom", Role::MiddleName},
        {"Nom", Role::LastName},
        {"Suffixe", Role::Suffix},
        {"Société", Role::Org},
        {"Service", Role::Dept},
        {"Fonction", Role::JobTitle},
        {"Rue (bureau)", Role::Street, "work"},
        {"Rue (bureau) 2", Role::Street2, "work"},
        {"Ville (bureau)", Role::City, "work"},
        {"Dép/Région (bureau)", Role::Region, "work"},
        {"Code postal (bureau)", Role::Zip, "work"},
        {"Pays/Région (bureau)", Role::Country, "work"},
        {"Rue (domicile)", Role::Street, "home"},
        {"Rue (domicile) 2", Role::Street2, "home"},
        {"Ville (domicile)", Role::City, "home"},
        {"Dép/Région (domicile)", Role::Region, "home"},
        {"Code postal (domicile)", Role::Zip, "home"},
        {"Pays/Région (domicile)", Role::Country, "home"},
        {"Télécopie (bureau)", Role::Phone, "fax"},
        {"Téléphone (bureau)", Role::Phone, "work"},
        {"Téléphone 2 (bureau)", Role::Phone, "work"},
        {"Télécopie (domicile)", Role::Phone, "fax"},
        {"Téléphone (domicile)", Role::Phone, "home"},
        {"Téléphone 2 (domicile)", Role::Phone, "home"},
        {"Tél. mobile", Role::Phone, "cell"},
        {"Autre téléphone", Role::Phone, "voice"},
        {"Récepteur de radiomessagerie", Role::Phone, "pager"},
        {"Adresse de messagerie", Role::Email},
        {"Adresse de messagerie 2", Role::Email},
        {"Adresse de messagerie 3", Role::Email},
        {"Anniversaire", Role::Birthday, "d/m/y"},
        {"Catégories", Role::Categories, ";"},
        {"Notes", Role::Notes},
        {"Page Web", Role::Url},
        {"Type de messagerie", Role::Ignore},
        {"Nom complet de l'adresse de messagerie", Role::Ignore},
        {"Type de messagerie 2", Role::Ignore},
        {"Nom complet de l'adresse de messagerie 2", Role::Ignore},
        {"Type de messagerie 3", Role::Ignore},
        {"Nom complet de l'adresse de messagerie 3", Role::Ignore},
        {"Sexe", Role::Ignore},
        {"Initiales", Role::Ignore},
        {"Priorité", Role::Ignore},
        {"Privé", Role::Ignore},
        {"Critère de diffusion", Role::Ignore},
    };
    return set;
}

const std::vector<Column> &mailClient()
{
    static const std::vector<Column> set = {
        {"First Name", Role::FirstName},
        {"Last Name", Role::LastName},
        {"Display Name", Role::DisplayName},
        {"Nickname", Role::Nickname},
        {"Primary Email", Role::Email},
        {"Secondary Email", Role::Email},
        {"Work Phone", Role::Phone, "work"},
        {"Home Phone", Role::Phone, "home"},
        {"Fax Number", Role::Phone, "fax"},
        {"Pager Number", Role::Phone, "pager"},
        {"Mobile Number", Role::Phone, "cell"},
        {"Home Address", Role::Street, "home"},
        {"Home Address 2", Role::Street2, "home"},
        {"Home City", Role::City, "home"},
        {"Home State", Role::Region, "home"},
        {"Home ZipCode", Role::Zip, "home"},
        {"Home Country", Role::Country, "home"},
        {"Work Address", Role::Street, "work"},
        {"Work Address 2", Role::Street2, "work"},
        {"Work City", Role::City, "work"},
        {"Work State", Role::Region, "work"},
        {"Work ZipCode", Role::Zip, "work"},
        {"Work Country", Role::Country, "work"},
        {"Job Title", Role::JobTitle},
        {"Department", Role::Dept},
        {"Organization", Role::Org},
        {"Web Page 1", Role::Url},
        {"Web Page 2", Role::Url},
        {"Birth Year", Role::BirthYear},
        {"Birth Month", Role::BirthMonth},
        {"Birth Day", Role::BirthDay},
        {"Notes", Role::Notes},
    };
    return set;
}

// The webmail numbers its repeated columns: "Phone 2 - Value", "Address 1 - City".
const std::vector<Column> &webmailFixed()
{
    static const std::vector<Column> set = {
        {"Name", Role::DisplayName},
        {"Given Name", Role::FirstName},
        {"Additional Name", Role::MiddleName},
        {"Family Name", Role::LastName},
        {"Name Prefix", Role::Prefix},
        {"Name Suffix", Role::Suffix},
        {"Nickname", Role::Nickname},
        {"Birthday", Role::Birthday, "iso"},
        {"Notes", Role::Notes},
        {"Group Membership", Role::GroupMembership},
        {"Yomi Name", Role::Ignore},
        {"Given Name Yomi", Role::Ignore},
        {"Additional Name Yomi", Role::Ignore},
        {"Family Name Yomi", Role::Ignore},
        {"Initials", Role::Ignore},
        {"Short Name", Role::Ignore},
        {"Maiden Name", Role::Ignore},
        {"Gender", Role::Ignore},
        {"Location", Role::Ignore},
        {"Billing Information", Role::Ignore},
        {"Directory Server", Role::Ignore},
        {"Mileage", Role::Ignore},
        {"Occupation", Role::Ignore},
        {"Hobby", Role::Ignore},
        {"Sensitivity", Role::Ignore},
        {"Priority", Role::Ignore},
        {"Subject", Role::Ignore},
    };
    return set;
}

std::string normalHeader(std::string_view h)
{
    return toLowerAscii(trimBlanks(h));
}

bool hasColumns(const std::vector<std::string> &header,
                std::initializer_list<std::string_view> names)
{
    for (std::string_view name : names) {
        bool found = false;
        for (const std::string &h : header) {
            if (normalHeader(h) == normalHeader(name)) {
                found = true;
                break;
            }
        }
        if (!found)
            return false;
    }
    return true;
}

bool hasAny(const std::vector<std::string> &header, std::initializer_list<std::string_view> names)
{
    for (std::string_view name : names) {
        if (hasColumns(header, {name}))
            return true;
    }
    return false;
}

} // namespace

CsvColumnSet recogniseColumnSet(const std::vector<std::string> &header)
{
    if (hasColumns(header,
                   {"Last Name", "First Name", "Organisation", "Fax/Data Phone", "Birth Date"}))
        return CsvColumnSet::Own;
    if (hasColumns(header, {"First Name", "Last Name", "Primary Email"}))
        return CsvColumnSet::MailClient;
    if (hasColumns(header, {"Given Name", "Family Name"}))
        return CsvColumnSet::Webmail;
    if (hasColumns(header, {"Prénom", "Nom"}))
        return CsvColumnSet::MailSuiteFrench;
    if (hasColumns(header, {"First Name", "Last Name"}) &&
        hasAny(header, {"E-mail Address", "Company", "Home Street", "Business Phone", "Home Phone",
                        "Mobile Phone"}))
        return CsvColumnSet::MailSuiteEnglish;
    return CsvColumnSet::Unknown;
}

std::vector<std::string> expectedColumnsText()
{
    return {
        "vellora: Last Name, First Name, Organisation, Address, City, Zip, State, Country, "
        "Home Phone, Work Phone, Other Phone, Fax/Data Phone, E-mail, Comments, Birth Date, Status",
        "webmail: Given Name, Family Name, E-mail 1 - Value, Phone 1 - Type, Phone 1 - Value, "
        "Address 1 - Street, ...",
        "mail-suite-en: First Name, Last Name, Company, Home Street, Home City, Home Postal Code, "
        "Home Country/Region, Business Phone, Home Phone, Mobile Phone, Business Fax, "
        "E-mail Address, Birthday, Categories, Notes, ...",
        "mail-suite-fr: Prénom, Nom, Société, Rue (domicile), Ville (domicile), "
        "Code postal (domicile), Pays/Région (domicile), Téléphone (domicile), "
        "Téléphone (bureau), Tél. mobile, Télécopie (bureau), Adresse de messagerie, "
        "Anniversaire, Catégories, Notes, ...",
        "mail-client: First Name, Last Name, Display Name, Primary Email, Work Phone, Home Phone, "
        "Mobile Number, Fax Number, Home Address, Home City, Home ZipCode, Home Country, ...",
    };
}

const std::vector<std::string> &ownCsvColumns()
{
    static const std::vector<std::string> columns = [] {
        std::vector<std::string> c;
        for (const Column &col : ownSet())
            c.emplace_back(col.header);
        return c;
    }();
    return columns;
}

// ---------------------------------------------------------------- rows to cards

namespace
{

constexpr std::string_view kMultiValue = " ::: ";

std::vector<std::string> splitMulti(const std::string &cell)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t pos = cell.find(kMultiValue, start);
        const std::string part(trimBlanks(std::string_view(cell).substr(start, pos - start)));
        if (!part.empty())
            out.push_back(part);
        if (pos == std::string::npos)
            break;
        start = pos + kMultiValue.size();
    }
    return out;
}

// Three numbers split by '/', '-' or '.', or two and a final separator (no
// year: parts[2] is -1); false for anything else.
bool splitDate(std::string_view s, int parts[3])
{
    int count = 0;
    int value = -1;
    for (char c : s) {
        if (c >= '0' && c <= '9') {
            value = (value < 0 ? 0 : value * 10) + (c - '0');
            if (value > 9999)
                return false;
        } else if (c == '/' || c == '-' || c == '.') {
            if (value < 0 || count == 2)
                return false;
            parts[count++] = value;
            value = -1;
        } else {
            return false;
        }
    }
    if (count != 2)
        return false;
    parts[2] = value;
    return true;
}

// The stored form of a birth date, partial or impossible as the edit form
// lets it be: two characters, '-', two, '-', two, each a digit or a blank.
bool isStoredBirthText(std::string_view text)
{
    if (text.size() != 8 || text[2] != '-' || text[5] != '-')
        return false;
    for (std::size_t i : {0, 1, 3, 4, 6, 7}) {
        if (text[i] != ' ' && (text[i] < '0' || text[i] > '9'))
            return false;
    }
    return true;
}

std::string isoDate(int day, int month, int year)
{
    char buf[48];
    if (year < 0)
        std::snprintf(buf, sizeof buf, "--%02d%02d", month, day);
    else
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", year, month, day);
    return buf;
}

struct CsvDate {
    bool valid = false;
    bool none = false; // the suites' way of writing no date: 0/0/00
    std::string bday;  // a BDAY value
};

// A date cell: ISO 8601 in any column (1985-07-14, 19850714, --07-14), a
// four-digit year first (1985/07/14), else day, month and year in the
// column's order ("m/d/y", or "d/m/y" as our own "dd-mm-yy" and "dd-mm-  ").
CsvDate csvDate(std::string_view cell, std::string_view order)
{
    CsvDate out;
    const std::string_view text = trimBlanks(cell);
    if (birthDateFromVCard(text)) {
        out.valid = true;
        out.bday = std::string(text);
        return out;
    }
    int p[3];
    if (!splitDate(text, p))
        return out;
    const bool yearFirst = text.find_first_not_of("0123456789") == 4;
    int day = yearFirst ? p[2] : order == "m/d/y" ? p[1] : p[0];
    int month = yearFirst || order != "m/d/y" ? p[1] : p[0];
    int year = yearFirst ? p[0] : p[2];
    if (!yearFirst && day == 0 && month == 0) {
        out.none = true;
        return out;
    }
    if (!yearFirst && year >= 0 && year < 100)
        year = expandYear(year, currentYear());
    if (storedBirthDate(day, month, year)) {
        out.valid = true;
        out.bday = isoDate(day, month, year);
    }
    return out;
}

struct Address {
    std::string type;
    std::array<std::string, 7> parts; // ADR components
    std::string street2;
    std::string formatted;
};

class RowBuilder
{
public:
    std::array<std::string, 5> n;
    std::string fn, nickname, org, dept, title, notes;
    std::vector<std::string> categories, urls;
    std::map<std::string, Address> addresses; // by key, in key order
    std::vector<std::string> addressOrder;
    std::vector<std::pair<std::string, std::string>> tels; // value, type
    std::vector<std::pair<std::string, bool>> emails;      // value, preferred
    std::string bday;
    int birthYear = -1, birthMonth = -1, birthDay = -1;
    std::vector<std::pair<std::string, std::string>> extras; // column, value
    bool badDate = false;
    std::string badDateText;

    Address &address(const std::string &key)
    {
        auto [it, inserted] = addresses.try_emplace(key);
        if (inserted)
            addressOrder.push_back(key);
        return it->second;
    }

    void apply(const Column &col, const std::string &header, const std::string &cell)
    {
        if (trimBlanks(cell).empty())
            return;
        switch (col.role) {
        case Role::Ignore:
            break;
        case Role::LastName:
            n[0] = cell;
            break;
        case Role::FirstName:
            n[1] = cell;
            break;
        case Role::MiddleName:
            n[2] = cell;
            break;
        case Role::Prefix:
            n[3] = cell;
            break;
        case Role::Suffix:
            n[4] = cell;
            break;
        case Role::DisplayName:
            fn = cell;
            break;
        case Role::Nickname:
            nickname = cell;
            break;
        case Role::Org:
            org = cell;
            break;
        case Role::Dept:
            dept = cell;
            break;
        case Role::JobTitle:
            title = cell;
            break;
        case Role::Street:
            address(std::string(col.kind)).parts[2] = cell;
            address(std::string(col.kind)).type = col.kind;
            break;
        case Role::Street2:
            address(std::string(col.kind)).street2 = cell;
            address(std::string(col.kind)).type = col.kind;
            break;
        case Role::City:
            address(std::string(col.kind)).parts[3] = cell;
            address(std::string(col.kind)).type = col.kind;
            break;
        case Role::Region:
            address(std::string(col.kind)).parts[4] = cell;
            address(std::string(col.kind)).type = col.kind;
            break;
        case Role::Zip:
            address(std::string(col.kind)).parts[5] = cell;
            address(std::string(col.kind)).type = col.kind;
            break;
        case Role::Country:
            address(std::string(col.kind)).parts[6] = cell;
            address(std::string(col.kind)).type = col.kind;
            break;
        case Role::PoBox:
        case Role::Extended:
        case Role::FormattedAddress:
        case Role::AddressType:
        case Role::PhoneType:
        case Role::EmailType:
            break; // numbered webmail columns, handled by the caller
        case Role::Phone:
            for (const std::string &v : splitMulti(cell))
                tels.emplace_back(v, std::string(col.kind));
            break;
        case Role::Email:
            for (const std::string &v : splitMulti(cell))
                emails.emplace_back(v, false);
            break;
        case Role::Birthday:
            birthday(cell, col.kind);
            break;
        case Role::BirthYear:
            birthYear = std::atoi(cell.c_str());
            break;
        case Role::BirthMonth:
            birthMonth = std::atoi(cell.c_str());
            break;
        case Role::BirthDay:
            birthDay = std::atoi(cell.c_str());
            break;
        case Role::StoredBirth:
            birthday(cell, "d/m/y");
            break;
        case Role::Categories:
            // The suites separate categories with ';'; our own cell is one status.
            if (col.kind.empty()) {
                categories.push_back(cell);
            } else {
                for (const std::string &part : splitEscaped(cell, col.kind[0])) {
                    if (!trimBlanks(part).empty())
                        categories.emplace_back(trimBlanks(part));
                }
            }
            break;
        case Role::GroupMembership:
            // "* myContacts" and the like are the webmail's own groups.
            for (const std::string &g : splitMulti(cell)) {
                if (g.rfind("* ", 0) != 0)
                    categories.push_back(g);
            }
            break;
        case Role::Notes:
            notes = cell;
            break;
        case Role::Url:
            for (const std::string &v : splitMulti(cell))
                urls.push_back(v);
            break;
        }
        (void)header;
    }

    void markBadDate(const std::string &cell)
    {
        badDate = true;
        badDateText = cell;
    }

    void birthday(const std::string &cell, std::string_view format)
    {
        const CsvDate date = csvDate(cell, format);
        if (date.valid)
            bday = date.bday;
        else if (!date.none)
            markBadDate(cell);
    }

    void finishBirthParts()
    {
        if (birthMonth <= 0 && birthDay <= 0)
            return;
        const int year = birthYear > 0 ? birthYear : -1;
        if (storedBirthDate(birthDay, birthMonth, year))
            bday = isoDate(birthDay, birthMonth, year);
        else
            markBadDate(std::to_string(birthYear) + "-" + std::to_string(birthMonth) + "-" +
                        std::to_string(birthDay));
    }

    VCard card() const
    {
        VCard c;
        c.version = VCardVersion::V40;
        c.add(makeProperty("N", {n[0], n[1], n[2], n[3], n[4]}));
        if (!fn.empty())
            c.add(makeProperty("FN", {fn}));
        if (!nickname.empty())
            c.add(makeProperty("NICKNAME", {nickname}));
        if (!org.empty() || !dept.empty()) {
            VCardProperty p = makeProperty("ORG", {org});
            if (!dept.empty())
                p.values.push_back(dept);
            c.add(std::move(p));
        }
        if (!title.empty())
            c.add(makeProperty("TITLE", {title}));
        for (const std::string &key : addressOrder) {
            const Address &a = addresses.at(key);
            std::vector<std::string> parts(a.parts.begin(), a.parts.end());
            if (!a.street2.empty())
                parts[2] = parts[2].empty() ? a.street2 : parts[2] + ", " + a.street2;
            bool any = false;
            for (const std::string &part : parts)
                any = any || !part.empty();
            if (!any && !a.formatted.empty()) {
                parts[2] = a.formatted;
                any = true;
            }
            if (any)
                c.add(makeProperty("ADR", parts,
                                   a.type.empty() ? std::vector<std::string>{}
                                                  : std::vector<std::string>{a.type}));
        }
        for (const auto &[value, type] : tels)
            c.add(makeProperty("TEL", {value},
                               type.empty() ? std::vector<std::string>{}
                                            : std::vector<std::string>{type}));
        for (const auto &[value, pref] : emails) {
            VCardProperty p = makeProperty("EMAIL", {value});
            if (pref)
                p.parameters.push_back({"PREF", {"1"}});
            c.add(std::move(p));
        }
        if (!bday.empty())
            c.add(makeProperty("BDAY", {bday}));
        if (!categories.empty())
            c.add(makeProperty("CATEGORIES", categories));
        if (!notes.empty())
            c.add(makeProperty("NOTE", {notes}));
        for (const std::string &u : urls)
            c.add(makeProperty("URL", {u}));
        for (const auto &[column, value] : extras) {
            std::string name = "X-";
            for (char ch : column) {
                const bool alnum = (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') ||
                                   (ch >= '0' && ch <= '9');
                name += alnum ? static_cast<char>(ch >= 'a' && ch <= 'z' ? ch - 32 : ch) : '-';
            }
            c.add(makeProperty(name, {value}));
        }
        return c;
    }

    bool hasName() const
    {
        for (const std::string &s : {n[0], n[1], fn, org})
            if (!trimBlanks(s).empty())
                return true;
        return !emails.empty() || !tels.empty();
    }
};

// "Phone 2 - Value" -> kind "Phone", number "2", part "Value".
bool splitNumbered(std::string_view header, std::string &kind, std::string &number,
                   std::string &part)
{
    const std::size_t dash = header.find(" - ");
    if (dash == std::string_view::npos)
        return false;
    const std::string_view left = header.substr(0, dash);
    const std::size_t space = left.rfind(' ');
    if (space == std::string_view::npos)
        return false;
    number = std::string(left.substr(space + 1));
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos)
        return false;
    kind = toLowerAscii(left.substr(0, space));
    part = toLowerAscii(trimBlanks(header.substr(dash + 3)));
    return true;
}

std::string webmailPhoneType(std::string type)
{
    type = toLowerAscii(trimBlanks(type));
    if (type.rfind("* ", 0) == 0)
        type.erase(0, 2);
    if (type.find("fax") != std::string::npos)
        return "fax";
    if (type == "mobile")
        return "cell";
    if (type == "home" || type == "work" || type == "pager")
        return type;
    return "voice";
}

void applyWebmailNumbered(RowBuilder &b, const std::vector<std::string> &header,
                          const std::vector<std::string> &row, std::vector<bool> &used)
{
    // Collect per "kind number" the parts of the group, then build them.
    struct Group {
        std::map<std::string, std::string> parts;
    };
    std::map<std::pair<std::string, int>, Group> groups;
    for (std::size_t i = 0; i < header.size(); ++i) {
        std::string kind, number, part;
        if (!splitNumbered(header[i], kind, number, part))
            continue;
        used[i] = true;
        const std::string cell = i < row.size() ? row[i] : std::string();
        groups[{kind, std::atoi(number.c_str())}].parts[part] = cell;
    }
    // Not a structured binding: clang before 16 cannot capture one.
    for (auto &entry : groups) {
        const auto &key = entry.first;
        const Group &group = entry.second;
        const std::string &kind = key.first;
        auto part = [&](const char *name) {
            const auto it = group.parts.find(name);
            return it == group.parts.end() ? std::string() : it->second;
        };
        if (kind == "e-mail") {
            const bool pref = part("type").rfind("* ", 0) == 0;
            for (const std::string &v : splitMulti(part("value")))
                b.emails.emplace_back(v, pref);
        } else if (kind == "phone") {
            const std::string type = webmailPhoneType(part("type"));
            for (const std::string &v : splitMulti(part("value")))
                b.tels.emplace_back(v, type);
        } else if (kind == "address") {
            Address &a = b.address("webmail-" + std::to_string(key.second));
            std::string type = toLowerAscii(trimBlanks(part("type")));
            if (type.rfind("* ", 0) == 0)
                type.erase(0, 2);
            a.type = (type == "home" || type == "work") ? type : "";
            a.parts[0] = part("po box");
            a.parts[1] = part("extended address");
            a.parts[2] = part("street");
            a.parts[3] = part("city");
            a.parts[4] = part("region");
            a.parts[5] = part("postal code");
            a.parts[6] = part("country");
            a.formatted = part("formatted");
        } else if (kind == "organization") {
            if (b.org.empty()) {
                b.org = part("name");
                b.dept = part("department");
                b.title = part("title");
            }
        } else if (kind == "website") {
            for (const std::string &v : splitMulti(part("value")))
                b.urls.push_back(v);
        } else {
            for (const auto &[name, value] : group.parts) {
                if (!trimBlanks(value).empty() && name != "type")
                    b.extras.emplace_back(kind + " " + std::to_string(key.second) + " " + name,
                                          value);
            }
        }
    }
}

const std::vector<Column> &columnsOf(CsvColumnSet set)
{
    switch (set) {
    case CsvColumnSet::Own:
        return ownSet();
    case CsvColumnSet::MailSuiteEnglish:
        return mailSuiteEnglish();
    case CsvColumnSet::MailSuiteFrench:
        return mailSuiteFrench();
    case CsvColumnSet::MailClient:
        return mailClient();
    case CsvColumnSet::Webmail:
    case CsvColumnSet::Unknown:
        break;
    }
    return webmailFixed();
}

bool rowIsEmpty(const std::vector<std::string> &row)
{
    for (const std::string &cell : row) {
        if (!trimBlanks(cell).empty())
            return false;
    }
    return true;
}

// A row of our own set straight to a record, every byte of every cell kept:
// no cell trimmed, split or left out for being blank. nullopt for a row with
// no last name, which goes the way of any other set's rows.
std::optional<MappedContact> ownRow(const std::vector<std::string> &header,
                                    const std::vector<int> &roleOf,
                                    const std::vector<std::string> &row, int number, int line,
                                    std::vector<ReadProblem> &problems)
{
    std::array<std::string, kContactFieldCount> texts;
    std::array<std::string_view, kContactFieldCount> sources;
    for (std::size_t i = 0; i < header.size() && i < row.size(); ++i) {
        if (roleOf[i] < 0)
            continue;
        const Field f = kContactFields[static_cast<std::size_t>(roleOf[i])];
        texts[static_cast<std::size_t>(f)] = row[i];
        sources[static_cast<std::size_t>(f)] = header[i];
    }
    if (trimBlanks(texts[static_cast<std::size_t>(Field::LastName)]).empty())
        return std::nullopt;
    std::string &birth = texts[static_cast<std::size_t>(Field::Birth)];
    if (!isStoredBirthText(birth) && !trimBlanks(birth).empty()) {
        // Changed in a spreadsheet, perhaps: read as a date if it is one.
        const CsvDate date = csvDate(birth, "d/m/y");
        const auto stored = date.valid ? birthDateFromVCard(date.bday) : std::nullopt;
        if (!stored && !date.none)
            problems.push_back({number, line, ReadProblemCode::BadDate, birth});
        birth = stored.value_or(std::string());
    }
    return textsToContact(texts, sources);
}

} // namespace

CsvReadResult readCsvContacts(std::string_view bytes)
{
    CsvReadResult result;
    std::string converted;
    if (utf16ToUtf8(bytes, converted)) {
        bytes = converted;
        // A UTF-8 byte order mark says nothing of what follows it: a
        // spreadsheet may put one before Western text.
    } else if (bytes.starts_with("\xEF\xBB\xBF") && !isValidUtf8(bytes.substr(3))) {
        converted = cp1252ToUtf8(bytes.substr(3));
        bytes = converted;
        result.problems.push_back({0, 0, ReadProblemCode::InvalidUtf8, ""});
    } else if (!isValidUtf8(bytes)) {
        // Mail suites write the system's code page: read it as cp1252.
        converted = cp1252ToUtf8(bytes);
        bytes = converted;
        result.problems.push_back({0, 0, ReadProblemCode::InvalidUtf8, ""});
    }
    CsvRows rows = parseCsv(bytes);
    std::size_t first = 0;
    while (first < rows.rows.size() && rowIsEmpty(rows.rows[first]))
        ++first;
    if (first == rows.rows.size()) {
        result.problems.push_back({0, 1, ReadProblemCode::UnknownCsvHeader, ""});
        return result;
    }
    const std::vector<std::string> &header = rows.rows[first];
    result.columnSet = recogniseColumnSet(header);
    if (result.columnSet == CsvColumnSet::Unknown) {
        std::string expected;
        for (const std::string &line : expectedColumnsText())
            expected += (expected.empty() ? "" : "\n") + line;
        result.problems.push_back(
            {0, rows.lines[first], ReadProblemCode::UnknownCsvHeader, expected});
        return result;
    }
    if (rows.unclosedQuoteLine > 0)
        result.problems.push_back({0, rows.unclosedQuoteLine, ReadProblemCode::UnclosedQuote, ""});

    // Each header cell to its column of the set; -1 when the set has none.
    const std::vector<Column> &columns = columnsOf(result.columnSet);
    std::vector<int> roleOf(header.size(), -1);
    for (std::size_t i = 0; i < header.size(); ++i) {
        for (std::size_t k = 0; k < columns.size(); ++k) {
            if (normalHeader(header[i]) == normalHeader(columns[k].header)) {
                roleOf[i] = static_cast<int>(k);
                break;
            }
        }
    }

    int number = 0;
    for (std::size_t r = first + 1; r < rows.rows.size(); ++r) {
        const std::vector<std::string> &row = rows.rows[r];
        if (rowIsEmpty(row))
            continue;
        ++number;
        const int line = rows.lines[r];
        // Cells past the header's are ignored; only text there is worth a word
        // (some programs end every row with a comma).
        for (std::size_t i = header.size(); i < row.size(); ++i) {
            if (!trimBlanks(row[i]).empty()) {
                result.problems.push_back(
                    {number, line, ReadProblemCode::WrongColumnCount,
                     std::to_string(row.size()) + "/" + std::to_string(header.size())});
                break;
            }
        }
        if (result.columnSet == CsvColumnSet::Own) {
            if (std::optional<MappedContact> own =
                    ownRow(header, roleOf, row, number, line, result.problems)) {
                result.contacts.push_back({std::move(*own), number, line});
                continue;
            }
        }
        RowBuilder b;
        std::vector<bool> used(header.size(), false);
        if (result.columnSet == CsvColumnSet::Webmail)
            applyWebmailNumbered(b, header, row, used);
        for (std::size_t i = 0; i < header.size() && i < row.size(); ++i) {
            if (used[i])
                continue;
            if (roleOf[i] >= 0)
                b.apply(columns[static_cast<std::size_t>(roleOf[i])], header[i], row[i]);
            else if (!trimBlanks(row[i]).empty())
                b.extras.emplace_back(header[i], row[i]);
        }
        b.finishBirthParts();
        if (b.badDate)
            result.problems.push_back({number, line, ReadProblemCode::BadDate, b.badDateText});
        if (!b.hasName()) {
            result.problems.push_back({number, line, ReadProblemCode::NoName, ""});
            continue;
        }
        result.cards.push_back({b.card(), number, line});
    }
    return result;
}

// ---------------------------------------------------------------- writing

std::string csvHeaderLine()
{
    std::string out;
    for (const std::string &c : ownCsvColumns()) {
        if (!out.empty())
            out += ',';
        out += csvCell(c);
    }
    out += "\r\n";
    return out;
}

void appendCsvContact(std::string &out, const ContactRecord &contact)
{
    bool firstCell = true;
    for (Field f : kContactFields) {
        if (!firstCell)
            out += ',';
        firstCell = false;
        std::string_view value = contact.view(f);
        if (f == Field::Birth && value == kBlankBirthDate)
            value = {};
        out += csvCell(cp1252ToUtf8(value));
    }
    out += "\r\n";
}

} // namespace vcq::interop
