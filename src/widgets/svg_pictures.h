// Renders the program's own SVG pictures into pixmaps and icons, so that no
// image plugin is needed.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace vcq
{

QPixmap svgPixmap(const QString &resource, QSize size);
QIcon svgIcon(const QString &resource, QSize size);

} // namespace vcq
