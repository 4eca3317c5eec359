// SPDX-License-Identifier: GPL-3.0-or-later
#include "caption_fit.h"

#include "explorer_button.h"
#include "explorer_caption.h"

#include <QCheckBox>
#include <QEvent>
#include <QFontMetrics>
#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

namespace vcq
{

namespace
{

// Smaller than this a caption is no longer read comfortably.
constexpr int kSmallestPixels = 8;
// Kept free on each side of a push button's text, off its bevel.
constexpr int kButtonTextPadding = 2;

QStyleOptionButton buttonOption(const QAbstractButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.rect = button->rect();
    if (const auto *push = qobject_cast<const QPushButton *>(button)) {
        if (push->autoDefault())
            option.features |= QStyleOptionButton::AutoDefaultButton;
        if (push->isDefault())
            option.features |= QStyleOptionButton::DefaultButton;
    }
    return option;
}

bool fits(const QFont &font, const QStringList &captions, int room)
{
    const QFontMetrics metrics(font);
    for (const QString &caption : captions) {
        if (metrics.horizontalAdvance(caption) > room)
            return false;
    }
    return true;
}

QFont smaller(QFont font)
{
    if (font.pixelSize() > 0)
        font.setPixelSize(font.pixelSize() - 1);
    else
        font.setPointSizeF(font.pointSizeF() - 0.5);
    return font;
}

int pixelHeight(const QFont &font)
{
    return font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
}

// The caption a control shows now, or a null string when it shows none.
QString captionOf(const QWidget *control)
{
    if (const auto *label = qobject_cast<const QLabel *>(control)) {
        // A picture or a text that wraps is no single line to fit.
        if (!label->pixmap().isNull() || label->wordWrap())
            return {};
        return label->text();
    }
    if (qobject_cast<const QPushButton *>(control) || qobject_cast<const QCheckBox *>(control))
        return static_cast<const QAbstractButton *>(control)->text();
    if (const auto *command = qobject_cast<const TExplorerButton *>(control))
        return command->Caption();
    return {};
}

// Runs its work once, at the first Show event of the window it watches.
class FirstShowHook : public QObject
{
public:
    FirstShowHook(QWidget *window, std::function<void()> work)
        : QObject(window), m_work(std::move(work))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && m_work) {
            watched->removeEventFilter(this);
            const std::function<void()> work = std::move(m_work);
            m_work = nullptr;
            deleteLater();
            work();
        }
        return false;
    }

private:
    std::function<void()> m_work;
};

} // namespace

QFont condensedFont(const QFont &font)
{
    QFont condensed(font);
    condensed.setFamilies({QStringLiteral("DejaVu Sans Condensed")});
    return condensed;
}

QString shownCaption(const QWidget *control, const QString &caption)
{
    const auto *label = qobject_cast<const QLabel *>(control);
    if (label && !label->buddy())
        return caption;
    return removeAcceleratorMarkers(caption);
}

int captionRoom(const QWidget *control)
{
    if (const auto *label = qobject_cast<const QLabel *>(control))
        return label->contentsRect().width() - 2 * label->margin();
    if (const auto *check = qobject_cast<const QCheckBox *>(control)) {
        const QStyleOptionButton option = buttonOption(check);
        return check->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, check).width();
    }
    if (const auto *push = qobject_cast<const QPushButton *>(control)) {
        const QStyleOptionButton option = buttonOption(push);
        return push->style()->subElementRect(QStyle::SE_PushButtonContents, &option, push).width() -
               2 * kButtonTextPadding;
    }
    if (qobject_cast<const TExplorerButton *>(control))
        return control->width() - 4;
    return control->contentsRect().width();
}

QFont fittingFont(const QFont &font, const QStringList &shownCaptions, int room)
{
    if (fits(font, shownCaptions, room))
        return font;
    QFont candidate = condensedFont(font);
    while (!fits(candidate, shownCaptions, room) && pixelHeight(candidate) > kSmallestPixels)
        candidate = smaller(candidate);
    return candidate;
}

void fitCaption(QWidget *control, const QStringList &captions)
{
    QStringList shown;
    for (const QString &caption : captions)
        shown << shownCaption(control, caption);
    const QFont font = fittingFont(control->font(), shown, captionRoom(control));
    if (font != control->font())
        control->setFont(font);
}

void fitCaptions(QWidget *window, const QList<std::function<void()>> &textSets)
{
    QHash<QWidget *, QStringList> captions;
    const QList<QWidget *> controls = window->findChildren<QWidget *>();
    for (const auto &applyTexts : textSets) {
        applyTexts();
        for (QWidget *control : controls) {
            if (control->window() != window)
                continue;
            const QString caption = captionOf(control);
            if (!caption.isEmpty())
                captions[control] << caption;
        }
    }
    for (auto it = captions.cbegin(); it != captions.cend(); ++it)
        fitCaption(it.key(), it.value());
}

void fitCaptionsWhenFirstShown(QWidget *window, std::function<void()> fit)
{
    new FirstShowHook(window, std::move(fit));
}

} // namespace vcq
