// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer_pictures.h"

namespace vcq
{

GreyThresholds greyThresholds(TExplorerButtonShadingType shading)
{
    switch (shading) {
    case stLight:
        return {205, 127, 68};
    case stDark:
        return {335, 274, 175};
    case stMedium:
        break;
    }
    return {553, 231, 57};
}

QImage makeGreyPicture(const QImage &bitmap, TExplorerButtonShadingType shading,
                       const QColor &highlight, const QColor &shadow)
{
    if (bitmap.isNull())
        return {};
    QImage grey = bitmap.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = grey.pixel(0, 0);
    const GreyThresholds t = greyThresholds(shading);
    const QRgb hi = highlight.rgb();
    const QRgb sh = shadow.rgb();
    for (int y = 0; y < grey.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(grey.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            const QRgb c = line[x];
            if (c == key)
                continue;
            const int s = qRed(c) + qGreen(c) + qBlue(c);
            QRgb to = qRgb(0, 0, 0);
            if (s > t.white)
                to = qRgb(255, 255, 255);
            else if (s > t.highlight)
                to = hi;
            else if (s > t.shadow)
                to = sh;
            line[x] = qRgba(qRed(to), qGreen(to), qBlue(to), qAlpha(c));
        }
    }
    return grey;
}

QImage applyTransparentColour(const QImage &picture)
{
    if (picture.isNull())
        return {};
    QImage out = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = out.pixel(0, 0);
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if (line[x] == key)
                line[x] = qRgba(0, 0, 0, 0);
        }
    }
    return out;
}

QImage blackShape(const QImage &picture)
{
    if (picture.isNull())
        return {};
    const QImage src = picture.convertToFormat(QImage::Format_ARGB32);
    QImage shape(src.size(), QImage::Format_MonoLSB);
    shape.setColorCount(2);
    shape.setColor(0, qRgb(255, 255, 255));
    shape.setColor(1, qRgb(0, 0, 0));
    shape.fill(0);
    for (int y = 0; y < src.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(src.constScanLine(y));
        for (int x = 0; x < src.width(); ++x) {
            const QRgb c = line[x];
            if ((c & 0x00ffffff) == 0 && qAlpha(c) >= 128)
                shape.setPixel(x, y, 1);
        }
    }
    return shape;
}

} // namespace vcq
