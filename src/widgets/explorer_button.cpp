// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer_button.h"

#include "explorer_caption.h"
#include "explorer_pictures.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QCursor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>

namespace vcq
{

namespace
{

QColor buttonHighlight(const QPalette &pal)
{
    return pal.color(QPalette::Light);
}
QColor buttonShadow(const QPalette &pal)
{
    return pal.color(QPalette::Dark);
}

} // namespace

TExplorerButton::TExplorerButton(QWidget *parent) : QWidget(parent)
{
    // Light: no native window and no background of its own.
    setAutoFillBackground(false);
    setMouseTracking(true);
    resize(50, 40);
}

TExplorerButton::~TExplorerButton() = default;

void TExplorerButton::setAlignment(TAlignment value)
{
    m_alignment = value;
    update();
}

QList<TExplorerButton *> TExplorerButton::groupSiblings() const
{
    QList<TExplorerButton *> out;
    if (!parent())
        return out;
    for (QObject *o : parent()->children()) {
        auto *b = qobject_cast<TExplorerButton *>(o);
        if (b && b != this && b->m_groupIndex == m_groupIndex)
            out.append(b);
    }
    return out;
}

void TExplorerButton::setAllowAllUp(bool value)
{
    m_allowAllUp = value;
    if (m_groupIndex != 0) {
        for (TExplorerButton *b : groupSiblings())
            b->m_allowAllUp = value;
    }
}

void TExplorerButton::setBevelStyle(TBevelStyle value)
{
    m_bevelStyle = value;
    update();
}

void TExplorerButton::setBitmap(const QImage &picture)
{
    m_bitmap = picture;
    m_bitmapPixmap = QPixmap::fromImage(applyTransparentColour(m_bitmap));
    const QImage shape = blackShape(m_bitmap);
    m_etchedShape = shape.isNull() ? QBitmap() : QBitmap::fromImage(shape);
    picturesChanged();
}

void TExplorerButton::setNoFocusBitmap(const QImage &picture)
{
    m_noFocusBitmap = picture;
    m_noFocusPixmap = QPixmap::fromImage(applyTransparentColour(m_noFocusBitmap));
    picturesChanged();
}

void TExplorerButton::setDisabledBitmap(const QImage &picture)
{
    m_disabledBitmap = picture;
    m_disabledPixmap = QPixmap::fromImage(applyTransparentColour(m_disabledBitmap));
    if (!isEnabled())
        update();
}

void TExplorerButton::picturesChanged()
{
    rebuildGreyPicture();
    update();
}

void TExplorerButton::rebuildGreyPicture()
{
    if (m_bitmap.isNull() || !m_noFocusBitmap.isNull()) {
        m_greyBitmap = QImage();
        m_greyPixmap = QPixmap();
        return;
    }
    const QPalette &pal = palette();
    m_greyBitmap =
        makeGreyPicture(m_bitmap, m_shadingType, buttonHighlight(pal), buttonShadow(pal));
    m_greyPixmap = QPixmap::fromImage(applyTransparentColour(m_greyBitmap));
}

void TExplorerButton::setCaption(const QString &value)
{
    m_caption = value.left(kMaxCaptionLength);
    updateShortcut();
    if (m_options.testFlag(boIconOnly))
        setToolTip(removeAcceleratorMarkers(m_caption));
    else
        update();
    // A screen reader says the new caption, as a change of language renames it.
    if (QAccessible::isActive()) {
        QAccessibleEvent renamed(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&renamed);
    }
}

void TExplorerButton::updateShortcut()
{
    if (m_shortcutId != 0) {
        releaseShortcut(m_shortcutId);
        m_shortcutId = 0;
    }
    const QKeySequence seq = QKeySequence::mnemonic(m_caption);
    if (!seq.isEmpty())
        m_shortcutId = grabShortcut(seq);
}

void TExplorerButton::setGroupIndex(int value)
{
    if (value == m_groupIndex)
        return;
    m_groupIndex = value;
    if (value == 0 && m_down) {
        m_down = false;
        update();
    }
}

void TExplorerButton::setDown(bool value)
{
    if (value == m_down || m_groupIndex == 0)
        return;
    m_down = value;
    update();
    if (m_down) {
        for (TExplorerButton *b : groupSiblings()) {
            if (b->m_down)
                b->setDown(false);
        }
    }
}

void TExplorerButton::setDropDownMenu(QMenu *menu)
{
    m_dropDownMenu = menu;
    if (m_options.testFlag(boPopupMark))
        update();
}

void TExplorerButton::setLayout(TExplorerButtonLayout value)
{
    if (value == m_layout)
        return;
    m_layout = value;
    update();
}

void TExplorerButton::setOptions(TExplorerButtonOptions value)
{
    m_options = value;
    const QString plain = removeAcceleratorMarkers(m_caption);
    if (m_options.testFlag(boIconOnly)) {
        // The caption is not drawn, so it becomes the hint unless one is set.
        if (toolTip().isEmpty()) {
            setToolTip(plain);
            m_showHint = true;
        }
    } else if (toolTip() == plain) {
        // The hint was only standing in for the caption, which is shown again.
        setToolTip(QString());
        m_showHint = false;
    }
    update();
}

void TExplorerButton::setShadingType(TExplorerButtonShadingType value)
{
    if (value == m_shadingType)
        return;
    m_shadingType = value;
    if (!m_bitmap.isNull() && m_noFocusBitmap.isNull()) {
        rebuildGreyPicture();
        update();
    }
}

void TExplorerButton::setShowDownPattern(bool value)
{
    if (value == m_showDownPattern)
        return;
    m_showDownPattern = value;
    update();
}

QColor TExplorerButton::UnselectedFontColor() const
{
    return m_unselectedFontColor.isValid() ? m_unselectedFontColor
                                           : palette().color(QPalette::WindowText);
}

void TExplorerButton::setUnselectedFontColor(const QColor &value)
{
    if (value == UnselectedFontColor())
        return;
    m_unselectedFontColor = value;
    update();
}

void TExplorerButton::setWordWrap(bool value)
{
    if (value == m_wordWrap)
        return;
    m_wordWrap = value;
    update();
}

QColor TExplorerButton::fontColor() const
{
    return palette().color(QPalette::WindowText);
}

QString TExplorerButton::drawnCaption() const
{
    return captionForDrawing(m_caption, m_wordWrap);
}

bool TExplorerButton::captionShown() const
{
    return !m_options.testFlag(boIconOnly) && !m_caption.isEmpty();
}

bool TExplorerButton::markShown() const
{
    return m_options.testFlag(boPopupMark) && m_dropDownMenu;
}

int TExplorerButton::captionFlags() const
{
    int flags = Qt::AlignTop | Qt::TextShowMnemonic;
    switch (m_alignment) {
    case taLeftJustify:
        flags |= Qt::AlignLeft;
        break;
    case taRightJustify:
        flags |= Qt::AlignRight;
        break;
    case taCenter:
        flags |= Qt::AlignHCenter;
        break;
    }
    if (m_wordWrap)
        flags |= Qt::TextWordWrap;
    return flags;
}

ExplorerLayout TExplorerButton::currentLayout() const
{
    ExplorerLayoutInput in;
    in.width = width();
    in.height = height();
    in.hasText = captionShown();
    if (in.hasText) {
        const QRect measured = QFontMetrics(font()).boundingRect(
            QRect(0, 0, std::max(0, width() - 4), 0), captionFlags(), drawnCaption());
        in.textWidth = measured.width();
        in.textHeight = measured.height();
    }
    in.hasPicture = !m_bitmap.isNull();
    in.pictureWidth = m_bitmap.width();
    in.pictureHeight = m_bitmap.height();
    in.markRoom = markShown();
    in.alignment = m_alignment;
    in.layout = m_layout;
    in.wordWrap = m_wordWrap;
    return computeExplorerLayout(in);
}

void TExplorerButton::drawCaption(QPainter &p, const QRect &r, const QColor &c) const
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    p.setPen(c);
    // Drawn text is cut at its rectangle.
    p.drawText(r, captionFlags(), drawnCaption());
}

void TExplorerButton::drawBevel(QPainter &p, bool sunken) const
{
    const QPalette &pal = palette();
    // A raised frame is light on top and left; lowering the style swaps the two.
    const bool lightFirst = sunken ? m_bevelStyle == bsLowered : m_bevelStyle == bsRaised;
    const QColor first = lightFirst ? buttonHighlight(pal) : buttonShadow(pal);
    const QColor second = lightFirst ? buttonShadow(pal) : buttonHighlight(pal);
    const int w = width();
    const int h = height();
    p.fillRect(0, 0, 1, h, first);
    p.fillRect(0, 0, w - 1, 1, first);
    p.fillRect(w - 1, 0, 1, h - 1, second);
    p.fillRect(1, h - 1, w - 1, 1, second);
}

const QImage &TExplorerButton::downPattern() const
{
    // The checkerboard behind a down button is one image shared by every
    // button, made again when the colours change. An image, not a pixmap, so
    // that it may outlive the application.
    struct Pattern {
        QRgb face = 0;
        QRgb light = 0;
        QImage image;
    };
    static Pattern pattern;
    const QPalette &pal = palette();
    const QRgb face = pal.color(QPalette::Button).rgb();
    const QRgb light = buttonHighlight(pal).rgb();
    if (pattern.image.isNull() || pattern.face != face || pattern.light != light) {
        QImage img(8, 8, QImage::Format_RGB32);
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x)
                img.setPixel(x, y, (x + y) % 2 == 0 ? light : face);
        }
        pattern = {face, light, std::move(img)};
    }
    return pattern.image;
}

namespace
{

void drawArrowMark(QPainter &p, int x, int y, const QColor &c)
{
    p.fillRect(x, y - 1, 7, 1, c);
    p.fillRect(x + 1, y, 5, 1, c);
    p.fillRect(x + 2, y + 1, 3, 1, c);
    p.fillRect(x + 3, y + 2, 1, 1, c);
}

} // namespace

void TExplorerButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (m_down && m_showDownPattern)
        p.fillRect(rect(), QBrush(downPattern()));
    p.setFont(font());
    p.setBackgroundMode(Qt::TransparentMode);

    const ExplorerLayout lay = currentLayout();
    const QRect textRect(lay.tx, lay.ty, lay.w, lay.h);
    const bool hasPicture = !m_bitmap.isNull();
    const bool text = captionShown();
    const QPalette &pal = palette();

    if (!isEnabled()) {
        if (m_down)
            drawBevel(p, true);
        if (hasPicture) {
            if (!m_disabledPixmap.isNull()) {
                p.drawPixmap(lay.px, lay.py, m_disabledPixmap);
            } else if (!m_etchedShape.isNull()) {
                // A one-bit picture is drawn in the pen colour where its bits are set.
                p.setPen(buttonHighlight(pal));
                p.drawPixmap(lay.px + 1, lay.py + 1, m_etchedShape);
                p.setPen(buttonShadow(pal));
                p.drawPixmap(lay.px, lay.py, m_etchedShape);
            }
        }
        if (text) {
            drawCaption(p, textRect.translated(1, 1), buttonHighlight(pal));
            drawCaption(p, textRect, buttonShadow(pal));
        }
        return;
    }

    if ((m_pressed && m_hot) || m_down) {
        drawBevel(p, true);
        const QColor c = fontColor();
        if (text)
            drawCaption(p, m_bevelStyle == bsRaised ? textRect.translated(1, 1) : textRect, c);
        if (hasPicture) {
            p.drawPixmap(lay.px + 1, lay.py + 1, m_bitmapPixmap);
            if (markShown())
                drawArrowMark(p, lay.px + m_bitmap.width() + 4, lay.py + lay.ph / 2 + 1, c);
        } else if (markShown()) {
            drawArrowMark(p, lay.tx + lay.w + 4, lay.ty + lay.h / 2 + 1, c);
        }
        return;
    }

    if (m_hot)
        drawBevel(p, false);
    const QColor c = m_hot ? fontColor() : UnselectedFontColor();
    if (text)
        drawCaption(p, m_bevelStyle == bsLowered ? textRect.translated(1, 1) : textRect, c);
    if (hasPicture) {
        const QPixmap *pic = &m_bitmapPixmap;
        if (!m_hot && m_options.testFlag(boMonoDisplay))
            pic = m_noFocusPixmap.isNull() ? &m_greyPixmap : &m_noFocusPixmap;
        p.drawPixmap(lay.px, lay.py, *pic);
        if (markShown())
            drawArrowMark(p, lay.px + m_bitmap.width() + 3, lay.py + lay.ph / 2, c);
    } else if (markShown()) {
        drawArrowMark(p, lay.tx + lay.w + 3, lay.ty + lay.h / 2, c);
    }
}

bool TExplorerButton::canBecomeHot() const
{
    return isEnabled() && isVisible() && window()->isActiveWindow();
}

bool TExplorerButton::pointerStrictlyInside() const
{
    const QPoint p = mapFromGlobal(QCursor::pos());
    return p.x() > 0 && p.x() < width() && p.y() > 0 && p.y() < height();
}

void TExplorerButton::pointerMovedTo(const QPoint &pos)
{
    const bool inside = pos.x() >= 0 && pos.x() <= width() && pos.y() >= 0 && pos.y() <= height();
    if (inside && !m_hot && canBecomeHot()) {
        m_hot = true;
        if (!m_down)
            update();
    } else if (!inside && m_hot) {
        m_hot = false;
        if (!m_down && isEnabled())
            update();
    }
}

void TExplorerButton::mouseMoveEvent(QMouseEvent *e)
{
    pointerMovedTo(e->position().toPoint());
    e->accept();
}

void TExplorerButton::enterEvent(QEnterEvent *e)
{
    pointerMovedTo(e->position().toPoint());
    QWidget::enterEvent(e);
}

void TExplorerButton::leaveEvent(QEvent *e)
{
    // While the left button is held, moves outside keep arriving and decide.
    if (m_hot && !m_pressed) {
        m_hot = false;
        if (!m_down && isEnabled())
            update();
    }
    QWidget::leaveEvent(e);
}

void TExplorerButton::leftButtonDown()
{
    QWidget *form = window();
    if (!form->isActiveWindow()) {
        form->raise();
        form->activateWindow();
    }
    if (!isEnabled() || !isVisible())
        return;
    m_pressed = true;
    m_hot = true;
    update();
    if (m_dropDownMenu) {
        QPointer<TExplorerButton> self(this);
        m_dropDownMenu->exec(mapToGlobal(QPoint(0, height())));
        if (!self)
            return;
        if (!pointerStrictlyInside())
            m_hot = false;
        m_pressed = false;
        update();
    }
}

void TExplorerButton::leftButtonUp()
{
    if (!isEnabled() || !isVisible() || !m_pressed)
        return;
    m_pressed = false;
    if (m_hot && m_groupIndex != 0) {
        if (!m_down)
            setDown(true);
        else if (m_allowAllUp)
            setDown(false);
    }
    if (m_hot) {
        m_hot = false;
        update();
        if (!m_dropDownMenu)
            click();
    }
}

void TExplorerButton::mousePressEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton)
        leftButtonDown();
    e->accept();
}

void TExplorerButton::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton)
        leftButtonUp();
    e->accept();
}

void TExplorerButton::mouseDoubleClickEvent(QMouseEvent *e)
{
    // The second press of a double click comes as this event: it is an
    // ordinary press, so a double click gives two clicks.
    if (e->button() == Qt::LeftButton && !m_pressed)
        leftButtonDown();
    e->accept();
}

void TExplorerButton::contextMenuEvent(QContextMenuEvent *e)
{
    if (!m_popupMenu) {
        e->ignore();
        return;
    }
    e->accept();
    QPointer<TExplorerButton> self(this);
    m_popupMenu->exec(e->globalPos());
    if (!self)
        return;
    if (!pointerStrictlyInside())
        m_hot = false;
    m_pressed = false;
    update();
}

void TExplorerButton::accelerate()
{
    if (!isEnabled() || !isVisible())
        return;
    QPointer<TExplorerButton> self(this);
    m_hot = true;
    m_pressed = false;
    update();
    leftButtonDown();
    if (!self)
        return;
    leftButtonUp();
    if (!self)
        return;
    if (!pointerStrictlyInside()) {
        m_hot = false;
        update();
    }
}

void TExplorerButton::click()
{
    emit clicked();
}

bool TExplorerButton::event(QEvent *e)
{
    switch (e->type()) {
    case QEvent::Shortcut:
        if (static_cast<QShortcutEvent *>(e)->shortcutId() == m_shortcutId) {
            accelerate();
            return true;
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
        // The toolkit hands a disabled widget's mouse events to no handler;
        // a press must still bring the form to the front, the rest is ignored.
        if (!isEnabled()) {
            const auto *mouse = static_cast<QMouseEvent *>(e);
            if (e->type() != QEvent::MouseButtonRelease && e->type() != QEvent::MouseMove &&
                mouse->button() == Qt::LeftButton)
                leftButtonDown();
            e->accept();
            return true;
        }
        break;
    case QEvent::ToolTip:
        if (!m_showHint) {
            e->ignore();
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::event(e);
}

void TExplorerButton::changeEvent(QEvent *e)
{
    switch (e->type()) {
    case QEvent::EnabledChange:
        m_pressed = false;
        m_hot = false;
        update();
        break;
    case QEvent::PaletteChange:
        // The grey picture is made in the palette's colours.
        rebuildGreyPicture();
        update();
        break;
    default:
        break;
    }
    QWidget::changeEvent(e);
}

} // namespace vcq
