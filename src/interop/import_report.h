// SPDX-License-Identifier: GPL-3.0-or-later
// The report of an import (or export): one row per event, in order, with
// counts, savable as text or CSV. Rows carry codes; the front end chooses the
// words in the user's language through a Labels function.
#pragma once

#include "contact_mapping.h"
#include "vcard_reader.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vcq::interop
{

enum class ReportEvent {
    Added,            // the contact was added
    DuplicateSkipped, // not added: the same person is already stored
    BrokenCard,       // skipped: a card (or file) not imported (no END, no name, unknown
                      // CSV header, a reserved last name)
    Transliterated,   // characters replaced to fit the code page
    Cut,              // text cut to a field's maximum
    DroppedData,      // a phone, e-mail or property with no field, or a birth date not carried
    Failed,           // the write failed (disk full, ...): detail says what
    Repaired,         // read with a repair (a charset guessed, a line ignored, ...): a remark
};
inline constexpr int kReportEventCount = 8;

// Stable English code, e.g. "duplicate-skipped".
std::string_view eventName(ReportEvent event);

struct ReportRow {
    std::string sourceFile;
    int cardNumber = 0;      // 1-based card or CSV row; 0 for the file as a whole
    std::string contactName; // UTF-8, may be empty
    ReportEvent event = ReportEvent::Added;
    std::string detail; // UTF-8: codes and data, never prose
    friend bool operator==(const ReportRow &, const ReportRow &) = default;
};

class ImportReport
{
public:
    // Words for the front end: an event's label and the column titles
    // (file, card, name, event, detail).
    struct Labels {
        std::function<std::string(ReportEvent)> event;
        std::array<std::string, 5> columns;
    };
    // English codes: eventName() and "file", "card", "name", "event", "detail".
    static Labels codeLabels();

    void add(ReportRow row);
    void addProblem(const std::string &sourceFile, const ReadProblem &problem);
    // One row per loss; Transliterated/Cut/DroppedData by the loss kind.
    void addLosses(const std::string &sourceFile, int cardNumber, const std::string &name,
                   const std::vector<Loss> &losses);
    void append(const ImportReport &other);
    // Room for this many rows in all, so that a long import does not move them.
    void reserve(std::size_t rows) { m_rows.reserve(rows); }

    const std::vector<ReportRow> &rows() const { return m_rows; }
    int count(ReportEvent event) const { return m_counts[static_cast<int>(event)]; }
    // True when any row is not Added: the command line's exit status 1.
    bool hasRemarks() const;

    // One line per row, tab-separated columns, a title line first.
    std::string toText(const Labels &labels = codeLabels()) const;
    // RFC 4180, UTF-8, CRLF, a header line first.
    std::string toCsv(const Labels &labels = codeLabels()) const;

    friend bool operator==(const ImportReport &, const ImportReport &) = default;

private:
    std::vector<ReportRow> m_rows;
    std::array<int, kReportEventCount> m_counts{};
};

// The report text of a loss: "<kind> <property> <field>: <detail>".
std::string lossDetail(const Loss &loss);
std::string problemDetail(const ReadProblem &problem);

} // namespace vcq::interop
