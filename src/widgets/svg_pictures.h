// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the program's own SVG pictures into pixmaps, so that no
// image plugin is needed.
#pragma once

#include <QPixmap>

namespace vcq
{

QPixmap svgPixmap(const QString &resource, QSize size);

} // namespace vcq
