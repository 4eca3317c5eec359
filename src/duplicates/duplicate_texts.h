// SPDX-License-Identifier: GPL-3.0-or-later
// The words for a group of duplicates, in English or French (UTF-8): why its
// contacts were linked ("same name and home phone"), and how sure that is.
// Shared by the command line and the window.
#pragma once

#include "duplicate_finder.h"

#include <string>

namespace vcq::duplicates
{

std::string reasonText(const DuplicateGroup &group, bool french);
std::string certaintyText(Certainty certainty, bool french);
// "Also: " as the remarks of a merged contact start each kept value, in
// cp1252 (the data file's text).
std::string alsoLabel(bool french);
// A field's name in the form ("Home Phone", "Tél. Maison").
std::string fieldName(Field f, bool french);

} // namespace vcq::duplicates
