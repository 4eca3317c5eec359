// SPDX-License-Identifier: GPL-3.0-or-later
// The quick dialer window: a number box, Call, Hang up and Cancel, and a one-line call status.
// Each window owns one telephony registration and line, from its creation to its destruction.
// Line events reach the window that frmTAPICall designates, through LineCallback.
#pragma once

#include "core/language.h"
#include "line_backend.h"
#include "line_types.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vcq
{

class TfrmTAPICall : public QWidget
{
    Q_OBJECT

public:
    // owner: the main window (placement and ownership); language: the one it starts in. The
    // backend defaults to the process-wide one.
    TfrmTAPICall(QWidget *owner, Language language,
                 std::shared_ptr<tapi::LineBackend> backend = tapi::defaultLineBackend());
    ~TfrmTAPICall() override;

    Language language() const { return m_language; }

    QLabel *lblNumber = nullptr;
    QLineEdit *Edit1 = nullptr;
    QPushButton *btnCall = nullptr;
    QPushButton *btnDropCall = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *lblStatus = nullptr;
    QPushButton *Button1 = nullptr;

    tapi::HLINEAPP LineAppHandle = 0;
    tapi::HLINE LineHandle = 0;
    tapi::HCALL CallHandle = 0;
    tapi::LINECALLPARAMS CallParams;

    void btnCallClick();
    void btnDropCallClick();
    void Button1Click();

public slots:
    // Sets the window's texts, title included, and keeps the language for the next showing.
    void ChooseLanguage(vcq::Language language);

signals:
    // Every text the status line receives, in order (also while the window is hidden).
    void statusChanged(const QString &text);

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    friend void LineCallback(tapi::DWORD, tapi::DWORD, std::uintptr_t, tapi::DWORD, tapi::DWORD,
                             tapi::DWORD);

    void FormCreate();
    void FormDestroy();
    void FormShow();
    void setStatus(const QString &text);
    void onCallState(tapi::DWORD hDevice, tapi::DWORD state, tapi::DWORD mode);
    QString connectedText(tapi::HCALL call);

    Language m_language;
    std::shared_ptr<tapi::LineBackend> m_backend;
};

// The dialer window line events are shown in; empty while there is none.
extern QPointer<TfrmTAPICall> frmTAPICall;
// True while a dialer window that quick dial created has not been destroyed.
extern bool DialerOpen;

// The one line callback of every dialer registration; acts on frmTAPICall, ignores events
// while no window is designated.
void LineCallback(tapi::DWORD hDevice, tapi::DWORD dwMsg, std::uintptr_t dwCallbackInstance,
                  tapi::DWORD dwParam1, tapi::DWORD dwParam2, tapi::DWORD dwParam3);

// The dialer created at start-up: registers and opens its line, stays hidden, and is the one
// frmTAPICall designates until quick dial creates its own.
TfrmTAPICall *CreateStartupDialer(QWidget *owner, Language language);

// Where the dialer goes when shown: centred vertically on the main window, its left edge a
// third of its width plus 10 pixels left of the main window's centre line.
QPoint dialerPosition(const QRect &mainFrame, const QSize &dialerFrame);

} // namespace vcq
