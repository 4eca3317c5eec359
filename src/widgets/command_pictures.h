// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures of the main window's six command buttons, drawn for this
// program, and the one call that gives a button all three of them.
#pragma once

#include <QImage>

#include <array>
#include <future>

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

// Every command's three pictures.
struct CommandPictureSet {
    std::array<std::array<QImage, 3>, 6> images;
    const QImage &at(CommandPicture which, PictureForm form) const
    {
        return images[static_cast<std::size_t>(which)][static_cast<std::size_t>(form)];
    }
};

CommandPictureSet drawCommandPictures();
// The same, drawn on a second thread while the caller builds its window (at
// once when no thread can be had).
std::future<CommandPictureSet> drawCommandPicturesAhead();

// Sets Bitmap, NoFocusBitmap and DisabledBitmap of the button.
void setCommandPictures(TExplorerButton *button, CommandPicture which,
                        const CommandPictureSet &pictures);

} // namespace vcq
