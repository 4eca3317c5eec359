// SPDX-License-Identifier: GPL-3.0-or-later
// Keeps characters the data file cannot store (outside cp1252) out of a
// window's text fields: typing, pasting or dropping one is refused, the field
// keeps what it had, and a beep and a tool tip at the field say why.
#pragma once

#include "core/language.h"

#include <QPointer>
#include <QString>
#include <QValidator>

#include <functional>

class QWidget;

namespace vcq
{

// The tool tip shown when a field refuses a character.
QString unstorableCharacterText(Language language);

// A line edit's validator that refuses unstorable text and otherwise defers
// to the validator the field had (upper case for the postal code, ...).
class Cp1252Validator : public QValidator
{
    Q_OBJECT
public:
    Cp1252Validator(const QValidator *inner, std::function<void()> onRefusal, QObject *parent);
    State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;

private:
    QPointer<const QValidator> m_inner;
    std::function<void()> m_onRefusal;
};

// Attaches the refusal to every line edit (editable combo boxes included) and
// plain text edit inside `window`, once, after its controls are built.
// `language` gives the window's language at the time of a refusal.
void refuseUnstorableCharacters(QWidget *window, std::function<Language()> language);

} // namespace vcq
