// SPDX-License-Identifier: GPL-3.0-or-later
// Caption text rules of the explorer-style button: the accelerator markers and
// the longest caption it keeps.
#pragma once

#include <QString>

namespace vcq
{

// The longest caption a button keeps; longer ones are cut.
constexpr qsizetype kMaxCaptionLength = 255;

// The caption as plain text: "&&" becomes "&", any other "&" is dropped,
// except a "&" in the last position, which stays.
QString removeAcceleratorMarkers(const QString &caption);

// The text that is measured and drawn: with word wrap one blank is appended,
// and the whole never exceeds kMaxCaptionLength characters.
QString captionForDrawing(const QString &caption, bool wordWrap);

} // namespace vcq
