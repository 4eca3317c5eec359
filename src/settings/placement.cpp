#include "placement.h"

#include "program_settings.h"

#include <QWidget>

namespace vcq
{

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

} // namespace vcq
