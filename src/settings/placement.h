// Where windows go: the main window at its stored place or centred on the
// primary screen, a dialog centred over the main window. Pure arithmetic on
// rectangles, so the rules are tested without a screen.
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace vcq
{

struct ProgramSettings;

// The centre of `outer`, less half of `own` (halvings truncate toward zero).
QPoint centredOver(const QRect &outer, const QSize &own);

// The main window's top-left corner at start: the stored position when the
// settings say to restore it and the window would then have its centre on
// one of `screens`; otherwise centred on `primaryScreen`.
QPoint initialMainWindowPosition(const ProgramSettings &settings, const QSize &windowSize,
                                 const QRect &primaryScreen, const QList<QRect> &screens);

// Moves `dialog` so that it is centred over `mainWindow` (frames included).
void centreOverWindow(QWidget *dialog, const QWidget *mainWindow);

} // namespace vcq
