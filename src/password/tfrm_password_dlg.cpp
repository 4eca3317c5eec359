#include "tfrm_password_dlg.h"

#include "caption_fit.h"
#include "cp1252.h"

#include "message_boxes.h"
#include "svg_pictures.h"
#include "window_placement.h"
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProxyStyle>
#include <QPushButton>
#include <QShowEvent>

namespace
{

constexpr int kClientWidth = 214;
constexpr int kClientHeight = 77;
constexpr int kFrenchLanguage = 1;

struct DialogTexts {
    const char *askLabel;
    const char *confirmLabel;
    const char *ok;
    const char *cancel;
    const char *invalid;
};

constexpr DialogTexts kEnglish = {"Enter Access Password", "Password Confirmation", "&Ok",
                                  "&Cancel", "Invalid Password !"};
constexpr DialogTexts kFrench = {"Mot de passe d'accès", "Confirmation du mot de passe", "&Ok",
                                 "&Annuler", "Mot de passe invalide !"};

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

TfrmPasswordDlg::TfrmPasswordDlg(vcq::PasswordState &state, std::function<int()> language,
                                 QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_state(state), m_language(std::move(language)), Image1(new QLabel(this)),
      lblPwd(new QLabel(this)), txtPwd(new QLineEdit(this)), cmdOk(new QPushButton(this)),
      cmdCancel(new QPushButton(this))
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
    QStringList labels, cancels;
    for (const DialogTexts *t : {&kEnglish, &kFrench}) {
        labels << QString::fromUtf8(t->askLabel) << QString::fromUtf8(t->confirmLabel);
        cancels << QString::fromUtf8(t->cancel);
    }
    vcq::fitCaption(lblPwd, labels);
    vcq::fitCaption(cmdOk, {QString::fromUtf8(kEnglish.ok), QString::fromUtf8(kFrench.ok)});
    vcq::fitCaption(cmdCancel, cancels);
    ChooseLanguage();
}

bool TfrmPasswordDlg::french() const
{
    return m_language && m_language() == kFrenchLanguage;
}

void TfrmPasswordDlg::ChooseLanguage()
{
    const DialogTexts &t = french() ? kFrench : kEnglish;
    const bool confirming = vcq::isConfirmationMode(m_state);
    lblPwd->setText(QString::fromUtf8(confirming ? t.confirmLabel : t.askLabel));
    cmdOk->setText(QString::fromUtf8(t.ok));
    cmdCancel->setText(QString::fromUtf8(t.cancel));
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
    ChooseLanguage();
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
    const DialogTexts &t = french() ? kFrench : kEnglish;
    vcq::showErrorBox(this, QString::fromUtf8(t.invalid));
    activateWindow();
    txtPwd->setFocus();
}

void TfrmPasswordDlg::cmdCancelClick()
{
    reject();
}
