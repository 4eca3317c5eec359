// SPDX-License-Identifier: GPL-3.0-or-later
// The order of the main window's contact list: the desktop's collation for
// the user's locale, case-insensitive, applied to the data file's cp1252 keys
// without making a string of each.
#pragma once

#include "store/contact_list.h"

#include <QCollator>

#include <array>
#include <bitset>

namespace vcq
{

class DisplayCollation : public KeyCollation
{
public:
    DisplayCollation();

    int compare(std::string_view a, std::string_view b) const override;
    const std::array<std::uint8_t, 256> &weights() const override { return m_weights; }
    const std::bitset<256> &exactBytes() const override { return m_exact; }

private:
    void deriveWeights();
    void findExactBytes();

    QCollator m_collator;
    std::array<char16_t, 256> m_unicode{};
    std::array<std::uint8_t, 256> m_weights{};
    std::bitset<256> m_exact;
    std::bitset<256> m_crowded; // bytes that share the last weight unequally
};

} // namespace vcq
