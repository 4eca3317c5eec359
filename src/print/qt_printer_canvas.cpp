// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt_printer_canvas.h"

#include "core/cp1252.h"
#include "wingdings.h"

#include <QPrinter>

namespace vcq::print
{

namespace
{

// Has the telephone, envelope and arrow symbols (Debian fonts-dejavu-core).
const char *const kSymbolFamily = "DejaVu Sans";

QColor toColor(Rgb rgb)
{
    return QColor::fromRgb(static_cast<QRgb>(rgb));
}

} // namespace

QtPrinterCanvas::QtPrinterCanvas(QPrinter &printer) : m_printer(printer) {}

QtPrinterCanvas::~QtPrinterCanvas()
{
    if (m_painter.isActive())
        abortJob();
}

void QtPrinterCanvas::doSetTitle(std::string_view title)
{
    m_printer.setDocName(fromCp1252(title));
}

int QtPrinterCanvas::pageHeight() const
{
    return m_printer.height();
}

bool QtPrinterCanvas::beginJob()
{
    if (!m_painter.begin(&m_printer))
        return false;
    m_pages = 1;
    return true;
}

bool QtPrinterCanvas::newPage()
{
    if (!m_printer.newPage())
        return false;
    ++m_pages;
    return true;
}

bool QtPrinterCanvas::endJob()
{
    return m_painter.end() && m_printer.printerState() != QPrinter::Error;
}

void QtPrinterCanvas::abortJob()
{
    m_printer.abort();
    if (m_painter.isActive())
        m_painter.end();
}

const QFont &QtPrinterCanvas::qfont() const
{
    if (!m_font || !(m_cachedSpec == font())) {
        m_cachedSpec = font();
        const bool symbol = m_cachedSpec.name == kSymbolFont;
        QFont f(symbol ? QString::fromLatin1(kSymbolFamily)
                       : QString::fromStdString(m_cachedSpec.name));
        f.setPointSize(m_cachedSpec.size);
        f.setBold(m_cachedSpec.bold);
        m_font = f;
        m_metrics.emplace(f, &m_printer);
    }
    return *m_font;
}

const QFontMetrics &QtPrinterCanvas::metrics() const
{
    qfont();
    return *m_metrics;
}

QString QtPrinterCanvas::toText(std::string_view text) const
{
    if (font().name != kSymbolFont)
        return fromCp1252(text);
    QString out;
    for (char c : text) {
        const char32_t symbol = wingdingsSymbol(static_cast<unsigned char>(c));
        out += symbol ? QString::fromUcs4(&symbol, 1) : fromCp1252(std::string_view(&c, 1));
    }
    return out;
}

int QtPrinterCanvas::textWidth(std::string_view text) const
{
    return metrics().horizontalAdvance(toText(text));
}

int QtPrinterCanvas::textHeight(std::string_view) const
{
    // One line height for every text, the empty one included, so that
    // measuring and drawing agree.
    return metrics().height();
}

void QtPrinterCanvas::drawText(int x, int y, std::string_view text)
{
    const QString s = toText(text);
    const QFontMetrics &fm = metrics();
    if (brush().style == BrushStyle::Solid && !s.isEmpty())
        m_painter.fillRect(QRect(x, y, fm.horizontalAdvance(s), fm.height()),
                           toColor(brush().color));
    m_painter.setFont(qfont());
    m_painter.setPen(toColor(font().color));
    m_painter.drawText(x, y + fm.ascent(), s);
}

void QtPrinterCanvas::usePenAndBrush()
{
    m_painter.setPen(QPen(Qt::black, 1, Qt::SolidLine));
    if (brush().style == BrushStyle::Solid)
        m_painter.setBrush(toColor(brush().color));
    else
        m_painter.setBrush(Qt::NoBrush);
}

void QtPrinterCanvas::rectangle(int x1, int y1, int x2, int y2)
{
    usePenAndBrush();
    // The right and bottom edges are excluded, as the printer's own rectangle does.
    m_painter.drawRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1);
}

void QtPrinterCanvas::moveTo(int x, int y)
{
    m_penPos = QPoint(x, y);
}

void QtPrinterCanvas::lineTo(int x, int y)
{
    usePenAndBrush();
    m_painter.drawLine(m_penPos, QPoint(x, y));
    m_penPos = QPoint(x, y);
}

} // namespace vcq::print
