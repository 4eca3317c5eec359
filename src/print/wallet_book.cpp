// SPDX-License-Identifier: GPL-3.0-or-later
#include "wallet_book.h"

#include "store/contact_list.h"

#include <optional>
#include <string>
#include <vector>

namespace vcq::print
{

WalletMeasures walletMeasures(int nHeight, int nWidth, int pageHeight)
{
    WalletMeasures m;
    m.H = nHeight;
    m.W = nWidth;
    m.G = m.H / 4;
    m.M = (8 * m.H) / 7;
    m.card = 27 * m.H;
    m.pitch = 28 * m.H;
    m.P = (57 * m.W) / 2;
    m.U = m.card - 2 * m.M;
    // A page shorter than one card still takes one card.
    m.R = m.pitch > 0 ? pageHeight / m.pitch : 0;
    if (m.R < 1)
        m.R = 1;
    return m;
}

namespace
{

using Initial = std::optional<char>;

Initial initialOf(const ContactNode &node)
{
    return node.DisplayKey.empty() ? '\0' : node.DisplayKey.front();
}

} // namespace

int assignPanels(const ContactList &list, const WalletMeasures &m)
{
    int panel = 0;
    int used = 0;
    Initial current;
    const int box = m.H + m.G;
    for (const ContactNode &node : list) {
        if (panel == 0)
            panel = 1;
        node.PrintHeight = m.H + m.G;
        if (!node.field(Field::Phone2).empty())
            node.PrintHeight += m.H;
        if (!node.field(Field::Email).empty())
            node.PrintHeight += m.H;

        bool opensGroup = false;
        if (initialOf(node) != current) {
            current = initialOf(node);
            opensGroup = true;
            if (used + box > m.U) {
                ++panel;
                used = box;
            } else {
                used += box;
            }
        }
        if (used + node.PrintHeight > m.U) {
            ++panel;
            // The next panel draws the group's index box again above the
            // entry, so it must be counted there too or the panel overflows
            // its card.
            used = node.PrintHeight + (opensGroup ? box : 0);
        } else {
            used += node.PrintHeight;
        }
        node.PrintPanel = panel;
    }
    return panel % 2 == 0 ? panel : panel + 1;
}

namespace
{

class WalletPrinter
{
public:
    WalletPrinter(PrintCanvas &canvas, const WalletMeasures &m) : c(canvas), m(m) {}

    void drawCard(int k, int panels, const std::vector<const ContactNode *> &nodes,
                  const std::vector<std::size_t> &firstOfPanel)
    {
        const int top = ((k - 1) % m.R) * m.pitch;
        c.rectangle(0, top, 2 * m.P, top + m.card);
        c.moveTo(m.P, top);
        c.lineTo(m.P, top + m.card);
        drawPanel(k, false, top, nodes, firstOfPanel);
        drawPanel(panels + 1 - k, true, top, nodes, firstOfPanel);
    }

private:
    void drawPanel(int n, bool right, int top, const std::vector<const ContactNode *> &nodes,
                   const std::vector<std::size_t> &firstOfPanel)
    {
        const int x0 = right ? m.P : 0;
        int y = top + m.M;
        // Panels that hold entries are numbered 1..size-1; the padding panel is empty.
        if (static_cast<std::size_t>(n) < firstOfPanel.size()) {
            std::size_t i = firstOfPanel[static_cast<std::size_t>(n - 1)];
            const std::size_t end = firstOfPanel[static_cast<std::size_t>(n)];
            // The group in force is the one of the entry before the panel.
            Initial last;
            if (i > 0)
                last = initialOf(*nodes[i - 1]);
            for (; i < end; ++i) {
                const ContactNode &node = *nodes[i];
                if (initialOf(node) != last) {
                    last = initialOf(node);
                    drawIndexBox(x0, y, std::string(node.DisplayKey.substr(0, 1)));
                    y += m.H + m.G;
                }
                y = drawEntry(node, right, y);
            }
        }
        if (m.H + 2 <= m.M)
            drawPageLabel(n, right, top);
    }

    void drawIndexBox(int x0, int y, const std::string &initial)
    {
        c.setBrush(Brush{BrushStyle::Solid, kBlack});
        c.rectangle(x0 + 3 * m.P / 8, y, x0 + 5 * m.P / 8, y + m.H);
        c.setFontColor(kWhite);
        c.drawText(x0 + (m.P - c.textWidth(initial)) / 2, y, initial);
        c.setFontColor(kBlack);
        c.setBrush(Brush{BrushStyle::Solid, kWhite});
    }

    int drawEntry(const ContactNode &node, bool right, int y)
    {
        c.drawText(right ? m.P + 2 * m.W : m.W, y, node.DisplayKey);
        drawNumberLine(node.field(Field::Phone1), "(", right, y);
        y += m.H;
        if (const std::string phone2 = node.field(Field::Phone2); !phone2.empty()) {
            drawNumberLine(phone2, ")", right, y);
            y += m.H;
        }
        if (const std::string email = node.field(Field::Email); !email.empty()) {
            drawNumberLine(email, ".", right, y);
            y += m.H;
        }
        return y + m.G;
    }

    void drawNumberLine(const std::string &text, std::string_view symbol, bool right, int y)
    {
        const int textEdge = right ? 2 * m.P - 3 * m.W : m.P - 4 * m.W;
        const int symbolEdge = right ? 2 * m.P - m.W : m.P - 2 * m.W;
        c.drawText(textEdge - c.textWidth(text), y, text);
        c.setFontName(kSymbolFont);
        c.drawText(symbolEdge - c.textWidth(symbol), y, symbol);
        c.setFontName(kSansFont);
    }

    void drawPageLabel(int n, bool right, int top)
    {
        const std::string label = "Page " + std::to_string(n);
        c.setFontBold(true);
        const int x = right ? 2 * m.P - m.W - c.textWidth(label) : m.W;
        c.drawText(x, top + m.card - m.H - 2, label);
        c.setFontBold(false);
    }

    PrintCanvas &c;
    const WalletMeasures &m;
};

} // namespace

PrintResult PrintWalletBook(PrintCanvas &canvas, const ContactList &list)
{
    if (list.empty())
        return PrintResult::NothingToPrint;

    // Every run starts from the same font, whatever printed before.
    canvas.setFont(FontSpec{});
    canvas.setBrush(Brush{});
    canvas.setTitle(kDocumentTitle);
    const WalletMeasures m =
        walletMeasures(canvas.textHeight("N"), canvas.textWidth("N"), canvas.pageHeight());
    if (!canvas.beginJob())
        return PrintResult::Failed;

    const int panels = assignPanels(list, m);
    // The nodes of panel n are nodes[firstOfPanel[n-1] .. firstOfPanel[n]).
    std::vector<const ContactNode *> nodes;
    nodes.reserve(list.size());
    std::vector<std::size_t> firstOfPanel;
    for (const ContactNode &node : list) {
        while (static_cast<int>(firstOfPanel.size()) < node.PrintPanel)
            firstOfPanel.push_back(nodes.size());
        nodes.push_back(&node);
    }
    firstOfPanel.push_back(nodes.size());

    WalletPrinter printer(canvas, m);
    for (int k = 1; k <= panels / 2; ++k) {
        if (k > 1 && (k - 1) % m.R == 0 && !canvas.newPage()) {
            canvas.abortJob();
            return PrintResult::Failed;
        }
        printer.drawCard(k, panels, nodes, firstOfPanel);
    }
    return canvas.endJob() ? PrintResult::Printed : PrintResult::Failed;
}

} // namespace vcq::print
