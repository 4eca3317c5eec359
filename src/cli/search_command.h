// SPDX-License-Identifier: GPL-3.0-or-later
// "search [--format lines|csv|vcard3|mutt] QUERY...": the contacts of the data
// file that match, on standard output; exit status 0 when some matched, 1
// when none did, 2 on failure, as grep answers. Only reads the data file, so
// it works while the program is open on it.
#pragma once

#include "command.h"

namespace vcq::cli
{

Command searchCommand();

} // namespace vcq::cli
