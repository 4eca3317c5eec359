// SPDX-License-Identifier: GPL-3.0-or-later
#include "dial_number.h"

#include "line_types.h"

#include <QList>

namespace vcq
{

std::string destinationAddress(const QString &number)
{
    const QList<uint> characters = number.toUcs4();
    if (characters.size() <= tapi::kMaxDestinationLength)
        return number.toStdString();
    const auto kept = QString::fromUcs4(reinterpret_cast<const char32_t *>(characters.constData()),
                                        tapi::kMaxDestinationLength);
    return kept.toStdString();
}

} // namespace vcq
