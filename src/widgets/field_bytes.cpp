// SPDX-License-Identifier: GPL-3.0-or-later
#include "field_bytes.h"

#include "core/cp1252.h"

#include <algorithm>

namespace vcq
{

FieldBytes::FieldBytes(std::string bytes, QString shown, FieldShown how)
    : m_bytes(std::move(bytes)), m_shown(std::move(shown)), m_how(how)
{
    if (how == FieldShown::Whole)
        return;
    for (std::size_t i = 0; i < m_bytes.size(); ++i) {
        m_starts.push_back(i);
        if (how == FieldShown::LineBreaks && m_bytes[i] == '\r' && i + 1 < m_bytes.size() &&
            m_bytes[i + 1] == '\n')
            ++i;
    }
    m_starts.push_back(m_bytes.size());
    if (m_starts.size() != static_cast<std::size_t>(m_shown.size()) + 1)
        m_starts.clear();
}

std::string FieldBytes::encode(QStringView text) const
{
    if (m_how != FieldShown::LineBreaks)
        return toCp1252(text);
    QString lines = text.toString();
    lines.replace(u'\n', QStringLiteral("\r\n"));
    return toCp1252(lines);
}

std::string FieldBytes::bytesFor(QStringView current) const
{
    if (current == QStringView(m_shown))
        return m_bytes;
    if (m_starts.empty())
        return encode(current);
    // What lies before and after the change is kept; only the changed part is new.
    const qsizetype shownSize = m_shown.size();
    const qsizetype common = std::min(shownSize, current.size());
    qsizetype head = 0;
    while (head < common && m_shown[head] == current[head])
        ++head;
    qsizetype tail = 0;
    while (tail < common - head &&
           m_shown[shownSize - 1 - tail] == current[current.size() - 1 - tail])
        ++tail;
    const auto at = [this](qsizetype i) { return m_starts[static_cast<std::size_t>(i)]; };
    return m_bytes.substr(0, at(head)) + encode(current.mid(head, current.size() - head - tail)) +
           m_bytes.substr(at(shownSize - tail));
}

FieldBytes FieldBytes::edited(const QString &current) const
{
    if (current == m_shown)
        return *this;
    return FieldBytes(bytesFor(current), current, m_how);
}

} // namespace vcq
