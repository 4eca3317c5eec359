// SPDX-License-Identifier: GPL-3.0-or-later
// Placing windows by their outer rectangle, frame included: dialogs centred
// over the main window, the password dialog and the print confirmation
// centred on the screen. Halvings truncate toward zero. The frame is known
// before a window first shows, so it lands in its place at once.
#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <functional>

class QWidget;

namespace vcq
{

// The centre of `outer`, less half of `own`.
QPoint centredOver(const QRect &outer, const QSize &own);

// The frame the desktop puts around `window`: its own once it has one; before
// its first showing, what the window manager says it will give (X11), else none.
QMargins expectedFrameMargins(QWidget *window);

// Moves `window` so that its outer rectangle's top-left corner is where
// `place` puts it for the outer size.
void placeFrame(QWidget *window, const std::function<QPoint(const QSize &outerSize)> &place);

// Centres `dialog` over `mainWindow` (frames included); nothing without a main window.
void centreOverWindow(QWidget *dialog, const QWidget *mainWindow);

// Centres `window` (frame included) on the primary screen.
void centreOnScreen(QWidget *window);

} // namespace vcq
