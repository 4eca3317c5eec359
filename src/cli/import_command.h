// SPDX-License-Identifier: GPL-3.0-or-later
// "import FILE...": vCard and CSV files into the data file of the current folder.
#pragma once

#include "command.h"

namespace vcq::cli
{

Command importCommand();

} // namespace vcq::cli
