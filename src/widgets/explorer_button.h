// SPDX-License-Identifier: GPL-3.0-or-later
// TExplorerButton: a flat, light tool button with hot tracking, a picture and a
// caption, mono display, drop-down menu and radio-group behaviour.
#pragma once

#include "explorer_layout.h"
#include "explorer_types.h"

#include <QBitmap>
#include <QColor>
#include <QImage>
#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

namespace vcq
{

class TExplorerButton : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(vcq::TAlignment Alignment READ Alignment WRITE setAlignment)
    Q_PROPERTY(bool AllowAllUp READ AllowAllUp WRITE setAllowAllUp)
    Q_PROPERTY(vcq::TBevelStyle BevelStyle READ BevelStyle WRITE setBevelStyle)
    Q_PROPERTY(QImage NoFocusBitmap READ NoFocusBitmap WRITE setNoFocusBitmap)
    Q_PROPERTY(QImage Bitmap READ Bitmap WRITE setBitmap)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(int GroupIndex READ GroupIndex WRITE setGroupIndex)
    Q_PROPERTY(QImage DisabledBitmap READ DisabledBitmap WRITE setDisabledBitmap)
    Q_PROPERTY(bool Down READ Down WRITE setDown)
    Q_PROPERTY(QMenu *DropDownMenu READ DropDownMenu WRITE setDropDownMenu)
    Q_PROPERTY(vcq::TExplorerButtonLayout Layout READ Layout WRITE setLayout)
    Q_PROPERTY(vcq::TExplorerButtonOptions Options READ Options WRITE setOptions)
    Q_PROPERTY(vcq::TExplorerButtonShadingType ShadingType READ ShadingType WRITE setShadingType)
    Q_PROPERTY(bool ShowDownPattern READ ShowDownPattern WRITE setShowDownPattern)
    Q_PROPERTY(QColor UnselectedFontColor READ UnselectedFontColor WRITE setUnselectedFontColor)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE setWordWrap)
    Q_PROPERTY(QString Hint READ Hint WRITE setHint)
    Q_PROPERTY(bool ShowHint READ ShowHint WRITE setShowHint)
    Q_PROPERTY(QMenu *PopupMenu READ PopupMenu WRITE setPopupMenu)

public:
    explicit TExplorerButton(QWidget *parent = nullptr);
    ~TExplorerButton() override;

    TAlignment Alignment() const { return m_alignment; }
    void setAlignment(TAlignment value);

    // Copied into every button of the same parent and group (no redraw).
    bool AllowAllUp() const { return m_allowAllUp; }
    void setAllowAllUp(bool value);

    TBevelStyle BevelStyle() const { return m_bevelStyle; }
    void setBevelStyle(TBevelStyle value);

    // Pictures are copied. The top-left pixel's colour is each picture's
    // transparent colour.
    QImage Bitmap() const { return m_bitmap; }
    void setBitmap(const QImage &picture);
    QImage NoFocusBitmap() const { return m_noFocusBitmap; }
    void setNoFocusBitmap(const QImage &picture);
    QImage DisabledBitmap() const { return m_disabledBitmap; }
    void setDisabledBitmap(const QImage &picture);

    // Cut to 255 characters; "&" marks the accelerator (Alt + that letter).
    QString Caption() const { return m_caption; }
    void setCaption(const QString &value);

    int GroupIndex() const { return m_groupIndex; }
    void setGroupIndex(int value);

    // Only a button of a group (GroupIndex not 0) can be down; one down button
    // puts the others of its group up.
    bool Down() const { return m_down; }
    void setDown(bool value);

    // Popped up below the button when it is pressed; such a button never clicks.
    QMenu *DropDownMenu() const { return m_dropDownMenu; }
    void setDropDownMenu(QMenu *menu);

    TExplorerButtonLayout Layout() const { return m_layout; }
    void setLayout(TExplorerButtonLayout value);

    TExplorerButtonOptions Options() const { return m_options; }
    void setOptions(TExplorerButtonOptions value);

    TExplorerButtonShadingType ShadingType() const { return m_shadingType; }
    void setShadingType(TExplorerButtonShadingType value);

    bool ShowDownPattern() const { return m_showDownPattern; }
    void setShowDownPattern(bool value);

    // Caption colour at rest; follows the palette's window-text colour until set.
    QColor UnselectedFontColor() const;
    void setUnselectedFontColor(const QColor &value);

    bool WordWrap() const { return m_wordWrap; }
    void setWordWrap(bool value);

    // The hint is the tool tip; ShowHint decides whether it is shown.
    QString Hint() const { return toolTip(); }
    void setHint(const QString &value) { setToolTip(value); }
    bool ShowHint() const { return m_showHint; }
    void setShowHint(bool value) { m_showHint = value; }

    // Shown at the pointer on the context-menu gesture (right button).
    QMenu *PopupMenu() const { return m_popupMenu; }
    void setPopupMenu(QMenu *menu) { m_popupMenu = menu; }

    // Where caption and picture go at the button's current size and font.
    ExplorerLayout currentLayout() const;

    // Fires clicked(), as a completed press and release over the button does.
    void click();

    QSize sizeHint() const override { return {50, 40}; }

signals:
    void clicked();

protected:
    bool event(QEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void enterEvent(QEnterEvent *e) override;
    void leaveEvent(QEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    void leftButtonDown();
    void leftButtonUp();
    void pointerMovedTo(const QPoint &pos);
    void accelerate();
    bool pointerStrictlyInside() const;
    bool canBecomeHot() const;
    QList<TExplorerButton *> groupSiblings() const;
    void picturesChanged();
    void rebuildGreyPicture();
    void updateShortcut();
    QColor fontColor() const;
    QString drawnCaption() const;
    bool captionShown() const;
    bool markShown() const;
    int captionFlags() const;
    void drawCaption(QPainter &p, const QRect &r, const QColor &c) const;
    void drawBevel(QPainter &p, bool sunken) const;
    const QImage &downPattern() const;

    TAlignment m_alignment = taCenter;
    bool m_allowAllUp = false;
    TBevelStyle m_bevelStyle = bsRaised;
    QString m_caption;
    int m_groupIndex = 0;
    bool m_down = false;
    QPointer<QMenu> m_dropDownMenu;
    QPointer<QMenu> m_popupMenu;
    TExplorerButtonLayout m_layout = blBitmapTop;
    TExplorerButtonOptions m_options = TExplorerButtonOptions(boMonoDisplay) | boPopupMark;
    TExplorerButtonShadingType m_shadingType = stMedium;
    bool m_showDownPattern = true;
    QColor m_unselectedFontColor; // invalid: the palette's window-text colour
    bool m_wordWrap = false;
    bool m_showHint = true;
    int m_shortcutId = 0;

    bool m_pressed = false;
    bool m_hot = false;

    QImage m_bitmap;
    QImage m_noFocusBitmap;
    QImage m_disabledBitmap;
    QImage m_greyBitmap;
    // Ready-to-draw forms, made when the pictures change.
    QPixmap m_bitmapPixmap;
    QPixmap m_noFocusPixmap;
    QPixmap m_disabledPixmap;
    QPixmap m_greyPixmap;
    QBitmap m_etchedShape;
};

} // namespace vcq
