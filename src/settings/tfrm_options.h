// SPDX-License-Identifier: GPL-3.0-or-later
// The Options dialog: shows the program settings and the password
// protection, writes them back on OK (registry, settings, password state and
// the header image), and opens the About box. A new language is announced
// to every window by languageChanged.
#pragma once

#include "core/language.h"
#include "password/password_state.h"
#include "program_settings.h"
#include "store/contact_record.h"

#include <QDialog>

#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QWidget;

namespace vcq
{

class TfrmAbout;
class TfrmPasswordDlg;
class TRegAppDefaultUserConfig;

class TfrmOptions : public QDialog
{
    Q_OBJECT
public:
    // Every reference must outlive the dialog. mainWindow is the window the
    // dialog centres over and whose position OK stores (and the parent by
    // default); passwordDlg confirms a new password; about is the About box.
    TfrmOptions(vcq::ProgramSettings &settings, vcq::PasswordState &password,
                vcq::ContactRecord &header, QWidget *mainWindow, TfrmPasswordDlg *passwordDlg,
                TfrmAbout &about, QWidget *parent = nullptr);
    // The password dialog is created after this one at start-up.
    void setPasswordDialog(TfrmPasswordDlg *dialog) { m_passwordDlg = dialog; }

    void ChooseLanguage(vcq::Language language);
    // Asked first when OK is pressed: false keeps the dialog open and nothing
    // of OK is done (the check shows its reason on its own page).
    void addAcceptCheck(std::function<bool()> check) { m_acceptChecks.push_back(std::move(check)); }

    QTabWidget *PageControl1;
    QWidget *TabSheet1;
    QCheckBox *chkPos;
    QCheckBox *chkPwd;
    QLabel *lblPwd;
    QLineEdit *txtPwd;
    QLabel *lblLanguage;
    QComboBox *cboLang;
    QLabel *lblDefaultCity;
    QLineEdit *txtCity;
    QLabel *lblDefaultState;
    QLineEdit *txtState;
    QLabel *lblDefaultCountry;
    QLineEdit *txtCountry;
    QPushButton *btnOk;
    QPushButton *btnCancel;
    QPushButton *cmdAbout;
    TRegAppDefaultUserConfig *RegAppDefaultUserConfig1;

signals:
    // OK has stored a code that gives another language than before.
    void languageChanged(vcq::Language language);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormShow();
    void btnOkClick();
    void btnCancelClick();
    void cmdAboutClick();
    void chkPwdClick();
    void WriteVcqReg();

    vcq::ProgramSettings &m_settings;
    vcq::PasswordState &m_password;
    vcq::ContactRecord &m_header;
    QWidget *m_mainWindow;
    TfrmPasswordDlg *m_passwordDlg;
    TfrmAbout &m_about;
    std::vector<std::function<bool()>> m_acceptChecks;
};

// The folder of the program's executable with its trailing "/".
std::string programFolder();

} // namespace vcq
