// SPDX-License-Identifier: GPL-3.0-or-later
// The password dialog: asks for the access password at start-up (check mode)
// or for a new password a second time (confirmation mode, while the Options
// dialog holds a change). Its outcome is left in PasswordDialogCancelled.
#pragma once

#include "core/language.h"
#include "password_state.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vcq
{

class TfrmPasswordDlg : public QDialog
{
    Q_OBJECT

public:
    // language: the language it starts in.
    TfrmPasswordDlg(vcq::PasswordState &state, vcq::Language language, QWidget *parent = nullptr);

    vcq::Language language() const { return m_language; }

public slots:
    // Sets the texts for `language` and the current mode, and keeps the
    // language for the next showing (the mode is read again then).
    void ChooseLanguage(vcq::Language language);

public:
protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormShow();
    void cmdOkClick();
    void cmdCancelClick();
    void centreOnScreen();

    vcq::PasswordState &m_state;
    vcq::Language m_language;
    QLabel *Image1;
    QLabel *lblPwd;
    QLineEdit *txtPwd;
    QPushButton *cmdOk;
    QPushButton *cmdCancel;
};

} // namespace vcq
