// The password dialog: asks for the access password at start-up (check mode)
// or for a new password a second time (confirmation mode, while the Options
// dialog holds a change). Its outcome is left in PasswordDialogCancelled.
#pragma once

#include "password_state.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

class TfrmPasswordDlg : public QDialog
{
    Q_OBJECT

public:
    // language gives the interface language code each time the dialog is shown.
    TfrmPasswordDlg(vcq::PasswordState &state, std::function<int()> language,
                    QWidget *parent = nullptr);

    // Sets the texts for the current language and mode.
    void ChooseLanguage();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormShow();
    void cmdOkClick();
    void cmdCancelClick();
    void centreOnScreen();
    bool french() const;

    vcq::PasswordState &m_state;
    std::function<int()> m_language;
    QLabel *Image1;
    QLabel *lblPwd;
    QLineEdit *txtPwd;
    QPushButton *cmdOk;
    QPushButton *cmdCancel;
};
