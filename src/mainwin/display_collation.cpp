#include "display_collation.h"

#include "widgets/cp1252.h"

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
    // The first level of the collation, asked of the collator itself: a
    // character followed by "b" against another followed by "a" still sorts
    // first only when the characters differ at the first level (and the
    // other way round); otherwise the suffix decides. A character that sorts
    // as if absent is passed over.
    const auto text = [this](int byte, char16_t suffix) {
        return QString(QChar(m_unicode[static_cast<std::size_t>(byte)])) + QChar(suffix);
    };
    const auto firstLevel = [&](int x, int y) {
        if (m_collator.compare(text(x, u'b'), text(y, u'a')) < 0)
            return -1;
        if (m_collator.compare(text(x, u'a'), text(y, u'b')) > 0)
            return 1;
        return 0;
    };
    std::vector<int> bytes;
    for (int b = 0; b < 256; ++b) {
        const bool passedOver = m_collator.compare(text(b, u'a'), QStringLiteral("b")) < 0 &&
                                m_collator.compare(text(b, u'b'), QStringLiteral("a")) > 0;
        if (!passedOver)
            bytes.push_back(b);
    }
    std::stable_sort(bytes.begin(), bytes.end(),
                     [&](int x, int y) { return firstLevel(x, y) < 0; });
    int weight = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 0 || firstLevel(bytes[i - 1], bytes[i]) != 0)
            weight = std::min(weight + 1, 255);
        m_weights[static_cast<std::size_t>(bytes[i])] = static_cast<std::uint8_t>(weight);
    }
}

} // namespace vcq
