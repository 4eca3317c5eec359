// SPDX-License-Identifier: GPL-3.0-or-later
// Prints one-line data and label items down the page at a vertical cursor,
// starting a new page when an item would pass the bottom. Items between
// BeginBlock and EndBlock are recorded as markup and drawn together at
// EndBlock, on a new page when the block did not fit on the current one.
#pragma once

#include "canvas.h"
#include "item_markup.h"

#include <string>
#include <string_view>

namespace vcq::print
{

class FlowPrinter
{
public:
    explicit FlowPrinter(PrintCanvas &canvas) : m_canvas(canvas) {}

    // Sets the fonts and the title, resets the state and begins the job;
    // false when the job could not be begun.
    bool PrintBeginJob(std::string_view title);
    void PrintData(std::string_view text, int lineCount, int x);
    void PrintLabel(std::string_view text, int lineCount, int x);
    void BeginBlock();
    // Draws the open block's items; always ends, whatever the buffer holds.
    void EndBlock();
    // Ends the job, or aborts it after a failure; false when it failed.
    bool PrintEndJob();

    void SetDataFont(std::string_view name, int size);
    void SetLabelFont(std::string_view name, int size);

    // After a page could not be started the job is dead: items do nothing.
    bool failed() const { return m_failed; }
    int CurX() const { return m_curX; }
    int CurY() const { return m_curY; }
    int LineUnit() const { return m_lineUnit; }
    int BlockStartY() const { return m_blockStartY; }
    bool Buffering() const { return m_buffering; }
    const std::string &BlockBuffer() const { return m_blockBuffer; }

private:
    void printItem(const MarkupItem &item);
    bool ReplayItem(ItemReader &reader, std::string_view tag);

    PrintCanvas &m_canvas;
    int m_curX = 0;
    int m_curY = 0;
    int m_lineUnit = 0;
    FontSpec m_dataFont;
    FontSpec m_labelFont;
    bool m_buffering = false;
    int m_blockStartY = 0;
    std::string m_blockBuffer;
    bool m_jobOpen = false;
    bool m_failed = false;
};

} // namespace vcq::print
