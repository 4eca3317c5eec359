// The About box: logo, version, authors, rights notice and the maker's web
// address as a link. Opened from the Options dialog; centred over the main
// window and captioned in the current language each time it is shown.
#pragma once

#include <QDialog>

#include <functional>

class QFrame;
class QLabel;
class QPushButton;
class TUrlLabel;

class TfrmAbout : public QDialog
{
    Q_OBJECT
public:
    // language gives the interface language code each time the box is shown;
    // mainWindow is the window it centres over (and its parent by default).
    TfrmAbout(std::function<int()> language, QWidget *mainWindow, QWidget *parent = nullptr);

    void ChooseLanguage(int language);

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

    std::function<int()> m_language;
    QWidget *m_mainWindow;
};
