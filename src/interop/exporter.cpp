// SPDX-License-Identifier: GPL-3.0-or-later
#include "exporter.h"

#include "contact_mapping.h"
#include "csv.h"
#include "vcard_writer.h"

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
    if (format == ExportFormat::Csv)
        result.bytes = csvHeaderLine();
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
            const VCard card = contactToCard(record, uids.uidFor(node->RecordNumber), version,
                                             &losses, currentYear);
            appendVCard(result.bytes, card, version);
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
