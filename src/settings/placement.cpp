// SPDX-License-Identifier: GPL-3.0-or-later
#include "placement.h"

#include "program_settings.h"

#include <QWidget>

#include <algorithm>
#include <cstdint>

namespace vcq
{

namespace
{

// Far beyond any screen, yet far from overflowing when a window size is added.
constexpr int kCoordinateLimit = 1 << 24;

int clampCoordinate(std::int32_t stored)
{
    return static_cast<int>(std::clamp<std::int32_t>(stored, -kCoordinateLimit, kCoordinateLimit));
}

} // namespace

QPoint initialMainWindowPosition(const ProgramSettings &settings, const QSize &windowSize,
                                 const QRect &primaryScreen, const QList<QRect> &screens)
{
    if (settings.ScreenPos) {
        // The settings file may hold any 32-bit value: clamp before adding.
        const QPoint stored(clampCoordinate(settings.ScreenPosX),
                            clampCoordinate(settings.ScreenPosY));
        const QPoint centre = QRect(stored, windowSize).center();
        for (const QRect &screen : screens) {
            if (screen.contains(centre))
                return stored;
        }
    }
    return centredOver(primaryScreen, windowSize);
}

} // namespace vcq
