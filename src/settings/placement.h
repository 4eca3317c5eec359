// SPDX-License-Identifier: GPL-3.0-or-later
// Where the main window goes at start: at its stored place or centred on the
// primary screen. Pure arithmetic on rectangles, so the rule is tested
// without a screen.
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include "core/window_placement.h"

class QWidget;

namespace vcq
{

struct ProgramSettings;

// The main window's top-left corner at start: the stored position when the
// settings say to restore it and the window would then have its centre on
// one of `screens`; otherwise centred on `primaryScreen`.
QPoint initialMainWindowPosition(const ProgramSettings &settings, const QSize &windowSize,
                                 const QRect &primaryScreen, const QList<QRect> &screens);

} // namespace vcq
