// SPDX-License-Identifier: GPL-3.0-or-later
// TUrlLabel: a text label that opens its address with the desktop's handler
// when clicked, shows a pointing hand, and offers a context menu whose one
// item, "Copy", puts the label's caption on the clipboard. Tab reaches it and
// Enter or Space opens it; a screen reader reads it as a link.
#pragma once

#include <QLabel>

#include <functional>

class QAction;
class QMenu;

namespace vcq
{

class TUrlLabel : public QLabel
{
    Q_OBJECT
public:
    explicit TUrlLabel(QWidget *owner = nullptr);

    // The address to open; when blank, the caption is opened instead.
    QString URL;

    // What opening a target means; by default the desktop's handler. The
    // target is passed exactly as chosen, outer blanks included.
    using Opener = std::function<void(const QString &target)>;
    void setOpener(Opener opener) { m_opener = std::move(opener); }

    QMenu *popupMenu() const { return m_popup; }

    // A click: the clicked() handlers first, then the address is opened.
    void Click();

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void copyClick();

    QMenu *m_popup;
    QAction *m_copy;
    Opener m_opener;
    bool m_pressed = false;
};

// Makes the label's interface (a link that can be pressed) when a screen
// reader asks for one.
void installUrlLabelAccessibility();

} // namespace vcq
