// SPDX-License-Identifier: GPL-3.0-or-later
#include "recording_canvas.h"

#include <algorithm>

namespace vcq::print
{

std::string describe(const CanvasOp &op)
{
    static const char *const names[] = {"title", "begin", "newpage", "end",   "abort",
                                        "text",  "rect",  "moveto",  "lineto"};
    std::string s = names[static_cast<int>(op.kind)];
    s += ' ' + std::to_string(op.x) + ',' + std::to_string(op.y);
    if (op.kind == CanvasOp::Kind::Rectangle)
        s += ' ' + std::to_string(op.x2) + ',' + std::to_string(op.y2);
    if (op.kind == CanvasOp::Kind::Text || op.kind == CanvasOp::Kind::Title)
        s += " \"" + op.text + '"';
    s += " [" + op.font.name + ' ' + std::to_string(op.font.size) + (op.font.bold ? " bold" : "") +
         (op.font.color == kWhite ? " white" : "") + "]";
    if (op.kind == CanvasOp::Kind::Rectangle && op.brush.color == kBlack)
        s += " filled";
    return s;
}

void RecordingCanvas::record(CanvasOp::Kind kind, int x, int y, int x2, int y2,
                             std::string_view text)
{
    m_ops.push_back(CanvasOp{kind, x, y, x2, y2, std::string(text), font(), brush()});
}

void RecordingCanvas::doSetTitle(std::string_view title)
{
    record(CanvasOp::Kind::Title, 0, 0, 0, 0, title);
}

bool RecordingCanvas::beginJob()
{
    if (++m_beginCalls == m_failBegin)
        return false;
    m_inJob = true;
    record(CanvasOp::Kind::BeginJob);
    return true;
}

bool RecordingCanvas::newPage()
{
    if (++m_newPageCalls == m_failNewPage)
        return false;
    record(CanvasOp::Kind::NewPage);
    return true;
}

bool RecordingCanvas::endJob()
{
    m_inJob = false;
    record(CanvasOp::Kind::EndJob);
    return true;
}

void RecordingCanvas::abortJob()
{
    m_inJob = false;
    record(CanvasOp::Kind::AbortJob);
}

int RecordingCanvas::textWidth(std::string_view text) const
{
    return static_cast<int>(text.size()) * font().size * 6;
}

int RecordingCanvas::textHeight(std::string_view) const
{
    return font().size * m_heightAt8 / 8;
}

void RecordingCanvas::drawText(int x, int y, std::string_view text)
{
    record(CanvasOp::Kind::Text, x, y, 0, 0, text);
}

void RecordingCanvas::rectangle(int x1, int y1, int x2, int y2)
{
    record(CanvasOp::Kind::Rectangle, x1, y1, x2, y2);
}

void RecordingCanvas::moveTo(int x, int y)
{
    record(CanvasOp::Kind::MoveTo, x, y);
}

void RecordingCanvas::lineTo(int x, int y)
{
    record(CanvasOp::Kind::LineTo, x, y);
}

std::vector<CanvasOp> RecordingCanvas::ops(CanvasOp::Kind kind) const
{
    std::vector<CanvasOp> out;
    std::copy_if(m_ops.begin(), m_ops.end(), std::back_inserter(out),
                 [kind](const CanvasOp &op) { return op.kind == kind; });
    return out;
}

int RecordingCanvas::pageCount() const
{
    int pages = 0;
    for (const CanvasOp &op : m_ops)
        if (op.kind == CanvasOp::Kind::BeginJob || op.kind == CanvasOp::Kind::NewPage)
            ++pages;
    return pages;
}

} // namespace vcq::print
