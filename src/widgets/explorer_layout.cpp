// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer_layout.h"

#include <algorithm>

namespace vcq
{

namespace
{

// Arrow mark room beside the picture or the caption.
constexpr int kMarkRoom = 10;
// Space kept between the button's edge and its content.
constexpr int kMargin = 3;

void placeTextOnly(const ExplorerLayoutInput &in, ExplorerLayout &r)
{
    int tw = r.w;
    if (in.markRoom) {
        tw = r.w + kMarkRoom;
        r.w = std::min(r.w, in.width - 14);
    }
    r.ty = (in.height - r.h) / 2;
    switch (in.alignment) {
    case taLeftJustify:
        r.tx = kMargin;
        break;
    case taRightJustify:
        r.tx = in.width - tw - kMargin;
        break;
    case taCenter:
        r.tx = (in.width - tw) / 2;
        break;
    }
}

// Picture above or below the caption: both are aligned the same way.
void placeStacked(const ExplorerLayoutInput &in, int g, ExplorerLayout &r)
{
    const int block = (in.height - (r.h + r.ph + g)) / 2;
    if (in.layout == blBitmapTop) {
        r.py = block;
        r.ty = r.py + r.ph + g;
    } else {
        r.ty = block;
        r.py = r.ty + r.h + g;
    }
    switch (in.alignment) {
    case taLeftJustify:
        r.tx = kMargin;
        r.px = kMargin;
        break;
    case taRightJustify:
        r.tx = in.width - r.w - kMargin;
        r.px = in.width - r.pw - kMargin;
        break;
    case taCenter:
        r.tx = (in.width - r.w) / 2;
        r.px = (in.width - r.pw) / 2;
        break;
    }
}

// Picture beside the caption, on its left or its right.
void placeSideBySide(const ExplorerLayoutInput &in, int g, ExplorerLayout &r)
{
    if (r.w + r.pw + g > in.width - 4)
        r.w = in.width - 4 - g - r.pw;
    r.py = (in.height - r.ph) / 2;
    r.ty = (in.height - r.h) / 2;
    const bool left = in.layout == blBitmapLeft;
    switch (in.alignment) {
    case taLeftJustify:
        if (left) {
            r.px = kMargin;
            r.tx = r.px + r.pw + g;
        } else {
            r.tx = kMargin;
            r.px = r.tx + r.w + g;
        }
        break;
    case taRightJustify:
        if (left) {
            r.tx = in.width - r.w - kMargin;
            r.px = r.tx - r.pw - g;
        } else {
            r.px = in.width - r.pw - kMargin;
            r.tx = r.px - r.w - g;
        }
        break;
    case taCenter:
        if (left) {
            r.px = (in.width - (r.pw + r.w + g)) / 2;
            r.tx = r.px + r.pw + g;
        } else {
            r.tx = (in.width - (r.pw + r.w + g)) / 2;
            r.px = r.tx + r.w + g;
        }
        break;
    }
}

} // namespace

ExplorerLayout computeExplorerLayout(const ExplorerLayoutInput &in)
{
    ExplorerLayout r;
    int g = 0;
    if (in.hasText) {
        g = 2;
        r.w = in.textWidth;
        r.h = in.textHeight;
    }
    r.w = std::min(r.w, in.width - 4);

    if (!in.hasPicture) {
        placeTextOnly(in, r);
    } else {
        r.pw = in.pictureWidth + (in.markRoom ? kMarkRoom : 0);
        r.ph = in.pictureHeight;
        if (in.layout == blBitmapTop || in.layout == blBitmapBottom)
            placeStacked(in, g, r);
        else
            placeSideBySide(in, g, r);
    }

    // A wrapped caption never comes closer than 5 pixels to the right edge.
    if (in.wordWrap && r.tx + r.w > in.width - 5)
        r.w = in.width - r.tx - 5;
    return r;
}

} // namespace vcq
