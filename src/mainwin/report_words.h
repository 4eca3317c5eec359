// SPDX-License-Identifier: GPL-3.0-or-later
// What happened to a card, said in plain words in the window's language
// ("Łukasz written as Lukasz (last name)", "photo not kept (no place for
// it)") from the report row's stable codes, which the command line's report
// file keeps as they are.
#pragma once

#include "core/language.h"
#include "interop/import_report.h"

#include <QString>

namespace vcq
{

QString plainDetail(const interop::ReportRow &row, Language language);

} // namespace vcq
