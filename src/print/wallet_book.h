// SPDX-License-Identifier: GPL-3.0-or-later
// The Wallet Book: framed two-panel cards for a pocket address book, the
// panels numbered as the pages of a booklet, every dimension derived from
// the size of the letter "N" in the printer's font.
#pragma once

#include "canvas.h"
#include "print_result.h"

namespace vcq
{
class ContactList;
}

namespace vcq::print
{

inline constexpr std::string_view kDocumentTitle = "Vellora Carnetique 97";

struct WalletMeasures {
    int H = 0;     // line height: text height of "N"
    int W = 0;     // indent unit: text width of "N"
    int G = 0;     // space after an entry and after an index box
    int M = 0;     // top and bottom margin of a panel
    int P = 0;     // width of a panel
    int U = 0;     // height for entries in a panel
    int R = 0;     // cards per page, at least 1
    int card = 0;  // height of a card's frame
    int pitch = 0; // distance from one card to the next
    friend bool operator==(const WalletMeasures &, const WalletMeasures &) = default;
};

WalletMeasures walletMeasures(int nHeight, int nWidth, int pageHeight);

// Sets every node's PrintHeight and PrintPanel; returns the (even) number of
// panels, 0 for an empty list.
int assignPanels(const ContactList &list, const WalletMeasures &m);

PrintResult PrintWalletBook(PrintCanvas &canvas, const ContactList &list);

} // namespace vcq::print
