// SPDX-License-Identifier: GPL-3.0-or-later
// Contacts in CSV (RFC 4180: quoted fields, embedded commas, quotes and line
// breaks; UTF-8 with or without BOM, cp1252, UTF-16). Reading recognises the
// column set from the header line. A row of another program's set becomes a
// card, so it goes through the same mapping and report as a vCard; a row of
// our own set becomes a record directly, every byte of every cell kept.
// Writing uses our own column set.
#pragma once

#include "contact_mapping.h"
#include "store/contact_record.h"
#include "vcard_reader.h"

#include <string>
#include <string_view>
#include <vector>

namespace vcq::interop
{

enum class CsvColumnSet {
    Unknown,
    Webmail,          // "Given Name", "Family Name", "E-mail 1 - Value", "Phone 1 - Type", ...
    MailSuiteEnglish, // "First Name", "Last Name", "Company", "Home Street", ...
    MailSuiteFrench,  // "Prénom", "Nom", "Société", "Rue (domicile)", ...
    MailClient,       // "First Name", "Last Name", "Display Name", "Primary Email", ...
    Own,              // ours: see ownCsvColumns()
};

std::string_view columnSetName(CsvColumnSet set);

// RFC 4180 rows. unclosedQuoteLine is set (1-based) when a quoted field never
// ends; the rows before it are returned.
struct CsvRows {
    std::vector<std::vector<std::string>> rows;
    std::vector<int> lines; // 1-based line where each row starts
    int unclosedQuoteLine = 0;
};
CsvRows parseCsv(std::string_view bytes);

// The column set a header line belongs to (cells compared without regard to
// case and outer blanks).
CsvColumnSet recogniseColumnSet(const std::vector<std::string> &header);

// The columns each known set needs to be recognised, for the message when a
// header is not recognised: one line per set.
std::vector<std::string> expectedColumnsText();

// A row of our own column set, as a record.
struct CsvContact {
    MappedContact mapped;
    int number = 0; // 1-based data row
    int line = 0;
};

struct CsvReadResult {
    CsvColumnSet columnSet = CsvColumnSet::Unknown;
    std::vector<ReadCard> cards;      // another program's set: one per row that has a name
    std::vector<CsvContact> contacts; // our own set: one per row that has a name
    std::vector<ReadProblem> problems;
};

CsvReadResult readCsvContacts(std::string_view bytes);

// Our own column set, in order.
const std::vector<std::string> &ownCsvColumns();

// A header line and one row per contact in our own column set, UTF-8, CRLF.
// Every field is written as stored, the birth date too, partial or not
// ("dd-mm-yy", "  -  -85"; empty when wholly blank).
std::string csvHeaderLine();
void appendCsvContact(std::string &out, const ContactRecord &contact);

// One CSV cell, quoted when it holds a comma, quote, CR or LF.
std::string csvCell(std::string_view text);

} // namespace vcq::interop
