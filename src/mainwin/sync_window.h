// SPDX-License-Identifier: GPL-3.0-or-later
// Sync from the window: the "Synchronisation" page of the Options dialog
// (server, user, password, "Test", automatic sync every N minutes) and the
// controller behind "Synchronise now" in the contact list's menu, with
// progress, cancel and the report, and the automatic sync that runs only
// when the window is idle and the form holds no unsaved edits.
#pragma once

#include "core/language.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace vcq
{

class TfrmMain;

class SyncOptionsPage : public QWidget
{
    Q_OBJECT
public:
    // dataFilePath: the data file whose sync this page sets up; language: the
    // one the page starts in, applied again each time the dialog opens.
    SyncOptionsPage(std::function<QString()> dataFilePath, QWidget *parent = nullptr,
                    Language language = Language::English);

    void ChooseLanguage(vcq::Language language);
    // Shows what is set up for the data file.
    void load();
    // Keeps what the page shows (the Options dialog's OK, which stays open
    // when this fails): the address book found by "Test" (tested now if
    // needed) and the password in the keyring. False, with the reason shown
    // on the page and what was typed left as it is, when it could not.
    bool save();

    QLabel *lblServer;
    QLineEdit *txtServer;
    QLabel *lblUser;
    QLineEdit *txtUser;
    QLabel *lblSyncPassword;
    QLineEdit *txtSyncPassword;
    QPushButton *btnTest;
    QCheckBox *chkAutoSync;
    QSpinBox *spnMinutes;
    QLabel *lblResult;
    QLabel *lblInsecure; // red, shown while the address is plain http to another machine

signals:
    void settingsSaved();

protected:
    // Installed on the Options dialog: each time it opens, the page shows
    // what is set up.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void btnTestClick();
    bool test();
    QString serverMissingText() const;

    std::function<QString()> m_dataFilePath;
    Language m_language;
    bool m_french = false; // for the sync library's texts
    QString m_collection;  // found by the last successful test of these values
    QString m_testedFor;   // server and user it was found for
    // The user confirmed plain http to another machine.
    bool m_allowInsecureHttp = false;
};

class SyncController : public QObject
{
    Q_OBJECT
public:
    explicit SyncController(TfrmMain *main);

    void ChooseLanguage(vcq::Language language);
    // Reads the interval from the settings beside the data file again.
    void restartTimer();
    // Runs one sync now; automatic: from the timer (silent unless it fails).
    // Returns the report's exit code, or -1 when it did not run.
    int syncNow(bool automatic = false);
    // How long one minute of the interval lasts and how long the window must
    // go without a key or a click to be idle, in milliseconds: a minute and
    // 60 s unless set (shorter ones let a test watch the timer at work).
    void setTiming(int minuteMs, int idleMs);

    // Where the password comes from: the keyring unless told otherwise.
    using PasswordSource = std::function<QString(const QString &key, QString *problem)>;
    void setPasswordSource(PasswordSource source) { m_passwordSource = std::move(source); }

    QAction *actSyncNow;
    // The last report, as shown.
    QString lastReport() const { return m_lastReport; }

signals:
    // The timer came while the window was busy: tried again once it may be idle.
    void automaticSyncPostponed();
    // A sync ran to its report (exit code as the command line's).
    void syncFinished(int exitCode, bool automatic);

private:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void timerFired();
    QString dataFilePath() const;

    TfrmMain *m_main;
    QTimer m_timer;
    QElapsedTimer m_sinceInput;
    int m_minuteMs = 60 * 1000;
    int m_idleMs = 60 * 1000;
    Language m_language = Language::English;
    bool m_french = false; // for the sync library's texts
    bool m_running = false;
    QString m_lastReport;
    PasswordSource m_passwordSource;
};

} // namespace vcq
