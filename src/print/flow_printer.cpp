// SPDX-License-Identifier: GPL-3.0-or-later
#include "flow_printer.h"

namespace vcq::print
{

void FlowPrinter::SetDataFont(std::string_view name, int size)
{
    m_dataFont = FontSpec{std::string(name), size, false, kBlack};
}

void FlowPrinter::SetLabelFont(std::string_view name, int size)
{
    m_labelFont = FontSpec{std::string(name), size, true, kBlack};
}

bool FlowPrinter::PrintBeginJob(std::string_view title)
{
    SetDataFont(kSansFont, 8);
    SetLabelFont(kSansFont, 9);
    FontSpec unit = m_dataFont;
    unit.bold = true;
    m_canvas.setFont(unit);
    m_canvas.setTitle(title);
    m_lineUnit = m_canvas.textHeight("W") / 8;
    m_curX = 0;
    m_curY = 0;
    m_buffering = false;
    m_blockStartY = 0;
    m_blockBuffer.clear();
    m_jobOpen = m_canvas.beginJob();
    m_failed = !m_jobOpen;
    return m_jobOpen;
}

void FlowPrinter::PrintData(std::string_view text, int lineCount, int x)
{
    printItem(MarkupItem{ItemKind::Data, std::string(text), lineCount, x});
}

void FlowPrinter::PrintLabel(std::string_view text, int lineCount, int x)
{
    printItem(MarkupItem{ItemKind::Label, std::string(text), lineCount, x});
}

void FlowPrinter::printItem(const MarkupItem &item)
{
    if (m_failed)
        return;
    m_canvas.setFont(item.kind == ItemKind::Data ? m_dataFont : m_labelFont);
    const int h = m_canvas.textHeight(item.text);
    // An item that ends exactly at the page height still fits.
    if (m_curY + h > m_canvas.pageHeight()) {
        if (!m_canvas.newPage()) {
            m_failed = true;
            return;
        }
        m_curY = 0;
        if (m_buffering)
            m_blockStartY = 0;
    }
    m_curX = item.x;
    if (m_buffering)
        appendItem(m_blockBuffer, item);
    else
        m_canvas.drawText(m_curX, m_curY, item.text);
    if (item.lineCount != 0)
        m_curY += h + item.lineCount * m_lineUnit;
}

void FlowPrinter::BeginBlock()
{
    m_buffering = true;
    m_blockBuffer.clear();
    m_blockStartY = m_curY;
}

void FlowPrinter::EndBlock()
{
    m_buffering = false;
    m_curY = m_blockStartY;
    // The items are drawn from the taken buffer: drawing never adds to it,
    // but the reader must not see it change underneath.
    std::string buffer;
    buffer.swap(m_blockBuffer);
    if (buffer.starts_with('<')) {
        ItemReader reader(buffer);
        while (!reader.atEnd() && !m_failed) {
            const auto tag = reader.takeTag();
            // Each step consumes input or stops, so the loop always ends.
            if (!tag || !ReplayItem(reader, *tag))
                break;
        }
    }
}

bool FlowPrinter::ReplayItem(ItemReader &reader, std::string_view tag)
{
    const auto item = reader.takeBody(tag);
    if (!item)
        return false;
    printItem(*item);
    return true;
}

bool FlowPrinter::PrintEndJob()
{
    if (m_jobOpen) {
        m_jobOpen = false;
        if (m_failed)
            m_canvas.abortJob();
        else if (!m_canvas.endJob())
            m_failed = true;
    }
    return !m_failed;
}

} // namespace vcq::print
