// SPDX-License-Identifier: GPL-3.0-or-later
// The birth-date field: a masked edit "dd-mm-yy" where the first two pairs of
// digits are optional and the year is required. Its text keeps the dashes and
// shows an empty place as a blank ("  -  -  " when nothing is entered). Once
// edited, it refuses to be left while the text does not fit; Escape brings
// back the text it had before the editing.
#pragma once

#include <QLineEdit>

namespace vcq
{

class BirthDateEdit : public QLineEdit
{
    Q_OBJECT
public:
    static constexpr const char *kBlankText = "  -  -  ";
    static constexpr const char *kInvalidInputMessage =
        "Invalid input value.  Use escape key to abandon changes";

    explicit BirthDateEdit(QWidget *parent = nullptr);

    // The text with blanks for empty places, as it is stored.
    QString maskedText() const;
    // Shows a stored text; characters that do not fit the mask become blanks.
    void setMaskedText(const QString &text);
    void clearToBlank() { setMaskedText(QString::fromLatin1(kBlankText)); }

    // Every required place is filled, or nothing at all is entered.
    bool fitsMask() const;

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void refuseLeaving();

    QString m_textBeforeEditing;
    bool m_refusing = false;
};

} // namespace vcq
