// SPDX-License-Identifier: GPL-3.0-or-later
// The query the user typed, as the window and the command line get it
// (Unicode), brought to the data file's bytes: compatibility forms are
// spelt out first ("ﬁ" is "fi"), an accent cp1252 has no letter for is
// dropped, and what is left without a cp1252 form becomes '?', as an import
// stores it.
#pragma once

#include "search_query.h"

#include <QStringView>

namespace vcq::search
{

SearchQuery parseQueryText(QStringView text);

} // namespace vcq::search
