// SPDX-License-Identifier: GPL-3.0-or-later
#include "url_label.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QUrl>

namespace vcq
{

TUrlLabel::TUrlLabel(QWidget *owner)
    : QLabel(owner), m_popup(new QMenu(this)), m_copy(new QAction(QStringLiteral("Copy"), m_popup)),
      m_opener([](const QString &target) { QDesktopServices::openUrl(QUrl(target)); })
{
    setCursor(Qt::PointingHandCursor);
    m_copy->setObjectName(QStringLiteral("copyItem"));
    connect(m_copy, &QAction::triggered, this, &TUrlLabel::copyClick);
    m_popup->addAction(m_copy);
}

void TUrlLabel::Click()
{
    emit clicked();
    const QString target = URL.trimmed().isEmpty() ? text() : URL;
    if (target.trimmed().isEmpty())
        return;
    if (m_opener)
        m_opener(target);
}

void TUrlLabel::copyClick()
{
    QGuiApplication::clipboard()->setText(text());
}

void TUrlLabel::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void TUrlLabel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        Click();
}

void TUrlLabel::contextMenuEvent(QContextMenuEvent *event)
{
    m_popup->popup(event->globalPos());
    event->accept();
}

} // namespace vcq
