// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer_caption.h"

namespace vcq
{

QString removeAcceleratorMarkers(const QString &caption)
{
    QString out;
    out.reserve(caption.size());
    const qsizetype n = caption.size();
    qsizetype i = 0;
    while (i < n) {
        if (caption[i] == u'&' && i < n - 1) {
            if (caption[i + 1] == u'&') {
                out += u'&';
                i += 2;
            } else {
                ++i;
            }
            continue;
        }
        out += caption[i];
        ++i;
    }
    return out;
}

QString captionForDrawing(const QString &caption, bool wordWrap)
{
    if (!wordWrap)
        return caption.left(kMaxCaptionLength);
    return caption.left(kMaxCaptionLength - 1) + u' ';
}

} // namespace vcq
