// SPDX-License-Identifier: GPL-3.0-or-later
// The context menu from the keyboard: the Menu key and Shift+F10 open the
// focused control's menu where its current item or text cursor is, as a
// right click there would.
#pragma once

class QObject;
class QWidget;

namespace vcq
{

// Whether the key press asks for the context menu.
bool isContextMenuKey(int key, int modifiers);

// Sends the focused widget the context-menu request of the keyboard; false
// when no widget has the focus.
bool requestContextMenu(QWidget *focus);

// Installed once on the application.
void installKeyboardContextMenu();

} // namespace vcq
