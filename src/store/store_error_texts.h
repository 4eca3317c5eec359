// SPDX-License-Identifier: GPL-3.0-or-later
// The texts of the data file's named errors, in French and English, for every
// front end (the window and the command line) to show the same words.
#pragma once

#include "io_error.h"

#include <string>

namespace vcq
{

// UTF-8 text for a named kind; empty for StoreErrc::Io, whose message is the
// error's own (what()).
std::string storeErrorText(StoreErrc kind, bool french);

// The text to show for an error: the named kind's text, else what().
std::string storeErrorMessage(const StoreError &error, bool french);

} // namespace vcq
