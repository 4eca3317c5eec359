// SPDX-License-Identifier: GPL-3.0-or-later
#include "cp1252_guard.h"

#include "core/cp1252.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QToolTip>

namespace vcq
{

namespace
{

void tellRefusal(QWidget *field, const std::function<Language()> &language)
{
    QApplication::beep();
    QToolTip::showText(field->mapToGlobal(QPoint(0, field->height())),
                       unstorableCharacterText(language ? language() : Language::English), field);
}

// A plain text edit has no validator: a change that brings in an unstorable
// character is undone by putting back the last text that had none.
class PlainTextGuard : public QObject
{
public:
    PlainTextGuard(QPlainTextEdit *edit, std::function<Language()> language)
        : QObject(edit), m_edit(edit), m_language(std::move(language)),
          m_lastGood(edit->toPlainText())
    {
        setObjectName(QStringLiteral("cp1252Guard"));
        connect(edit, &QPlainTextEdit::textChanged, this, [this] { check(); });
    }

private:
    void check()
    {
        const QString text = m_edit->toPlainText();
        if (isCp1252Storable(text)) {
            m_lastGood = text;
            return;
        }
        const int at = m_edit->textCursor().position();
        // Not silently: whoever follows the memo's edits sees the text go back.
        m_edit->setPlainText(m_lastGood);
        QTextCursor cursor = m_edit->textCursor();
        cursor.setPosition(std::min<int>(at, static_cast<int>(m_lastGood.size())));
        m_edit->setTextCursor(cursor);
        tellRefusal(m_edit, m_language);
    }

    QPlainTextEdit *m_edit;
    std::function<Language()> m_language;
    QString m_lastGood;
};

} // namespace

QString unstorableCharacterText(Language language)
{
    return TextPair{"Ce caractère ne peut pas être enregistré dans le fichier ; il a été refusé.",
                    "This character cannot be stored in the data file; it was refused."}
        .in(language);
}

Cp1252Validator::Cp1252Validator(const QValidator *inner, std::function<void()> onRefusal,
                                 QObject *parent)
    : QValidator(parent), m_inner(inner), m_onRefusal(std::move(onRefusal))
{
}

QValidator::State Cp1252Validator::validate(QString &input, int &pos) const
{
    if (!isCp1252Storable(input)) {
        if (m_onRefusal)
            m_onRefusal();
        return Invalid;
    }
    return m_inner ? m_inner->validate(input, pos) : Acceptable;
}

void Cp1252Validator::fixup(QString &input) const
{
    if (m_inner)
        m_inner->fixup(input);
}

void refuseUnstorableCharacters(QWidget *window, std::function<Language()> language)
{
    for (QLineEdit *edit : window->findChildren<QLineEdit *>()) {
        if (qobject_cast<const Cp1252Validator *>(edit->validator()))
            continue;
        edit->setValidator(new Cp1252Validator(
            edit->validator(), [edit, language] { tellRefusal(edit, language); }, edit));
    }
    for (QPlainTextEdit *edit : window->findChildren<QPlainTextEdit *>()) {
        if (!edit->findChild<QObject *>(QStringLiteral("cp1252Guard"), Qt::FindDirectChildrenOnly))
            new PlainTextGuard(edit, language);
    }
}

} // namespace vcq
