// SPDX-License-Identifier: GPL-3.0-or-later
// The About box: logo, version, authors, rights notice and the maker's web
// address as a link. Opened from the Options dialog; centred over the main
// window each time it is shown, captioned in the language last chosen.
#pragma once

#include "core/language.h"

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace vcq
{

class TUrlLabel;

class TfrmAbout : public QDialog
{
    Q_OBJECT
public:
    // language: the language it starts in; mainWindow is the window it
    // centres over (and its parent by default).
    TfrmAbout(vcq::Language language, QWidget *mainWindow, QWidget *parent = nullptr);

    vcq::Language language() const { return m_language; }

public slots:
    // Sets the caption in `language` and keeps it for the next showing.
    void ChooseLanguage(vcq::Language language);

public:
    QLabel *Image1;
    QFrame *Bevel1;
    QLabel *Label8;
    QLabel *Label4;
    QLabel *Label5;
    QPushButton *Button1;
    TUrlLabel *UrlLabel1;
    QLabel *Label1;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormShow();
    void Button1Click();

    vcq::Language m_language;
    QWidget *m_mainWindow;
};

} // namespace vcq
