// SPDX-License-Identifier: GPL-3.0-or-later
#include "tfrm_options.h"

#include "core/cp1252.h"
#include "core/message_boxes.h"
#include "password/tfrm_password_dlg.h"
#include "placement.h"
#include "reg_app.h"
#include "tfrm_about.h"
#include "widgets/caption_fit.h"
#include "widgets/cp1252_guard.h"
#include "widgets/named_widget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>
#include <QTabBar>
#include <QTabWidget>

namespace vcq
{

namespace
{

constexpr vcq::TextPair kChkPos = {"Sauvegarde de la position de l'écran", "Save Screen Position"};
constexpr vcq::TextPair kChkPwd = {"Protéger l'accès avec un mot de passe",
                                   "Protect Access with a password"};
constexpr vcq::TextPair kLblPwd = {"Votre mot de passe d'accès", "Your Access Password"};
constexpr vcq::TextPair kLblLanguage = {"Choisir le langage", "Select Language"};
constexpr vcq::TextPair kLblDefaultCity = {"Ville par défaut", "Default City"};
constexpr vcq::TextPair kLblDefaultState = {"Province par défaut", "Default State/Province"};
constexpr vcq::TextPair kLblDefaultCountry = {"Pays par défaut", "Default Country"};
constexpr vcq::TextPair kBtnOk = {"&Sauvegarder", "&Save"};
constexpr vcq::TextPair kBtnCancel = {"&Annuler", "&Cancel"};
constexpr vcq::TextPair kCmdAbout = {"À &propos de ...", "&About..."};

QLineEdit *makeEdit(QWidget *parent, const char *name, const QRect &place, int maxLength)
{
    auto *edit = vcq::makeNamed<QLineEdit>(parent, name, place);
    edit->setMaxLength(maxLength);
    return edit;
}

} // namespace

TfrmOptions::TfrmOptions(vcq::ProgramSettings &settings, vcq::PasswordState &password,
                         vcq::ContactRecord &header, QWidget *mainWindow,
                         TfrmPasswordDlg *passwordDlg, TfrmAbout &about, QWidget *parent)
    : QDialog(parent ? parent : mainWindow, Qt::Dialog | Qt::CustomizeWindowHint |
                                                Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                                Qt::WindowCloseButtonHint |
                                                Qt::WindowContextHelpButtonHint),
      m_settings(settings), m_password(password), m_header(header), m_mainWindow(mainWindow),
      m_passwordDlg(passwordDlg), m_about(about)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(vcq::applicationTitle());
    setFixedSize(341, 295);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    setFont(font);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(4, 4, 227, 285);
    PageControl1->setFocusPolicy(Qt::NoFocus);
    PageControl1->tabBar()->setFocusPolicy(Qt::NoFocus);
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    PageControl1->addTab(TabSheet1, QStringLiteral("Options"));

    chkPos = new QCheckBox(TabSheet1);
    chkPos->setObjectName(QStringLiteral("chkPos"));
    chkPos->setGeometry(8, 6, 211, 17);
    chkPwd = new QCheckBox(TabSheet1);
    chkPwd->setObjectName(QStringLiteral("chkPwd"));
    chkPwd->setGeometry(8, 26, 205, 15);
    lblPwd = vcq::makeNamed<QLabel>(TabSheet1, "lblPwd", QRect(8, 46, 181, 17));
    txtPwd = makeEdit(TabSheet1, "txtPwd", QRect(8, 62, 181, 21), 12);
    txtPwd->setEchoMode(QLineEdit::Password);
    txtPwd->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    lblLanguage = vcq::makeNamed<QLabel>(TabSheet1, "lblLanguage", QRect(8, 86, 83, 13));
    cboLang = new QComboBox(TabSheet1);
    cboLang->setObjectName(QStringLiteral("cboLang"));
    cboLang->setGeometry(8, 102, 181, 21);
    cboLang->addItems({QStringLiteral("English"), QStringLiteral("Français")});
    lblDefaultCity = vcq::makeNamed<QLabel>(TabSheet1, "lblDefaultCity", QRect(8, 130, 181, 17));
    txtCity = makeEdit(TabSheet1, "txtCity", QRect(8, 146, 181, 21), 30);
    lblDefaultState = vcq::makeNamed<QLabel>(TabSheet1, "lblDefaultState", QRect(8, 174, 181, 17));
    txtState = makeEdit(TabSheet1, "txtState", QRect(8, 190, 181, 21), 30);
    lblDefaultCountry =
        vcq::makeNamed<QLabel>(TabSheet1, "lblDefaultCountry", QRect(8, 216, 181, 17));
    txtCountry = makeEdit(TabSheet1, "txtCountry", QRect(8, 232, 181, 21), 30);

    btnOk = vcq::makeNamed<QPushButton>(this, "btnOk", QRect(236, 24, 100, 25));
    btnCancel = vcq::makeNamed<QPushButton>(this, "btnCancel", QRect(236, 52, 100, 25));
    cmdAbout = vcq::makeNamed<QPushButton>(this, "cmdAbout", QRect(236, 88, 100, 25));
    // Enter anywhere but on another button cancels: a stray Enter changes nothing.
    btnCancel->setDefault(true);

    // Each field is named by its label, in the label's language.
    lblPwd->setBuddy(txtPwd);
    lblLanguage->setBuddy(cboLang);
    lblDefaultCity->setBuddy(txtCity);
    lblDefaultState->setBuddy(txtState);
    lblDefaultCountry->setBuddy(txtCountry);

    // Ctrl+Tab turns the page wherever the focus is, its buttons included.
    for (const auto &[keys, step] :
         {std::pair{QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
          std::pair{QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
          std::pair{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
          std::pair{QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1}}) {
        auto *turn = new QShortcut(keys, this);
        connect(turn, &QShortcut::activated, this, [this, step = step] {
            const int count = PageControl1->count();
            PageControl1->setCurrentIndex((PageControl1->currentIndex() + step + count) % count);
        });
    }

    QWidget *order[] = {chkPos,   chkPwd,     txtPwd, cboLang,   txtCity,
                        txtState, txtCountry, btnOk,  btnCancel, cmdAbout};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    connect(chkPwd, &QCheckBox::toggled, this, &TfrmOptions::chkPwdClick);
    connect(btnOk, &QPushButton::clicked, this, &TfrmOptions::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmOptions::btnCancelClick);
    connect(cmdAbout, &QPushButton::clicked, this, &TfrmOptions::cmdAboutClick);

    RegAppDefaultUserConfig1 = new TRegAppDefaultUserConfig(this);
    RegAppDefaultUserConfig1->setObjectName(QStringLiteral("RegAppDefaultUserConfig1"));
    vcq::setVcqKey(*RegAppDefaultUserConfig1);

    ChooseLanguage(vcq::languageFromCode(m_settings.Language));
    vcq::fitCaptionsWhenFirstShown(this, [this] {
        vcq::fitCaptions(this, {[this] { ChooseLanguage(vcq::Language::English); },
                                [this] { ChooseLanguage(vcq::Language::French); }});
        ChooseLanguage(vcq::languageFromCode(m_settings.Language));
    });
    // The defaults and the password are stored as cp1252 bytes.
    vcq::refuseUnstorableCharacters(this,
                                    [this] { return vcq::languageFromCode(m_settings.Language); });
}

void TfrmOptions::ChooseLanguage(vcq::Language language)
{
    chkPos->setText(kChkPos.in(language));
    chkPwd->setText(kChkPwd.in(language));
    lblPwd->setText(kLblPwd.in(language));
    lblLanguage->setText(kLblLanguage.in(language));
    lblDefaultCity->setText(kLblDefaultCity.in(language));
    lblDefaultState->setText(kLblDefaultState.in(language));
    lblDefaultCountry->setText(kLblDefaultCountry.in(language));
    btnOk->setText(kBtnOk.in(language));
    btnCancel->setText(kBtnCancel.in(language));
    cmdAbout->setText(kCmdAbout.in(language));
}

void TfrmOptions::showEvent(QShowEvent *event)
{
    // A window brought back by the desktop is not shown anew.
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TfrmOptions::FormShow()
{
    m_password.PasswordChanged = false;
    m_password.PendingPassword = m_password.CurrentPassword;
    vcq::centreOverWindow(this, m_mainWindow);

    chkPos->setChecked(m_settings.ScreenPos);
    const int lang = m_settings.Language;
    cboLang->setCurrentIndex(lang == 0 || lang == 1 ? lang : -1);
    txtCity->setText(vcq::fromCp1252(m_settings.DefCity));
    txtState->setText(vcq::fromCp1252(m_settings.DefState));
    txtCountry->setText(vcq::fromCp1252(m_settings.DefCountry));
    txtPwd->setText(vcq::fromCp1252(m_password.CurrentPassword));
    chkPwd->setChecked(m_password.PasswordProtected);
    if (!m_password.PasswordProtected)
        txtPwd->setEnabled(false);

    ChooseLanguage(vcq::languageFromCode(m_settings.Language));
}

void TfrmOptions::chkPwdClick()
{
    txtPwd->setEnabled(chkPwd->isChecked());
}

void TfrmOptions::WriteVcqReg()
{
    const QPoint mainPos = m_mainWindow ? m_mainWindow->pos() : QPoint();
    vcq::ProgramSettings chosen;
    chosen.ScreenPos = chkPos->isChecked();
    chosen.Language = cboLang->currentIndex();
    chosen.ScreenPosX = mainPos.x();
    chosen.ScreenPosY = mainPos.y();
    chosen.DefCity = vcq::toCp1252(txtCity->text());
    chosen.DefState = vcq::toCp1252(txtState->text());
    chosen.DefCountry = vcq::toCp1252(txtCountry->text());
    vcq::writeProgramSettings(*RegAppDefaultUserConfig1, chosen, vcq::programFolder());

    m_password.PasswordProtected = chkPwd->isChecked();
    const std::string typed = vcq::toCp1252(txtPwd->text());
    if (chkPwd->isChecked() && typed != m_password.CurrentPassword) {
        m_password.PendingPassword = typed;
        m_password.PasswordChanged = true;
    }
    vcq::setHeaderProtection(m_header, m_password.PasswordProtected);

    // The position stays what the main window read; only its end writes it.
    const vcq::Language before = vcq::languageFromCode(m_settings.Language);
    m_settings.ScreenPos = chosen.ScreenPos;
    m_settings.DefCity = chosen.DefCity;
    m_settings.DefState = chosen.DefState;
    m_settings.DefCountry = chosen.DefCountry;
    m_settings.Language = chosen.Language;
    const vcq::Language language = vcq::languageFromCode(m_settings.Language);
    ChooseLanguage(language);
    if (language != before)
        emit languageChanged(language);
}

void TfrmOptions::btnOkClick()
{
    for (const auto &check : m_acceptChecks) {
        if (!check())
            return;
    }
    if (!chkPwd->isChecked())
        txtPwd->clear();
    try {
        WriteVcqReg();
    } catch (const vcq::ERegistryException &e) {
        // The rest of OK is skipped and the dialog stays open.
        vcq::showPlainMessage(this, QString::fromUtf8(e.what()));
        return;
    }
    if (!m_password.PasswordChanged) {
        accept();
        return;
    }
    // Without a dialog to confirm it, a new password is not taken.
    m_password.PasswordDialogCancelled = true;
    if (m_passwordDlg)
        m_passwordDlg->exec();
    if (m_password.PasswordDialogCancelled) {
        // Back to this dialog, so that the user can type the password again.
        activateWindow();
        txtPwd->setFocus();
        return;
    }
    m_password.CurrentPassword = vcq::toCp1252(txtPwd->text());
    vcq::setHeaderPassword(m_header, m_password.CurrentPassword);
    accept();
}

void TfrmOptions::btnCancelClick()
{
    reject();
}

void TfrmOptions::cmdAboutClick()
{
    m_about.exec();
}

std::string programFolder()
{
    return toCp1252(QCoreApplication::applicationDirPath() + u'/');
}

} // namespace vcq
