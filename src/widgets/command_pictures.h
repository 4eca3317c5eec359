// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures of the main window's six command buttons, drawn for this
// program, and the one call that gives a button all three of them.
#pragma once

#include <QImage>

namespace vcq
{

class TExplorerButton;

enum class CommandPicture { New, Save, Delete, Print, Options, Quit };

enum class PictureForm {
    Normal,  // full colour: hot, pressed (Bitmap)
    NoFocus, // at rest (NoFocusBitmap)
    Disabled // disabled (DisabledBitmap)
};

// One picture, 32 x 32, transparent where it draws nothing (so its top-left
// pixel is the transparent colour).
QImage commandPicture(CommandPicture which, PictureForm form);

// Sets Bitmap, NoFocusBitmap and DisabledBitmap of the button.
void setCommandPictures(TExplorerButton *button, CommandPicture which);

} // namespace vcq
