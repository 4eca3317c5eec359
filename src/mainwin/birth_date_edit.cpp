// SPDX-License-Identifier: GPL-3.0-or-later
#include "birth_date_edit.h"

#include "core/message_boxes.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QTimer>

namespace vcq
{

namespace
{

constexpr QChar kMaskBlank = u'_';
// Which places of "99-99-00" must hold a digit.
constexpr bool kRequired[8] = {false, false, false, false, false, false, true, true};
constexpr int kLength = 8;

bool isSeparator(int i)
{
    return i == 2 || i == 5;
}

} // namespace

BirthDateEdit::BirthDateEdit(QWidget *parent) : QLineEdit(parent)
{
    setInputMask(QStringLiteral("99-99-00;_"));
    clearToBlank();
}

QString BirthDateEdit::maskedText() const
{
    QString text = displayText();
    text.replace(kMaskBlank, u' ');
    return text;
}

void BirthDateEdit::setMaskedText(const QString &text)
{
    // What the field shows for the text: each ASCII digit in its own place.
    QString wanted(kLength, u' ');
    for (int i = 0; i < kLength; ++i) {
        if (isSeparator(i))
            wanted[i] = u'-';
        else if (i < text.size() && text[i].isDigit() && text[i].unicode() < 128)
            wanted[i] = text[i];
    }
    // Shown already and unedited: writing it again would only tell a screen
    // reader of nine changes that change nothing.
    if (isModified() || maskedText() != wanted) {
        // Start blank, then write each digit into its own place: a text with
        // blanks between digits would otherwise be pushed together.
        setText(QString());
        for (int i = 0; i < kLength; ++i) {
            if (wanted[i] != u' ' && !isSeparator(i)) {
                setCursorPosition(i);
                insert(QString(wanted[i]));
            }
        }
    }
    setCursorPosition(0);
    setModified(false);
    m_textBeforeEditing = maskedText();
}

bool BirthDateEdit::fitsMask() const
{
    const QString text = displayText();
    bool anyEntered = false;
    bool requiredMissing = false;
    for (int i = 0; i < kLength && i < text.size(); ++i) {
        if (isSeparator(i))
            continue;
        const bool blank = text[i] == kMaskBlank;
        anyEntered = anyEntered || !blank;
        requiredMissing = requiredMissing || (blank && kRequired[i]);
    }
    return !anyEntered || !requiredMissing;
}

void BirthDateEdit::focusInEvent(QFocusEvent *event)
{
    if (!isModified())
        m_textBeforeEditing = maskedText();
    QLineEdit::focusInEvent(event);
}

void BirthDateEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // Losing focus to a popup, another window or a message box is not leaving the field.
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
        return;
    if (isModified() && !fitsMask() && !m_refusing) {
        m_refusing = true;
        // Report once the focus change is over, then take the focus back.
        QTimer::singleShot(0, this, &BirthDateEdit::refuseLeaving);
    }
}

void BirthDateEdit::refuseLeaving()
{
    if (isModified() && !fitsMask() && isVisible()) {
        showPlainMessage(window(), QString::fromLatin1(kInvalidInputMessage));
        setFocus(Qt::OtherFocusReason);
        // Put the cursor on the first required place still empty.
        const QString text = displayText();
        for (int i = 0; i < kLength && i < text.size(); ++i) {
            if (kRequired[i] && text[i] == kMaskBlank) {
                setCursorPosition(i);
                break;
            }
        }
    }
    m_refusing = false;
}

void BirthDateEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && isModified()) {
        setMaskedText(m_textBeforeEditing);
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace vcq
