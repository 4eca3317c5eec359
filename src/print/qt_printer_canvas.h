// SPDX-License-Identifier: GPL-3.0-or-later
// The canvas over the program's QPrinter: device pixels of the printable
// area, fonts in points at the printer's resolution, the symbol font drawn
// as Unicode symbols in a font that has them.
#pragma once

#include "canvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <optional>

class QPrinter;

namespace vcq::print
{

class QtPrinterCanvas : public PrintCanvas
{
public:
    explicit QtPrinterCanvas(QPrinter &printer);
    ~QtPrinterCanvas() override; // a job still open here is aborted

    int pageHeight() const override;
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

    int pagesBegun() const { return m_pages; }

protected:
    void doSetTitle(std::string_view title) override;

private:
    QString toText(std::string_view text) const;
    const QFont &qfont() const;
    const QFontMetrics &metrics() const;
    void usePenAndBrush();

    QPrinter &m_printer;
    QPainter m_painter;
    QPoint m_penPos;
    int m_pages = 0;
    mutable FontSpec m_cachedSpec;
    mutable std::optional<QFont> m_font;
    mutable std::optional<QFontMetrics> m_metrics;
};

} // namespace vcq::print
