// SPDX-License-Identifier: GPL-3.0-or-later
#include "import_report.h"

#include "csv.h"
#include "field_names.h"

namespace vcq::interop
{

std::string_view eventName(ReportEvent event)
{
    switch (event) {
    case ReportEvent::Added:
        return "added";
    case ReportEvent::DuplicateSkipped:
        return "duplicate-skipped";
    case ReportEvent::BrokenCard:
        return "broken-card";
    case ReportEvent::Transliterated:
        return "transliterated";
    case ReportEvent::Cut:
        return "cut";
    case ReportEvent::DroppedData:
        return "dropped-data";
    case ReportEvent::Failed:
        return "failed";
    case ReportEvent::Repaired:
        return "repaired";
    }
    return "unknown";
}

ImportReport::Labels ImportReport::codeLabels()
{
    return {[](ReportEvent e) { return std::string(eventName(e)); },
            {"file", "card", "name", "event", "detail"}};
}

void ImportReport::add(ReportRow row)
{
    ++m_counts[static_cast<int>(row.event)];
    m_rows.push_back(std::move(row));
}

void ImportReport::addProblem(const std::string &sourceFile, const ReadProblem &problem)
{
    add({sourceFile,
         problem.card,
         {},
         problemSkipsCard(problem.code) ? ReportEvent::BrokenCard : ReportEvent::Repaired,
         problemDetail(problem)});
}

void ImportReport::addLosses(const std::string &sourceFile, int cardNumber, const std::string &name,
                             const std::vector<Loss> &losses)
{
    for (const Loss &loss : losses) {
        ReportEvent event = ReportEvent::DroppedData;
        if (loss.kind == LossKind::Transliterated)
            event = ReportEvent::Transliterated;
        else if (loss.kind == LossKind::Cut)
            event = ReportEvent::Cut;
        else if (loss.kind == LossKind::PhoneMoved)
            event = ReportEvent::Repaired;
        add({sourceFile, cardNumber, name, event, lossDetail(loss)});
    }
}

void ImportReport::append(const ImportReport &other)
{
    for (const ReportRow &row : other.m_rows)
        add(row);
}

bool ImportReport::hasRemarks() const
{
    for (int i = 0; i < kReportEventCount; ++i) {
        if (i != static_cast<int>(ReportEvent::Added) && m_counts[static_cast<std::size_t>(i)] > 0)
            return true;
    }
    return false;
}

namespace
{

std::string cardText(int card)
{
    return card > 0 ? std::to_string(card) : std::string();
}

// Tabs and line breaks inside a cell would break the text table's columns.
std::string oneLine(std::string_view text)
{
    std::string out(text);
    for (char &c : out) {
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    }
    return out;
}

} // namespace

std::string ImportReport::toText(const Labels &labels) const
{
    std::string out;
    auto line = [&](const std::array<std::string, 5> &cells) {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (i > 0)
                out += '\t';
            out += oneLine(cells[i]);
        }
        out += '\n';
    };
    line(labels.columns);
    for (const ReportRow &r : m_rows)
        line(
            {r.sourceFile, cardText(r.cardNumber), r.contactName, labels.event(r.event), r.detail});
    return out;
}

std::string ImportReport::toCsv(const Labels &labels) const
{
    std::string out;
    auto line = [&](const std::array<std::string, 5> &cells) {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (i > 0)
                out += ',';
            out += csvCell(cells[i]);
        }
        out += "\r\n";
    };
    line(labels.columns);
    for (const ReportRow &r : m_rows)
        line(
            {r.sourceFile, cardText(r.cardNumber), r.contactName, labels.event(r.event), r.detail});
    return out;
}

std::string lossDetail(const Loss &loss)
{
    std::string out(lossKindName(loss.kind));
    if (!loss.property.empty()) {
        out += ' ';
        out += loss.property;
    }
    if (loss.field) {
        out += ' ';
        out += fieldName(*loss.field);
    }
    out += ": ";
    out += loss.detail;
    return out;
}

std::string problemDetail(const ReadProblem &problem)
{
    std::string out(problemCodeName(problem.code));
    if (problem.line > 0) {
        out += " line ";
        out += std::to_string(problem.line);
    }
    if (!problem.detail.empty()) {
        out += ": ";
        out += problem.detail;
    }
    return out;
}

} // namespace vcq::interop
