// SPDX-License-Identifier: GPL-3.0-or-later
// The order of the main window's contact list: the desktop's collation for
// the user's locale, case-insensitive, applied to the data file's cp1252 keys
// without making a string of each.
#pragma once

#include "store/contact_list.h"

#include <QCollator>

#include <array>
#include <bitset>
#include <functional>
#include <future>
#include <string>

namespace vcq
{

class DisplayCollation : public KeyCollation
{
public:
    // The weights are derived on a second thread meanwhile: reading the
    // locale's collation takes longer than building the main window.
    DisplayCollation();
    ~DisplayCollation() override;

    int compare(std::string_view a, std::string_view b) const override;
    // Both wait for the weights, and are asked from one thread only.
    const std::array<std::uint8_t, 256> &weights() const override;
    const std::bitset<256> &exactBytes() const override;

private:
    // The weights, and the bytes they are exact for, from the collation
    // itself: the desktop's ICU collation for `locale`, or the C locale's
    // comparison of folded characters.
    void deriveWeights(const QLocale &locale);
    void waitForWeights() const;
    // Weights by rank of each byte's first level (empty: passed over).
    void rankBytes(const std::function<std::u16string(char16_t)> &firstLevel);

    QCollator m_collator;
    std::array<char16_t, 256> m_unicode{};
    std::array<std::uint8_t, 256> m_weights{};
    std::bitset<256> m_exact;
    std::bitset<256> m_crowded; // bytes that share the last weight unequally
    mutable std::future<void> m_derived;
};

} // namespace vcq
