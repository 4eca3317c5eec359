// SPDX-License-Identifier: GPL-3.0-or-later
// Export of contacts to vCard 3.0, vCard 4.0 or our own CSV, in memory, with
// a report of what could not be carried (a stored birth date that is partial
// or impossible). Shared by the window and the command line.
#pragma once

#include "contact_uid.h"
#include "import_report.h"
#include "store/contact_list.h"
#include "store/contact_snapshot.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vcq::interop
{

enum class ExportFormat { VCard3, VCard4, Csv };

// "vcard3", "vcard4", "csv" as the command line spells them.
std::optional<ExportFormat> exportFormatFromName(std::string_view name);
// The usual file name extension, without the dot.
std::string_view exportExtension(ExportFormat format);

struct ExportResult {
    std::string bytes;   // UTF-8
    ImportReport report; // rows name the target and the contact's place in it
    std::size_t contacts = 0;
};

// The contacts in the order given; target names the destination in report rows.
ExportResult exportContacts(const std::vector<const ContactNode *> &contacts,
                            const ContactUids &uids, ExportFormat format, const std::string &target,
                            int currentYear = 0 /* 0: now */);
// Takes the export's text as it is made, under a megabyte at a time, so that
// a large export is never held whole; answering false stops the export.
using ExportSink = std::function<bool(std::string_view)>;

// Every contact of the snapshot, in its list's order, the text handed to
// write (bytes stays empty); false when write stopped it. The text is made on
// two threads; write is called on the caller's.
bool exportSnapshot(const ContactSnapshot &snapshot, const ContactUids &uids, ExportFormat format,
                    const std::string &target, const ExportSink &write, ExportResult &result,
                    int currentYear = 0);

} // namespace vcq::interop
