// SPDX-License-Identifier: GPL-3.0-or-later
#include "quick_dial.h"

#include "tfrm_tapi_call.h"
#include "widgets/svg_pictures.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPixmap>

namespace vcq
{

QIcon quickDialIcon()
{
    QIcon icon;
    for (int size : {16, 32}) {
        icon.addPixmap(svgPixmap(QStringLiteral(":/telephony/dial.svg"), QSize(size, size)),
                       QIcon::Normal);
        icon.addPixmap(
            svgPixmap(QStringLiteral(":/telephony/dial_disabled.svg"), QSize(size, size)),
            QIcon::Disabled);
    }
    return icon;
}

QuickDial::QuickDial(QWidget *mainWindow, const std::array<QLineEdit *, 4> &phones,
                     const std::array<QAbstractButton *, 4> &buttons, Language language)
    : QObject(mainWindow), m_mainWindow(mainWindow), m_phones(phones), m_buttons(buttons),
      m_language(language)
{
    const QIcon icon = quickDialIcon();
    for (std::size_t i = 0; i < m_phones.size(); ++i) {
        const int index = static_cast<int>(i);
        m_buttons[i]->setIcon(icon);
        // Reached by Tab after its field, so that the keyboard dials too.
        m_buttons[i]->setFocusPolicy(Qt::TabFocus);
        m_buttons[i]->setEnabled(false);
        // textChanged also fires when the program fills or clears the form.
        connect(m_phones[i], &QLineEdit::textChanged, this, [this, index] { phoneChanged(index); });
        connect(m_buttons[i], &QAbstractButton::clicked, this, [this, index] { dial(index); });
        phoneChanged(index);
    }
}

void QuickDial::setLanguage(Language language)
{
    m_language = language;
    if (DialerOpen && frmTAPICall != nullptr)
        frmTAPICall->ChooseLanguage(language);
}

void QuickDial::phoneChanged(int index)
{
    // Blanks count as text: no trimming.
    const auto i = static_cast<std::size_t>(index);
    m_buttons[i]->setEnabled(!m_phones[i]->text().isEmpty());
}

void QuickDial::dial(int index)
{
    const QString number = m_phones[static_cast<std::size_t>(index)]->text();
    if (!DialerOpen || frmTAPICall == nullptr) {
        auto *dialer = new TfrmTAPICall(m_mainWindow, m_language);
        frmTAPICall = dialer;
        dialer->Edit1->setText(number);
        dialer->show();
        DialerOpen = true;
    } else {
        frmTAPICall->Edit1->setText(number);
    }
    frmTAPICall->show();
    frmTAPICall->raise();
    frmTAPICall->activateWindow();
}

} // namespace vcq
