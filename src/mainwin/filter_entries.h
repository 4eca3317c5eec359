// SPDX-License-Identifier: GPL-3.0-or-later
// The status list: up to 30 lines of "Filter.txt", each a French text, a comma
// and an English text, and the items the status combo box shows for a language.
#pragma once

#include "core/language.h"
#include "settings/regular_file.h"

#include <QStringList>

#include <string>
#include <string_view>
#include <vector>

namespace vcq
{

inline constexpr const char *kFilterFileName = "Filter.txt";
inline constexpr std::size_t kMaxFilterEntries = 30;
// A status line is kept up to the length of a short string.
inline constexpr std::size_t kMaxFilterLineLength = 255;
// What the status field holds; its list shows each item whole.
inline constexpr qsizetype kMaxStatusLength = 15;

// The non-empty lines in file order, at most kMaxFilterEntries, each cut to
// kMaxFilterLineLength bytes. Lines end at LF, CR LF or CR.
using FilterEntries = std::vector<std::string>;

FilterEntries parseFilterEntries(std::string_view content);
// Reads the file; a missing or unreadable file gives an empty list, and so
// does anything but an ordinary file of at most 1 MiB, which is left unread
// (`status` says which).
FilterEntries LoadFilter(const std::string &path = kFilterFileName,
                         SmallFileStatus *status = nullptr);

// The combo box items for a language, unsorted: the
// text before the first comma in French, after it in English (the whole line
// when there is none). Control characters are dropped; items are whole.
QStringList statusItems(const FilterEntries &entries, Language language);

} // namespace vcq
