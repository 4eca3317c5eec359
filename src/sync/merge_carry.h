// SPDX-License-Identifier: GPL-3.0-or-later
// After duplicates were merged into one contact: what the deleted contacts'
// last cards held that no field of the record maps to (a photo, URLs, a
// title, a nickname, X- properties...) is added to the kept contact's last
// card in the sync state, so that the kept contact's next upload carries it
// and the server does not lose it with the deleted cards. Phones, e-mails
// and addresses beyond those the record holds are not carried: they went to
// the merged contact's fields or remarks where they differed.
#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace vcq::sync
{

// The number of properties carried; -1 when the sync state could not be
// written. Nothing to do (0) when the kept contact was never synced.
int carryCardsIntoKept(const QString &dataFilePath, std::int32_t kept,
                       const std::vector<std::int32_t> &gone);

} // namespace vcq::sync
