// SPDX-License-Identifier: GPL-3.0-or-later
#include "filter_entries.h"

#include "core/cp1252.h"

namespace vcq
{

namespace
{

// Splits text fed in pieces into lines, keeping the first non-empty ones.
class LineCollector
{
public:
    void feed(std::string_view chunk)
    {
        for (char c : chunk) {
            if (full())
                return;
            if (c == '\n' && m_afterCr) {
                m_afterCr = false;
                continue;
            }
            m_afterCr = c == '\r';
            if (c == '\r' || c == '\n') {
                endLine();
                continue;
            }
            m_lineNonEmpty = true;
            if (m_line.size() < kMaxFilterLineLength)
                m_line += c;
        }
    }
    FilterEntries finish()
    {
        endLine();
        return std::move(m_entries);
    }
    bool full() const { return m_entries.size() >= kMaxFilterEntries; }

private:
    void endLine()
    {
        if (m_lineNonEmpty && !full())
            m_entries.push_back(m_line);
        m_line.clear();
        m_lineNonEmpty = false;
    }

    FilterEntries m_entries;
    std::string m_line;
    bool m_lineNonEmpty = false;
    bool m_afterCr = false;
};

} // namespace

FilterEntries parseFilterEntries(std::string_view content)
{
    LineCollector lines;
    lines.feed(content);
    return lines.finish();
}

FilterEntries LoadFilter(const std::string &path, SmallFileStatus *status)
{
    // A pipe or /dev/zero in its place must not hang the start.
    const SmallFile file = readSmallRegularFile(path, kFilterFileCap);
    if (status)
        *status = file.status;
    if (file.status != SmallFileStatus::Read)
        return {};
    return parseFilterEntries(file.bytes);
}

QStringList statusItems(const FilterEntries &entries, Language language)
{
    QStringList items;
    for (const std::string &entry : entries) {
        if (entry.empty())
            continue;
        const std::size_t comma = entry.find(',');
        std::string_view side = entry;
        if (language == Language::French)
            side = comma == std::string::npos ? std::string_view() : side.substr(0, comma);
        else if (comma != std::string::npos)
            side = side.substr(comma + 1);
        QString item;
        for (QChar c : fromCp1252(side)) {
            if (c.category() != QChar::Other_Control)
                item += c;
        }
        items.append(item);
    }
    return items;
}

} // namespace vcq
