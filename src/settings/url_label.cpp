// SPDX-License-Identifier: GPL-3.0-or-later
#include "url_label.h"

#include <QAccessibleWidget>
#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QUrl>

namespace vcq
{

TUrlLabel::TUrlLabel(QWidget *owner)
    : QLabel(owner), m_popup(new QMenu(this)), m_copy(new QAction(QStringLiteral("Copy"), m_popup)),
      m_opener([](const QString &target) { QDesktopServices::openUrl(QUrl(target)); })
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
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

void TUrlLabel::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
            event->accept();
            Click();
            return;
        }
        break;
    default:
        break;
    }
    QLabel::keyPressEvent(event);
}

void TUrlLabel::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // The focus is always seen: the style's focus frame round the text.
    QPainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = contentsRect();
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

namespace
{

class UrlLabelAccessible : public QAccessibleWidget
{
public:
    explicit UrlLabelAccessible(TUrlLabel *label) : QAccessibleWidget(label, QAccessible::Link) {}

    QString text(QAccessible::Text t) const override
    {
        const auto *label = static_cast<const TUrlLabel *>(widget());
        if (t == QAccessible::Name && label->accessibleName().isEmpty())
            return label->text();
        if (t == QAccessible::Value)
            return label->URL.trimmed().isEmpty() ? label->text() : label->URL;
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &action) override
    {
        if (action == pressAction())
            static_cast<TUrlLabel *>(widget())->Click();
        else
            QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface *urlLabelFactory(const QString &key, QObject *object)
{
    if (key == QLatin1String(TUrlLabel::staticMetaObject.className()))
        if (auto *label = qobject_cast<TUrlLabel *>(object))
            return new UrlLabelAccessible(label);
    return nullptr;
}

} // namespace

void installUrlLabelAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(urlLabelFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace vcq
