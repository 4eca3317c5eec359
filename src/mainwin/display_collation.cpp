// SPDX-License-Identifier: GPL-3.0-or-later
#include "display_collation.h"

#include "core/cp1252.h"

#include <algorithm>
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
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 0 || order(bytes[i - 1], bytes[i]) != 0)
            weight = std::min(weight + 1, 255);
        m_weights[static_cast<std::size_t>(bytes[i])] = static_cast<std::uint8_t>(weight);
    }
}

} // namespace vcq
