// SPDX-License-Identifier: GPL-3.0-or-later
// A canvas that draws nothing and records every drawing and job operation,
// with fixed metrics, so layouts can be checked operation by operation.
#pragma once

#include "canvas.h"

#include <string>
#include <vector>

namespace vcq::print
{

struct CanvasOp {
    enum class Kind { Title, BeginJob, NewPage, EndJob, AbortJob, Text, Rectangle, MoveTo, LineTo };
    Kind kind = Kind::Text;
    int x = 0, y = 0, x2 = 0, y2 = 0;
    std::string text;
    FontSpec font;
    Brush brush;
    friend bool operator==(const CanvasOp &, const CanvasOp &) = default;
};

// One line per operation, for messages of failed comparisons.
std::string describe(const CanvasOp &op);

class RecordingCanvas : public PrintCanvas
{
public:
    // Metrics: a text is size x heightAt8 / 8 pixels high (whatever the text)
    // and each character size x 6 pixels wide, so "N" in 8 points is 80 x 48
    // by default.
    explicit RecordingCanvas(int pageHeight = 6400, int heightAt8 = 80)
        : m_pageHeight(pageHeight), m_heightAt8(heightAt8)
    {
    }

    int pageHeight() const override { return m_pageHeight; }
    void setPageHeight(int height) { m_pageHeight = height; }

    bool beginJob() override;
    bool newPage() override;
    bool endJob() override;
    void abortJob() override;

    int textWidth(std::string_view text) const override;
    int textHeight(std::string_view text) const override;
    void drawText(int x, int y, std::string_view text) override;
    void rectangle(int x1, int y1, int x2, int y2) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;

    // Makes the n-th call (from 1) of beginJob or newPage fail; 0 never.
    void failBeginJob(int n) { m_failBegin = n; }
    void failNewPage(int n) { m_failNewPage = n; }

    const std::vector<CanvasOp> &ops() const { return m_ops; }
    std::vector<CanvasOp> ops(CanvasOp::Kind kind) const;
    int pageCount() const; // pages begun by the recorded job(s)
    bool inJob() const { return m_inJob; }

protected:
    void doSetTitle(std::string_view title) override;

private:
    void record(CanvasOp::Kind kind, int x = 0, int y = 0, int x2 = 0, int y2 = 0,
                std::string_view text = {});

    int m_pageHeight;
    int m_heightAt8;
    bool m_inJob = false;
    int m_beginCalls = 0, m_newPageCalls = 0;
    int m_failBegin = 0, m_failNewPage = 0;
    std::vector<CanvasOp> m_ops;
};

} // namespace vcq::print
