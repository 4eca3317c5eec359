// SPDX-License-Identifier: GPL-3.0-or-later
// "export [--format vcard3|vcard4|csv] FILE": every contact to a file or, for
// "-", to standard output. Only reads the data file, so it works while the
// program is open on it.
#pragma once

#include "command.h"

namespace vcq::cli
{

Command exportCommand();

} // namespace vcq::cli
