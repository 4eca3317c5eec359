// SPDX-License-Identifier: GPL-3.0-or-later
// The printer operations the flow printer and the two layouts rely on, as one
// abstract canvas: the real one draws on a QPrinter, a recording one keeps the
// operations for tests. Coordinates are device pixels of the printable area.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vcq::print
{

using Rgb = std::uint32_t;
inline constexpr Rgb kBlack = 0x000000;
inline constexpr Rgb kWhite = 0xFFFFFF;

inline constexpr std::string_view kSansFont = "MS Sans Serif";
inline constexpr std::string_view kSymbolFont = "Wingdings";
// The spooler is handed this many characters of a document title.
inline constexpr std::size_t kTitleMax = 31;

struct FontSpec {
    std::string name{kSansFont};
    int size = 8; // points
    bool bold = false;
    Rgb color = kBlack;
    friend bool operator==(const FontSpec &, const FontSpec &) = default;
};

enum class BrushStyle { Solid, Clear };

struct Brush {
    BrushStyle style = BrushStyle::Solid;
    Rgb color = kWhite;
    friend bool operator==(const Brush &, const Brush &) = default;
};

// Texts are bytes of the Western European code page, as the contacts hold them.
class PrintCanvas
{
public:
    virtual ~PrintCanvas() = default;

    virtual int pageHeight() const = 0;
    // Cuts the title to what the spooler is given.
    void setTitle(std::string_view title) { doSetTitle(title.substr(0, kTitleMax)); }

    // Job control reports failure with false; a failed job must be aborted.
    virtual bool beginJob() = 0;
    virtual bool newPage() = 0;
    virtual bool endJob() = 0;
    virtual void abortJob() = 0;

    const FontSpec &font() const { return m_font; }
    void setFont(const FontSpec &font) { m_font = font; }
    void setFontName(std::string_view name) { m_font.name = std::string(name); }
    void setFontSize(int points) { m_font.size = points; }
    void setFontBold(bool bold) { m_font.bold = bold; }
    void setFontColor(Rgb color) { m_font.color = color; }

    const Brush &brush() const { return m_brush; }
    void setBrush(const Brush &brush) { m_brush = brush; }

    virtual int textWidth(std::string_view text) const = 0;
    virtual int textHeight(std::string_view text) const = 0;
    // Top-left corner of the text cell at (x, y); a solid brush fills the cell.
    virtual void drawText(int x, int y, std::string_view text) = 0;
    // Outlined with the 1-pixel black pen, filled with the brush.
    virtual void rectangle(int x1, int y1, int x2, int y2) = 0;
    virtual void moveTo(int x, int y) = 0;
    virtual void lineTo(int x, int y) = 0;

protected:
    virtual void doSetTitle(std::string_view title) = 0;

private:
    FontSpec m_font;
    Brush m_brush;
};

} // namespace vcq::print
