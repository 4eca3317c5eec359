// SPDX-License-Identifier: GPL-3.0-or-later
// The lines of a vCard file and the cards they make: physical lines (LF,
// CR LF or CR CR LF), logical lines (folds, quoted-printable soft breaks,
// and the continuation lines some writers leave without indentation), and
// which of them begin a card, end it, or belong to a card an AGENT embeds.
// The reader and the import's cutting of a file into parts both follow
// this one decision, so a file read in parts is read as the whole file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vcq::interop
{

enum class LineKind {
    Blank,      // nothing but blanks
    Outside,    // text outside any card
    Begin,      // BEGIN:VCARD of a card of the file (a card still open has no end)
    End,        // END:VCARD of the card open
    Property,   // a property of the card open
    AgentBegin, // BEGIN:VCARD right after an AGENT with no value: the card it embeds
    Embedded,   // a line of the card an AGENT embeds, its END included
};

struct LogicalLine {
    std::string_view text;  // unfolded; valid until the next line is asked for
    std::size_t offset = 0; // of its first physical line in the bytes
    int number = 0;         // 1-based physical line number of its first line
    LineKind kind = LineKind::Blank;
    bool tooLarge = false;   // longer than a property may be: text holds its start only
    bool unindented = false; // a continuation line without indentation was joined
};

class CardLines
{
public:
    // bytes: a file from its start (a UTF-8 BOM is skipped) or from a line
    // where one of its cards begins. complete: false when more bytes may
    // follow, so that a line is only handed on once the line after it shows
    // it is whole.
    explicit CardLines(std::string_view bytes, bool complete = true);

    // The next logical line; false at the end of the bytes (or, when they
    // are not complete, where more are needed to go on).
    bool next(LogicalLine &line);

private:
    bool physical(std::string_view &line, std::size_t &start);
    LineKind classify(std::string_view text);

    std::string_view m_in;
    bool m_complete;
    std::size_t m_pos = 0;
    int m_lineNo = 0;
    std::string m_owned; // the logical line once a continuation made it a copy
    // The physical line read ahead, not yet part of a logical line.
    bool m_havePending = false;
    std::string_view m_pending;
    std::size_t m_pendingStart = 0;
    // Where the cards are.
    bool m_inCard = false;
    bool m_agentPending = false; // the property before was an AGENT with no value
    int m_agentDepth = 0;
};

// A run of whole cards of a vCard file, cut just before a line where the
// reader begins a card.
struct CardPart {
    std::string_view bytes;
    int lines = 0;  // line breaks in it
    int begins = 0; // cards begun in it
};

// The first `cards` cards of rest (a file from its start or from a card's
// BEGIN); all of rest when it holds no more, or when it is not complete and
// the cut cannot be known yet. A UTF-16 file is never cut: it is converted
// whole before it is read.
CardPart nextCardPart(std::string_view rest, int cards, bool complete = true);

// Splits s into [group.]NAME, parameters and value as the reader does:
// the offset of the ':' before the value, or npos when the line is no
// property. nameEnd is where the name ends.
std::size_t propertyValueColon(std::string_view line, std::size_t *nameEnd = nullptr);

} // namespace vcq::interop
