// SPDX-License-Identifier: GPL-3.0-or-later
#include "tfrm_password_dlg.h"

#include "core/cp1252.h"
#include "widgets/caption_fit.h"
#include "widgets/cp1252_guard.h"

#include "core/message_boxes.h"
#include "core/window_placement.h"
#include "widgets/svg_pictures.h"
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProxyStyle>
#include <QPushButton>
#include <QShowEvent>

namespace vcq
{

namespace
{

constexpr int kClientWidth = 214;
constexpr int kClientHeight = 77;

constexpr vcq::TextPair kAskLabel = {"Mot de passe d'accès", "Enter Access Password"};
constexpr vcq::TextPair kConfirmLabel = {"Confirmation du mot de passe", "Password Confirmation"};
constexpr vcq::TextPair kOk = {"&Ok", "&Ok"};
constexpr vcq::TextPair kCancel = {"&Annuler", "&Cancel"};
constexpr vcq::TextPair kInvalid = {"Mot de passe invalide !", "Invalid Password !"};

// Masks each typed character with "*" whatever the desktop style would use.
class AsteriskStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

TfrmPasswordDlg::TfrmPasswordDlg(vcq::PasswordState &state, vcq::Language language, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_state(state), m_language(language), Image1(new QLabel(this)), lblPwd(new QLabel(this)),
      txtPwd(new QLineEdit(this)), cmdOk(new QPushButton(this)), cmdCancel(new QPushButton(this))
{
    setObjectName(QStringLiteral("TfrmPasswordDlg"));
    setWindowTitle(QStringLiteral("Vellora Carnetique 97"));
    setFixedSize(kClientWidth, kClientHeight);

    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(8, 8, 32, 32);
    Image1->setPixmap(vcq::svgPixmap(QStringLiteral(":/password/padlock.svg"), QSize(32, 32)));

    lblPwd->setObjectName(QStringLiteral("lblPwd"));
    lblPwd->setGeometry(48, 6, 160, 16);
    lblPwd->setBuddy(txtPwd);

    txtPwd->setObjectName(QStringLiteral("txtPwd"));
    txtPwd->setGeometry(48, 22, 158, 21);
    auto *maskStyle = new AsteriskStyle;
    maskStyle->setParent(txtPwd);
    txtPwd->setStyle(maskStyle);
    txtPwd->setEchoMode(QLineEdit::Password);

    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setGeometry(48, 49, 75, 23);
    cmdOk->setDefault(true);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(131, 49, 75, 23);

    setTabOrder(txtPwd, cmdOk);
    setTabOrder(cmdOk, cmdCancel);

    connect(cmdOk, &QPushButton::clicked, this, &TfrmPasswordDlg::cmdOkClick);
    connect(cmdCancel, &QPushButton::clicked, this, &TfrmPasswordDlg::cmdCancelClick);

    // The label asks or confirms, in either language.
    QStringList labels, oks, cancels;
    for (const vcq::Language l : {vcq::Language::English, vcq::Language::French}) {
        labels << kAskLabel.in(l) << kConfirmLabel.in(l);
        oks << kOk.in(l);
        cancels << kCancel.in(l);
    }
    vcq::fitCaptionsWhenFirstShown(this, [=, this] {
        vcq::fitCaption(lblPwd, labels);
        vcq::fitCaption(cmdOk, oks);
        vcq::fitCaption(cmdCancel, cancels);
    });
    // The password is compared as cp1252 bytes.
    vcq::refuseUnstorableCharacters(this, [this] { return m_language; });
    ChooseLanguage(m_language);
}

void TfrmPasswordDlg::ChooseLanguage(vcq::Language language)
{
    m_language = language;
    const bool confirming = vcq::isConfirmationMode(m_state);
    lblPwd->setText((confirming ? kConfirmLabel : kAskLabel).in(language));
    cmdOk->setText(kOk.in(language));
    cmdCancel->setText(kCancel.in(language));
}

void TfrmPasswordDlg::showEvent(QShowEvent *event)
{
    // A spontaneous show is the window system restoring it, not a new question.
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TfrmPasswordDlg::FormShow()
{
    txtPwd->clear();
    ChooseLanguage(m_language);
    centreOnScreen();
    // Only OK with a matching password clears this.
    m_state.PasswordDialogCancelled = true;
    txtPwd->setFocus();
}

void TfrmPasswordDlg::centreOnScreen()
{
    vcq::centreOnScreen(this);
}

void TfrmPasswordDlg::cmdOkClick()
{
    if (vcq::passwordAccepted(m_state, vcq::toCp1252(txtPwd->text()))) {
        m_state.PasswordDialogCancelled = false;
        txtPwd->setFocus();
        accept();
        return;
    }
    vcq::showErrorBox(this, kInvalid.in(m_language));
    activateWindow();
    txtPwd->setFocus();
}

void TfrmPasswordDlg::cmdCancelClick()
{
    reject();
}

} // namespace vcq
