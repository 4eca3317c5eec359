// SPDX-License-Identifier: GPL-3.0-or-later
#include "display_collation.h"

#include "core/cp1252.h"

#include <unicode/ucol.h>
#include <unicode/ucoleitr.h>
#include <unicode/uset.h>

#include <algorithm>
#include <memory>
#include <numeric>

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
    deriveWeights();
    findExactBytes();
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

void DisplayCollation::deriveWeights()
{
    // The first level of the collation, asked of the collator itself: text x
    // followed by the larger of two suffix letters against text y followed by
    // the smaller still sorts first only when x and y differ at the first
    // level (and the other way round); otherwise the suffix decides. Two
    // suffix pairs far apart, so that one of them always differs from x.
    const auto firstLevel = [this](const QString &x, const QString &y, char16_t lo, char16_t hi) {
        if (m_collator.compare(x + QChar(hi), y + QChar(lo)) < 0)
            return -1;
        if (m_collator.compare(x + QChar(lo), y + QChar(hi)) > 0)
            return 1;
        return 0;
    };
    const auto single = [this](int byte) {
        return QString(QChar(m_unicode[static_cast<std::size_t>(byte)]));
    };
    std::vector<int> bytes;
    for (int b = 0; b < 256; ++b) {
        // A character that sorts as if absent is passed over.
        const bool passedOver = firstLevel(single(b), QString(), u'a', u'b') == 0 &&
                                firstLevel(single(b), QString(), u'y', u'z') == 0;
        if (!passedOver)
            bytes.push_back(b);
    }
    const auto order = [&](int x, int y) {
        const int near = firstLevel(single(x), single(y), u'a', u'b');
        const int far = firstLevel(single(x), single(y), u'y', u'z');
        return near != 0 ? near : far;
    };
    std::stable_sort(bytes.begin(), bytes.end(), [&](int x, int y) { return order(x, y) < 0; });
    int weight = 0;
    std::bitset<256> last;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 0 || order(bytes[i - 1], bytes[i]) != 0)
            ++weight;
        m_weights[static_cast<std::size_t>(bytes[i])] =
            static_cast<std::uint8_t>(std::min(weight, 255));
        if (weight >= 255)
            last.set(static_cast<std::size_t>(bytes[i]));
    }
    // More groups than weights: the last weight is shared by unequal bytes.
    m_crowded = weight > 255 ? last : std::bitset<256>();
}

void DisplayCollation::findExactBytes()
{
    m_exact.reset();
    const auto weightIsWhole = [&](int b) { return !m_crowded.test(static_cast<std::size_t>(b)); };
    // The C locale compares character by character: no byte expands or joins.
    if (m_collator.locale().language() == QLocale::C) {
        for (int b = 0; b < 256; ++b)
            m_exact.set(static_cast<std::size_t>(b), weightIsWhole(b));
        return;
    }
    // Otherwise the collator is the desktop's ICU collation for the locale;
    // the same one is opened here to read its elements.
    const QByteArray name = m_collator.locale().bcp47Name().replace('-', '_').toLatin1();
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UCollator, decltype(&ucol_close)> collator(
        ucol_open(name.constData(), &status), &ucol_close);
    if (U_FAILURE(status))
        return;
    // A character that forms one unit with its neighbours, in any
    // contraction made of code page characters only, is never exact.
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
            if (ours)
                members.set(static_cast<std::size_t>(found - m_unicode.begin()));
        }
        if (ours)
            joins |= members;
    }
    for (int b = 0; b < 256; ++b) {
        const std::size_t i = static_cast<std::size_t>(b);
        if (joins.test(i))
            continue;
        const UChar c = m_unicode[i];
        UErrorCode elementStatus = U_ZERO_ERROR;
        UCollationElements *elements = ucol_openElements(collator.get(), &c, 1, &elementStatus);
        if (U_FAILURE(elementStatus))
            continue;
        int primaries = 0;
        for (int32_t e = ucol_next(elements, &elementStatus);
             e != UCOL_NULLORDER && U_SUCCESS(elementStatus);
             e = ucol_next(elements, &elementStatus)) {
            // A continuation carries the rest of the previous weight.
            const bool continuation = (e & 0xC0) == 0xC0;
            if (!continuation && ucol_primaryOrder(e) != 0)
                ++primaries;
        }
        ucol_closeElements(elements);
        const bool passedOver = m_weights[i] == 0;
        if (U_SUCCESS(elementStatus) && primaries == (passedOver ? 0 : 1) && weightIsWhole(b))
            m_exact.set(i);
    }
}

} // namespace vcq
