// SPDX-License-Identifier: GPL-3.0-or-later
// "duplicates [--format text|csv] [--merge-certain]": the groups of contacts
// of the data file that are likely one person, each with why; with
// --merge-certain, the certain groups merged as the window preselects them.
// Exit status: 0 none found, 1 groups listed or merged, 2 failure.
#pragma once

#include "command.h"

namespace vcq::cli
{

Command duplicatesCommand();

} // namespace vcq::cli
