// SPDX-License-Identifier: GPL-3.0-or-later
// Qt's own dialogs (file dialogs, the printer set-up, the context menus of
// text fields) in the program's language, from the desktop's translations of
// Qt. Our message boxes set their captions and buttons themselves, so they
// stay the same in both languages.
#pragma once

#include "core/language.h"

namespace vcq
{

// Loads Qt's French texts, or removes them for English. Returns false when
// French was asked for and the translations are not installed.
bool followLanguageInQtDialogs(Language language);

} // namespace vcq
