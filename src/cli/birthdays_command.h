// SPDX-License-Identifier: GPL-3.0-or-later
// "birthdays [--days N] [--invalid]": whose birthday comes in the next days,
// soonest first, or the contacts whose birth date is not a date, so that
// they can be mended. Only reads the data file.
#pragma once

#include "command.h"

namespace vcq::cli
{

Command birthdaysCommand();

} // namespace vcq::cli
