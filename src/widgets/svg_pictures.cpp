// SPDX-License-Identifier: GPL-3.0-or-later
#include "svg_pictures.h"

#include <QPainter>
#include <QSvgRenderer>

namespace vcq
{

QPixmap svgPixmap(const QString &resource, QSize size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

} // namespace vcq
