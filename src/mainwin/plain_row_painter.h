// SPDX-License-Identifier: GPL-3.0-or-later
// Draws a plain list row (its text only, neither selected nor focused) as the
// style's item delegate draws it, with its text laid out once where the style
// lays it out three times: a page of rows never shown before, after a jump
// down a long list, was mostly the laying out of their text.
#pragma once

class QPainter;
class QStyleOptionViewItem;
class QWidget;

namespace vcq
{

// Draws the row described by `option` (its text set, HasDisplay its only
// feature) and returns true; returns false and draws nothing for a row only
// the style draws right: selected, focused, with a background, right to left,
// with line breaks, or whose text is too wide and is cut short.
bool paintPlainRow(QPainter *painter, const QStyleOptionViewItem &option, const QWidget *widget);

} // namespace vcq
