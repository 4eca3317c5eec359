// SPDX-License-Identifier: GPL-3.0-or-later
// Picture processing for the explorer-style button: the grey picture shown at
// rest, the transparent-colour rule and the shape used for the etched look.
// All of it runs when a picture changes, never while painting.
#pragma once

#include "explorer_types.h"

#include <QColor>
#include <QImage>

namespace vcq
{

// Sums of red + green + blue above which a pixel becomes white, the
// button-highlight colour or the button-shadow colour (black otherwise).
struct GreyThresholds {
    int white;
    int highlight;
    int shadow;

    bool operator==(const GreyThresholds &) const = default;
};

GreyThresholds greyThresholds(TExplorerButtonShadingType shading);

// The grey picture: every pixel not of the transparent colour (the top-left
// pixel's) is replaced by white, highlight, shadow or black by its colour sum.
// A pixel's alpha is kept, so soft edges stay soft. Empty in, empty out.
QImage makeGreyPicture(const QImage &bitmap, TExplorerButtonShadingType shading,
                       const QColor &highlight, const QColor &shadow);

// The picture ready to draw: pixels of the top-left pixel's colour become fully
// transparent, every other pixel is kept. Empty in, empty out.
QImage applyTransparentColour(const QImage &picture);

// The etched shape: a one-bit image whose set pixels are the picture's black
// pixels (pure black; with an alpha channel, at least half opaque).
QImage blackShape(const QImage &picture);

} // namespace vcq
