// SPDX-License-Identifier: GPL-3.0-or-later
// Reads vCard 2.1, 3.0 and 4.0 files: any number of cards, folded lines, CRLF,
// CR CR LF or LF, a UTF-8 BOM, 2.1's QUOTED-PRINTABLE and CHARSET=, 3.0/4.0 escapes,
// grouped properties and both forms of TYPE. A broken card is reported and
// skipped; the cards after it are still read. Never throws on bad input.
#pragma once

#include "vcard.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vcq::interop
{

// What went wrong while reading a file; the front end words it. Some
// problems skip a card (or the whole file); the others say how a card that
// was read was repaired.
enum class ReadProblemCode {
    NoEnd,              // card not imported: BEGIN:VCARD without END:VCARD
    TextOutsideCard,    // lines outside any card were ignored
    MalformedLine,      // a line with no ':' was ignored; the card was kept
    BadQuotedPrintable, // invalid QUOTED-PRINTABLE: the bytes were kept as written
    BadCharset,         // unknown CHARSET= or bytes not valid in it: read as cp1252/UTF-8
    InvalidUtf8,        // bytes that are not UTF-8 were read as cp1252
    PropertyTooLarge,   // a property over kMaxPropertyBytes was dropped
    UnknownVersion,     // VERSION other than 2.1/3.0/4.0: read as 3.0 (a missing one is fine)
    NoName,             // card not imported: no N, FN, ORG, EMAIL or TEL with any text
    // CSV only
    UnknownCsvHeader, // nothing imported; detail lists the expected columns
    UnclosedQuote,    // a quote never closed: read as a plain character from there on
    WrongColumnCount, // a CSV row with more cells than the header: extra cells ignored
    BadDate,          // a date cell that could not be read: the card kept without it
    JoinedLines,      // continuation lines without indentation joined to the property
};

// True when the card (NoEnd, NoName) or the file (UnknownCsvHeader) was not
// imported; false when what was read was kept, repaired.
bool problemSkipsCard(ReadProblemCode code);

// Stable English code, e.g. "no-end", for logs and saved reports.
std::string_view problemCodeName(ReadProblemCode code);

struct ReadProblem {
    int card = 0; // 1-based card (or CSV row) number in the file; 0 outside any card
    int line = 0; // 1-based line where the problem starts
    ReadProblemCode code = ReadProblemCode::MalformedLine;
    std::string detail; // the property name, the charset, the expected columns, ...
    friend bool operator==(const ReadProblem &, const ReadProblem &) = default;
};

struct ReadCard {
    VCard card;
    int number = 0; // 1-based card (or CSV row) number in the file
    int line = 0;   // line of BEGIN:VCARD (or of the CSV row)
    friend bool operator==(const ReadCard &, const ReadCard &) = default;
};

struct VCardReadResult {
    std::vector<ReadCard> cards; // the cards to import, in file order
    std::vector<ReadProblem> problems;
};

inline constexpr std::size_t kMaxPropertyBytes = 16u * 1024u * 1024u;

VCardReadResult readVCards(std::string_view bytes);

// A part of a file (nextCardPart) that starts after lineOffset lines and
// cardOffset cards: its cards and problems numbered as in the whole file.
void readVCardPart(std::string_view bytes, int lineOffset, int cardOffset,
                   const std::function<void(ReadCard &&)> &onCard,
                   const std::function<void(ReadProblem &&)> &onProblem);

// The same reading, handing each card and problem on as soon as it is read,
// so a large file is never held as cards all at once.
void readVCards(std::string_view bytes, const std::function<void(ReadCard &&)> &onCard,
                const std::function<void(ReadProblem &&)> &onProblem);

} // namespace vcq::interop
