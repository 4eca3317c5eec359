// SPDX-License-Identifier: GPL-3.0-or-later
// The words of an import or export report in the user's language (UTF-8), for
// both front ends: the window's table and the command line's lines.
#pragma once

#include "import_report.h"

#include <string>

namespace vcq::interop
{

ImportReport::Labels reportLabels(bool french);

// One line of a report for a terminal: "file #card  name  event  detail".
std::string reportLine(const ReportRow &row, const ImportReport::Labels &labels);

} // namespace vcq::interop
