// SPDX-License-Identifier: GPL-3.0-or-later
// "sync setup URL --user NAME", "sync", "sync status": the data file's
// address book on a CardDAV server, set up, synchronised both ways, and
// described, without a window.
#pragma once

#include "command.h"

namespace vcq::cli
{

Command syncCommand();

} // namespace vcq::cli
