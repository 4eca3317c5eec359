// SPDX-License-Identifier: GPL-3.0-or-later
#include "display_collation.h"

#include "core/cp1252.h"

#include <unicode/ucol.h>
#include <unicode/ucoleitr.h>
#include <unicode/uset.h>

#include <algorithm>
#include <memory>
#include <numeric>
#include <string>
#include <system_error>

namespace vcq
{

DisplayCollation::DisplayCollation()
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        m_unicode[static_cast<std::size_t>(b)] =
            fromCp1252(std::string_view(&byte, 1)).at(0).unicode();
    }
    const QLocale locale = m_collator.locale();
    try {
        m_derived = std::async(std::launch::async, [this, locale] { deriveWeights(locale); });
    } catch (const std::system_error &) {
        deriveWeights(locale); // no thread to be had
    }
}

DisplayCollation::~DisplayCollation()
{
    if (m_derived.valid())
        m_derived.wait();
}

void DisplayCollation::waitForWeights() const
{
    if (m_derived.valid())
        m_derived.get();
}

const std::array<std::uint8_t, 256> &DisplayCollation::weights() const
{
    waitForWeights();
    return m_weights;
}

const std::bitset<256> &DisplayCollation::exactBytes() const
{
    waitForWeights();
    return m_exact;
}

int DisplayCollation::compare(std::string_view a, std::string_view b) const
{
    char16_t ua[kDisplayKeyMax], ub[kDisplayKeyMax];
    const std::size_t na = std::min(a.size(), kDisplayKeyMax);
    const std::size_t nb = std::min(b.size(), kDisplayKeyMax);
    for (std::size_t i = 0; i < na; ++i)
        ua[i] = m_unicode[static_cast<unsigned char>(a[i])];
    for (std::size_t i = 0; i < nb; ++i)
        ub[i] = m_unicode[static_cast<unsigned char>(b[i])];
    return m_collator.compare(QStringView(ua, static_cast<qsizetype>(na)),
                              QStringView(ub, static_cast<qsizetype>(nb)));
}

void DisplayCollation::rankBytes(const std::function<std::u16string(char16_t)> &firstLevel)
{
    // Bytes with equal first levels share a weight; an empty first level is
    // passed over.
    std::array<std::u16string, 256> levels;
    std::vector<int> bytes;
    for (int b = 0; b < 256; ++b) {
        levels[static_cast<std::size_t>(b)] = firstLevel(m_unicode[static_cast<std::size_t>(b)]);
        if (!levels[static_cast<std::size_t>(b)].empty())
            bytes.push_back(b);
    }
    const auto level = [&](int b) -> const std::u16string & {
        return levels[static_cast<std::size_t>(b)];
    };
    std::sort(bytes.begin(), bytes.end(), [&](int x, int y) { return level(x) < level(y); });
    int weight = 0;
    std::bitset<256> last;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 0 || level(bytes[i - 1]) != level(bytes[i]))
            ++weight;
        m_weights[static_cast<std::size_t>(bytes[i])] =
            static_cast<std::uint8_t>(std::min(weight, 255));
        if (weight >= 255)
            last.set(static_cast<std::size_t>(bytes[i]));
    }
    // More groups than weights: the last weight is shared by unequal bytes.
    m_crowded = weight > 255 ? last : std::bitset<256>();
}

void DisplayCollation::deriveWeights(const QLocale &locale)
{
    m_weights.fill(0);
    m_exact.reset();
    const auto weightIsWhole = [&](int b) { return !m_crowded.test(static_cast<std::size_t>(b)); };
    // The C locale compares character by character, each folded to its
    // small letter: no byte expands or joins.
    if (locale.language() == QLocale::C) {
        rankBytes([](char16_t c) { return std::u16string(1, QChar(c).toCaseFolded().unicode()); });
        for (int b = 0; b < 256; ++b)
            m_exact.set(static_cast<std::size_t>(b), weightIsWhole(b));
        return;
    }
    // Otherwise the collator is the desktop's ICU collation for the locale;
    // the same one is opened here to read its first level and its elements.
    // Should it not open, every pair of keys is left to the collator.
    const QByteArray name = locale.bcp47Name().replace('-', '_').toLatin1();
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UCollator, decltype(&ucol_close)> collator(
        ucol_open(name.constData(), &status), &ucol_close);
    if (U_FAILURE(status))
        return;
    ucol_setStrength(collator.get(), UCOL_PRIMARY);
    rankBytes([&collator](char16_t c) {
        // The first level's sort key, less its closing zero, as 16-bit units.
        std::array<std::uint8_t, 64> key{};
        const int32_t length = ucol_getSortKey(collator.get(), &c, 1, key.data(), 64);
        std::u16string level;
        for (int32_t i = 0; i + 1 < std::min<int32_t>(length, 64); ++i)
            level += static_cast<char16_t>(key[static_cast<std::size_t>(i)]);
        return level;
    });
    // A character that forms one unit with the ones before it, in any
    // contraction made of code page characters only, is never exact. (The
    // first character of a contraction is: a key that holds the whole
    // contraction also holds the others.)
    std::bitset<256> joins;
    const std::unique_ptr<USet, decltype(&uset_close)> contractions(uset_openEmpty(), &uset_close);
    ucol_getContractionsAndExpansions(collator.get(), contractions.get(), nullptr, true, &status);
    if (U_FAILURE(status))
        return;
    for (int32_t i = 0; i < uset_getItemCount(contractions.get()); ++i) {
        UChar text[64];
        UChar32 start = 0, end = 0;
        UErrorCode itemStatus = U_ZERO_ERROR;
        const int32_t length =
            uset_getItem(contractions.get(), i, &start, &end, text, 64, &itemStatus);
        if (length <= 0 || U_FAILURE(itemStatus))
            continue; // a range of single characters, or too long to be ours
        std::bitset<256> members;
        bool ours = true;
        for (int32_t k = 0; k < length && ours; ++k) {
            const auto found = std::find(m_unicode.begin(), m_unicode.end(), text[k]);
            ours = found != m_unicode.end();
            if (ours && k > 0)
                members.set(static_cast<std::size_t>(found - m_unicode.begin()));
        }
        if (ours)
            joins |= members;
    }
    // One iterator over each character's collation elements in turn.
    const UChar none = 0;
    const std::unique_ptr<UCollationElements, decltype(&ucol_closeElements)> elements(
        ucol_openElements(collator.get(), &none, 0, &status), &ucol_closeElements);
    if (U_FAILURE(status))
        return;
    for (int b = 0; b < 256; ++b) {
        const std::size_t i = static_cast<std::size_t>(b);
        if (joins.test(i))
            continue;
        const UChar c = m_unicode[i];
        UErrorCode elementStatus = U_ZERO_ERROR;
        ucol_setText(elements.get(), &c, 1, &elementStatus);
        int primaries = 0;
        for (int32_t e = ucol_next(elements.get(), &elementStatus);
             e != UCOL_NULLORDER && U_SUCCESS(elementStatus);
             e = ucol_next(elements.get(), &elementStatus)) {
            // A continuation carries the rest of the previous weight.
            const bool continuation = (e & 0xC0) == 0xC0;
            if (!continuation && ucol_primaryOrder(e) != 0)
                ++primaries;
        }
        const bool passedOver = m_weights[i] == 0;
        if (U_SUCCESS(elementStatus) && primaries == (passedOver ? 0 : 1) && weightIsWhole(b))
            m_exact.set(i);
    }
}

} // namespace vcq
