// SPDX-License-Identifier: GPL-3.0-or-later
#include "plain_row_painter.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTextLayout>

#include <cmath>

namespace vcq
{

bool paintPlainRow(QPainter *painter, const QStyleOptionViewItem &option, const QWidget *widget)
{
    constexpr QStyle::State kStyleOnly =
        QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_Editing;
    if ((option.state & kStyleOnly) || option.direction != Qt::LeftToRight ||
        option.features != QStyleOptionViewItem::HasDisplay ||
        option.backgroundBrush.style() != Qt::NoBrush ||
        option.displayAlignment != (Qt::AlignLeft | Qt::AlignVCenter))
        return false;
    for (const QChar c : option.text)
        if (c.unicode() < 0x20 || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            return false;
    const QStyle *style = widget != nullptr ? widget->style() : QApplication::style();
    // The style's text margin, on each side of the row.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect textRect = option.rect.adjusted(margin, 0, -margin, 0);

    QTextOption textOption;
    textOption.setWrapMode(QTextOption::ManualWrap);
    textOption.setTextDirection(option.direction);
    textOption.setAlignment(QStyle::visualAlignment(option.direction, option.displayAlignment));
    QTextLayout layout(option.text, option.font);
    layout.setTextOption(textOption);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) {
        line.setLineWidth(textRect.width());
        line.setPosition(QPointF(0, 0));
    }
    layout.endLayout();
    if (line.isValid() && line.naturalTextWidth() > textRect.width())
        return false;

    QPalette::ColorGroup group =
        option.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(option.state & QStyle::State_Active))
        group = QPalette::Inactive;
    const QRect placed = QStyle::alignedRect(Qt::LayoutDirectionAuto, Qt::AlignVCenter,
                                             layout.boundingRect().size().toSize(), textRect);
    painter->save();
    painter->setClipRect(option.rect);
    painter->setPen(option.palette.color(group, QPalette::Text));
    layout.draw(painter, QPointF(textRect.x(), placed.top()));
    painter->restore();
    return true;
}

} // namespace vcq
