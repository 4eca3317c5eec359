// SPDX-License-Identifier: GPL-3.0-or-later
#include "exporter.h"

#include "birth_date.h"
#include "contact_mapping.h"
#include "csv.h"

namespace vcq::interop
{

std::optional<ExportFormat> exportFormatFromName(std::string_view name)
{
    if (name == "vcard3")
        return ExportFormat::VCard3;
    if (name == "vcard4")
        return ExportFormat::VCard4;
    if (name == "csv")
        return ExportFormat::Csv;
    return std::nullopt;
}

std::string_view exportExtension(ExportFormat format)
{
    return format == ExportFormat::Csv ? "csv" : "vcf";
}

namespace
{

// Hands the text on once it passes this size.
constexpr std::size_t kSinkPiece = std::size_t(1) << 20;

// The export of contacts into result; with a sink, the text goes there in
// pieces instead of staying in result.bytes. False when the sink stopped it.
template <typename Contacts, typename RecordOf>
bool exportInto(const Contacts &contacts, const RecordOf &recordOf, std::size_t count,
                const ContactUids &uids, ExportFormat format, const std::string &target,
                int currentYear, const ExportSink *sink, ExportResult &result)
{
    // Asked once: the clock is no faster than the rest of a card.
    const int year = currentYear > 0 ? currentYear : interop::currentYear();
    std::string &out = result.bytes;
    // About what a card of most fields takes, so the text seldom moves.
    out.reserve(sink ? kSinkPiece + 64 * 1024 : count * 384);
    if (format == ExportFormat::Csv)
        out += csvHeaderLine();
    const VCardVersion version =
        format == ExportFormat::VCard4 ? VCardVersion::V40 : VCardVersion::V30;
    int number = 0;
    for (const ContactNode &node : contacts) {
        ++number;
        const ContactRecord &record = recordOf(node);
        if (format == ExportFormat::Csv) {
            appendCsvContact(out, record);
        } else {
            std::vector<Loss> losses;
            appendContactVCard(out, record, uids.uidFor(node.RecordNumber), version, &losses, year);
            if (!losses.empty())
                result.report.addLosses(target, number, contactName(record), losses);
        }
        ++result.contacts;
        if (sink && out.size() >= kSinkPiece) {
            if (!(*sink)(out))
                return false;
            out.clear();
        }
    }
    if (sink) {
        const bool written = out.empty() || (*sink)(out);
        out.clear();
        return written;
    }
    return true;
}

// The nodes of a vector of pointers, as a range of nodes.
struct NodePointers {
    const std::vector<const ContactNode *> &nodes;
    struct Iterator {
        std::vector<const ContactNode *>::const_iterator it;
        const ContactNode &operator*() const { return **it; }
        Iterator &operator++()
        {
            ++it;
            return *this;
        }
        bool operator!=(const Iterator &o) const { return it != o.it; }
    };
    Iterator begin() const { return {nodes.begin()}; }
    Iterator end() const { return {nodes.end()}; }
};

} // namespace

ExportResult exportContacts(const std::vector<const ContactNode *> &contacts,
                            const ContactUids &uids, ExportFormat format, const std::string &target,
                            int currentYear)
{
    ExportResult result;
    exportInto(
        NodePointers{contacts}, [](const ContactNode &node) { return node.record(); },
        contacts.size(), uids, format, target, currentYear, nullptr, result);
    return result;
}

bool exportSnapshot(const ContactSnapshot &snapshot, const ContactUids &uids, ExportFormat format,
                    const std::string &target, const ExportSink &write, ExportResult &result,
                    int currentYear)
{
    // The records as read, without a copy each.
    const auto recordOf = [&](const ContactNode &node) -> const ContactRecord & {
        return snapshot.record(node.RecordNumber);
    };
    return exportInto(snapshot.list, recordOf, snapshot.list.size(), uids, format, target,
                      currentYear, &write, result);
}

} // namespace vcq::interop
