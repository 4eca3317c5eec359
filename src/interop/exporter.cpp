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

ExportResult exportContacts(const std::vector<const ContactNode *> &contacts,
                            const ContactUids &uids, ExportFormat format, const std::string &target,
                            int currentYear)
{
    ExportResult result;
    // Asked once: the clock is no faster than the rest of a card.
    const int year = currentYear > 0 ? currentYear : interop::currentYear();
    // About what a card of most fields takes, so the text seldom moves.
    result.bytes.reserve(contacts.size() * 384);
    if (format == ExportFormat::Csv)
        result.bytes += csvHeaderLine();
    const VCardVersion version =
        format == ExportFormat::VCard4 ? VCardVersion::V40 : VCardVersion::V30;
    int number = 0;
    for (const ContactNode *node : contacts) {
        ++number;
        const ContactRecord record = node->record();
        if (format == ExportFormat::Csv) {
            appendCsvContact(result.bytes, record);
        } else {
            std::vector<Loss> losses;
            appendContactVCard(result.bytes, record, uids.uidFor(node->RecordNumber), version,
                               &losses, year);
            if (!losses.empty())
                result.report.addLosses(target, number, contactName(record), losses);
        }
        ++result.contacts;
    }
    return result;
}

ExportResult exportList(const ContactList &list, const ContactUids &uids, ExportFormat format,
                        const std::string &target, int currentYear)
{
    std::vector<const ContactNode *> nodes;
    nodes.reserve(list.size());
    for (const ContactNode &node : list)
        nodes.push_back(&node);
    return exportContacts(nodes, uids, format, target, currentYear);
}

} // namespace vcq::interop
