#include "window_placement.h"

#include <QWidget>

namespace vcq
{

QPoint centredOver(const QRect &outer, const QSize &own)
{
    return {outer.left() + outer.width() / 2 - own.width() / 2,
            outer.top() + outer.height() / 2 - own.height() / 2};
}

void centreOverWindow(QWidget *dialog, const QWidget *mainWindow)
{
    if (!mainWindow)
        return;
    dialog->move(centredOver(mainWindow->frameGeometry(), dialog->frameGeometry().size()));
}

} // namespace vcq
