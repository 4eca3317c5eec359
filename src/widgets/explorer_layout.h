// SPDX-License-Identifier: GPL-3.0-or-later
// Where the explorer-style button puts its caption and its picture: pure
// arithmetic over the button's size, the measured caption and the picture size.
#pragma once

#include "explorer_types.h"

namespace vcq
{

struct ExplorerLayoutInput {
    int width = 0;
    int height = 0;
    bool hasText = false; // caption shown: not icon-only and not empty
    int textWidth = 0;    // measured caption size, used only with hasText
    int textHeight = 0;
    bool hasPicture = false; // Bitmap not empty
    int pictureWidth = 0;
    int pictureHeight = 0;
    bool markRoom = false; // room for the drop-down arrow: boPopupMark and a menu
    TAlignment alignment = taCenter;
    TExplorerButtonLayout layout = blBitmapTop;
    bool wordWrap = false;
};

struct ExplorerLayout {
    // Text rectangle: left, top, width, height (width may end up <= 0 on tiny buttons).
    int tx = 0;
    int ty = 0;
    int w = 0;
    int h = 0;
    // Picture position and the room it takes (pw includes the arrow room).
    int px = 0;
    int py = 0;
    int pw = 0;
    int ph = 0;

    bool operator==(const ExplorerLayout &) const = default;
};

ExplorerLayout computeExplorerLayout(const ExplorerLayoutInput &in);

} // namespace vcq
