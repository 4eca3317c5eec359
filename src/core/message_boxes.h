// SPDX-License-Identifier: GPL-3.0-or-later
// The program's message boxes, one kind each, the same captions and buttons in
// both languages: plain messages captioned with the application title and an
// "OK" button, questions captioned "Confirm" with "OK" and "Cancel", and the
// error box captioned "Error" with "OK". Every box shows its text as plain
// text: names, file contents and paths are never read as markup.
#pragma once

#include <QString>

#include <exception>

class QWidget;

namespace vcq
{

// "Vellora Carnetique 97": the application title and the windows' caption.
QString applicationTitle();

void showPlainMessage(QWidget *parent, const QString &text);
// True only when the user answers "OK", the default button.
bool askConfirmation(QWidget *parent, const QString &text);
void showErrorBox(QWidget *parent, const QString &text);
// A failure shown as a plain message and also written to standard error, so
// that it is not lost where nobody sees the window.
void reportFailure(QWidget *parent, const QString &text);
// The same question, its box centred on the screen instead of over `parent`.
bool askConfirmationOnScreen(QWidget *parent, const QString &text);

// The text shown for an exception that ended an event handler.
QString exceptionMessage(std::exception_ptr error);

} // namespace vcq
