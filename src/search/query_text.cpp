// SPDX-License-Identifier: GPL-3.0-or-later
#include "query_text.h"

#include "core/cp1252.h"

#include <QString>

namespace vcq::search
{

SearchQuery parseQueryText(QStringView text)
{
    const QString compatible = text.toString().normalized(QString::NormalizationForm_KC);
    QString storable;
    storable.reserve(compatible.size());
    for (const QChar c : compatible) {
        if (isCp1252Storable(QStringView(&c, 1))) {
            storable += c;
            continue;
        }
        // "ő" has no cp1252 letter; "o" is what the reader sees in it.
        const QString parts = QString(c).normalized(QString::NormalizationForm_KD);
        QString base;
        for (const QChar p : parts)
            if (p.category() != QChar::Mark_NonSpacing)
                base += p;
        storable += !base.isEmpty() && isCp1252Storable(base) ? base : QStringLiteral("?");
    }
    return parseQuery(toCp1252(storable));
}

} // namespace vcq::search
