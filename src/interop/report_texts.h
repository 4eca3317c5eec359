// SPDX-License-Identifier: GPL-3.0-or-later
// The words of an import or export report in the user's language (UTF-8), for
// both front ends: the window's table and the command line's lines.
#pragma once

#include "import_report.h"
#include "importer.h"

#include <string>

namespace vcq::interop
{

ImportReport::Labels reportLabels(bool french);

// One line of a report for a terminal: "file #card  name  event  detail".
std::string reportLine(const ReportRow &row, const ImportReport::Labels &labels);

// "Contacts added: 3. Duplicates not added: 1. ..." for a finished import.
std::string importSummary(const ImportResult &result, bool french);
// How an import that did not finish ended: cancelled or failed (with its
// error, how many contacts were added and the backup's name); empty when done.
// errorText is the error's message in the user's language.
std::string importEnding(const ImportResult &result, const std::string &errorText, bool french);

} // namespace vcq::interop
