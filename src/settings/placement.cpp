#include "placement.h"

#include "program_settings.h"

#include <QWidget>

namespace vcq
{

QPoint centredOver(const QRect &outer, const QSize &own)
{
    return {outer.left() + outer.width() / 2 - own.width() / 2,
            outer.top() + outer.height() / 2 - own.height() / 2};
}

QPoint initialMainWindowPosition(const ProgramSettings &settings, const QSize &windowSize,
                                 const QRect &primaryScreen, const QList<QRect> &screens)
{
    if (settings.ScreenPos) {
        const QPoint stored(settings.ScreenPosX, settings.ScreenPosY);
        const QPoint centre = QRect(stored, windowSize).center();
        for (const QRect &screen : screens) {
            if (screen.contains(centre))
                return stored;
        }
    }
    return centredOver(primaryScreen, windowSize);
}

void centreOverWindow(QWidget *dialog, const QWidget *mainWindow)
{
    if (!mainWindow)
        return;
    dialog->move(centredOver(mainWindow->frameGeometry(), dialog->frameGeometry().size()));
}

} // namespace vcq
