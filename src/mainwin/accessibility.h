// SPDX-License-Identifier: GPL-3.0-or-later
// What the program's windows show a screen reader beyond Qt's own: the
// contact list's rows, the explorer buttons as named push buttons, and the
// main window and the dialer as windows, the About box's address as a link;
// and the context menu from the keyboard.
#pragma once

namespace vcq
{

// Installed once, before any window is asked for by a reader.
void installAccessibility();

} // namespace vcq
