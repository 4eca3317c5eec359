// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's life: opening and loading the data file when it is first
// shown, the Options and Print commands, and the ways the program ends.
#include "tfrm_main.h"

#include "core/cp1252.h"
#include "core/message_boxes.h"
#include "core/window_placement.h"
#include "settings/tfrm_options.h"

#include <QCloseEvent>
#include <QDialog>
#include <QLineEdit>

namespace vcq
{

void TfrmMain::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    FormShow();
}

void TfrmMain::FormShow()
{
    // The place the window was given; a password cancelled before the window
    // reached the screen ends the program with this place stored.
    const QMargins frame = expectedFrameMargins(this);
    m_placeGiven = geometry().topLeft() - QPoint(frame.left(), frame.top());
    try {
        OpenFile(m_dataFileName);
    } catch (...) {
        reportError(std::current_exception());
        // The program goes on without a data file, with an empty list.
        showLoadedList();
    }
}

void TfrmMain::OpenFile(const std::string &name)
{
    const ContactStore::OpenResult opened = m_store.open(name);
    m_state.FileOpen = true;
    // A new file already holds the header of a new file.
    m_state.headerImage = m_store.header();
    PasswordState &password = m_state.Password;
    readPasswordHeader(password, m_state.headerImage);
    password.PasswordDialogCancelled = false;
    if (opened == ContactStore::OpenResult::Opened) {
        password.PasswordDialogCancelled = !m_passwordCheck(m_state.headerImage);
        if (!password.PasswordDialogCancelled)
            m_store.loadContacts();
    }
    showLoadedList();
    if (password.PasswordDialogCancelled)
        ExitVcq97();
}

void TfrmMain::showLoadedList()
{
    if (m_listModel->count() > 0) {
        setPrintEnabled(true);
        lstList->setEnabled(true);
        SetPosListe(0);
        lstList->setFocus();
        FillTextBox();
    } else {
        lstList->setEnabled(false);
        txtLastName->setFocus();
    }
}

void TfrmMain::WriteFirstRecord()
{
    m_store.writeHeader(m_state.headerImage);
}

void TfrmMain::setOptionsDialog(TfrmOptions *dialog)
{
    if (m_optionsDialog)
        disconnect(m_optionsDialog, nullptr, this, nullptr);
    m_optionsDialog = dialog;
    if (dialog)
        connect(dialog, &TfrmOptions::languageChanged, this, &TfrmMain::ChooseLanguage);
}

void TfrmMain::ConfigButClick()
{
    // The window has followed a new language while the dialog was up.
    if (m_optionsDialog)
        m_optionsDialog->exec();
    // The header is written whatever was done in the dialog; without a data
    // file there is nowhere to write it.
    if (m_state.FileOpen)
        WriteFirstRecord();
}

void TfrmMain::PrintButClick()
{
    if (m_printDialog)
        m_printDialog->exec();
}

void TfrmMain::CloseAll()
{
    if (m_state.FileOpen) {
        m_state.FileOpen = false;
        m_store.close(); // the list, and with it the list box, is emptied
    }
    clearControls();
}

void TfrmMain::savePosition()
{
    // Until the window is on the screen the desktop may still move it (to
    // 0,0 while the start-up password is asked): its place is the one given.
    const QPoint at = m_state.Password.PasswordDialogCancelled ? m_placeGiven : pos();
    if (m_positionWriter)
        m_positionWriter(at.x(), at.y());
}

void TfrmMain::ExitVcq97()
{
    endProgram();
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    event->accept();
    // FormClose.
    endProgram();
}

void TfrmMain::endProgram()
{
    // Quit, the close box and a cancelled password all end here, once.
    if (m_ended)
        return;
    // Each step is reported on its own: the file is closed and the program
    // ends even when the position cannot be written.
    guarded([this] { savePosition(); });
    guarded([this] { CloseAll(); });
    m_ended = true;
    emit exitRequested();
}

void TfrmMain::reportError(std::exception_ptr error)
{
    QString message;
    try {
        std::rethrow_exception(error);
    } catch (const StoreError &e) {
        switch (e.kind()) {
        case StoreErrc::Io:
            break;
        case StoreErrc::WrongFileFormat:
            message = m_texts.MsgWrongFileFormat;
            break;
        case StoreErrc::ReservedLastName:
            message = m_texts.MsgReservedLastName;
            break;
        case StoreErrc::NotOpen:
            message = m_texts.MsgNoDataFile;
            break;
        case StoreErrc::LinkLoop:
            message = m_texts.MsgLinkLoop;
            break;
        case StoreErrc::DanglingLink:
            message = m_texts.MsgDanglingLink;
            break;
        case StoreErrc::NotRegularFile:
            message = m_texts.MsgNotRegularFile;
            break;
        case StoreErrc::TooManyRecords:
            message = m_texts.MsgTooManyRecords;
            break;
        case StoreErrc::FileShrunk:
            message = m_texts.MsgFileShrunk;
            break;
        }
        if (message.isEmpty())
            message = exceptionMessage(error);
    } catch (...) {
        message = exceptionMessage(error);
    }
    reportFailure(this, message);
}

} // namespace vcq
