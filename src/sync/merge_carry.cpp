// SPDX-License-Identifier: GPL-3.0-or-later
#include "merge_carry.h"

#include "interop/contact_mapping.h"
#include "interop/vcard_reader.h"
#include "interop/vcard_writer.h"
#include "sync_state.h"

#include <algorithm>

namespace vcq::sync
{

namespace
{

// The properties the 16 fields are written to.
bool mapped(const std::string &name)
{
    static const char *const names[] = {"N",     "FN",   "ORG",  "ADR",       "TEL",
                                        "EMAIL", "NOTE", "BDAY", "CATEGORIES"};
    return std::any_of(std::begin(names), std::end(names),
                       [&](const char *n) { return name == n; });
}

std::optional<interop::VCard> parsed(const QByteArray &bytes)
{
    interop::VCardReadResult read =
        interop::readVCards(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    if (read.cards.empty())
        return std::nullopt;
    return std::move(read.cards.front().card);
}

} // namespace

int carryCardsIntoKept(const QString &dataFilePath, std::int32_t kept,
                       const std::vector<std::int32_t> &gone)
{
    const QString path = syncStatePath(dataFilePath);
    SyncState state;
    if (loadSyncState(path, state, nullptr, false) != StateLoad::Loaded)
        return 0;
    SyncIndex index;
    index.rebuild(state);
    const int keptAt = index.byRecord(kept);
    if (keptAt < 0)
        return 0;
    SyncEntry &target = state.entries[std::size_t(keptAt)];
    std::optional<interop::VCard> card = parsed(target.card);
    if (!card)
        return 0;
    int carried = 0;
    for (const std::int32_t g : gone) {
        const int at = index.byRecord(g);
        if (at < 0)
            continue;
        const std::optional<interop::VCard> other = parsed(state.entries[std::size_t(at)].card);
        if (!other)
            continue;
        for (const interop::VCardProperty &p : other->properties) {
            if (mapped(p.name) || interop::isCarriedByNature(p.name) ||
                std::find(card->properties.begin(), card->properties.end(), p) !=
                    card->properties.end())
                continue;
            card->add(p);
            ++carried;
        }
    }
    if (carried == 0)
        return 0;
    const interop::VCardVersion version = card->version == interop::VCardVersion::V40
                                              ? interop::VCardVersion::V40
                                              : interop::VCardVersion::V30;
    target.card = QByteArray::fromStdString(interop::writeVCard(*card, version));
    return saveSyncState(path, state) ? carried : -1;
}

} // namespace vcq::sync
