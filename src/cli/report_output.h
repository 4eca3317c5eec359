// SPDX-License-Identifier: GPL-3.0-or-later
// Writing a report on the terminal (its remarks, one a line) and saving it whole.
#pragma once

#include "command.h"
#include "interop/import_report.h"

namespace vcq::cli
{

// Every row that is not an addition, one a line, to the given stream.
void printRemarks(const CommandContext &context, std::FILE *stream,
                  const interop::ImportReport &report);

// Saves the whole report as text; false, with a message, when it cannot.
bool saveReport(const CommandContext &context, const QString &path,
                const interop::ImportReport &report);

} // namespace vcq::cli
