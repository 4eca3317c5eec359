// SPDX-License-Identifier: GPL-3.0-or-later
// When contacts were last changed, as far as the sync state beside the data
// file tells: a contact whose fields differ from those its last sync agreed
// on was changed here after that sync (the state file's time); otherwise its
// card's REV says when it last changed, when the server or phone wrote one.
// The record itself holds no date, so other contacts are not known.
#pragma once

#include "store/contact_record.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vcq::sync
{

// Milliseconds since 1970 for each contact (records[i] holding contacts[i]),
// or nothing where not known.
std::vector<std::optional<std::int64_t>> lastChangeTimes(const QString &dataFilePath,
                                                         std::span<const std::int32_t> records,
                                                         std::span<const ContactRecord> contacts);

// The time a card's REV gives, or nothing.
std::optional<std::int64_t> revisionTime(const QByteArray &card);

} // namespace vcq::sync
