// Centring a window: over the main window for the dialogs it opens, over the
// screen for the password dialog. Halvings truncate toward zero.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace vcq
{

// The centre of `outer`, less half of `own`.
QPoint centredOver(const QRect &outer, const QSize &own);

// Moves `dialog` so that it is centred over `mainWindow` (frames included);
// nothing without a main window.
void centreOverWindow(QWidget *dialog, const QWidget *mainWindow);

} // namespace vcq
