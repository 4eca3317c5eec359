// SPDX-License-Identifier: GPL-3.0-or-later
// "bin list", "bin restore N...", "bin empty": the contacts deleted from the
// data file of the current folder, listed newest first, brought back, or
// deleted for good, without a window.
#pragma once

#include "command.h"

namespace vcq::cli
{

Command binCommand();

} // namespace vcq::cli
