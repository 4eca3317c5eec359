// The program's message boxes: plain messages captioned with the application
// title and an "OK" button, and questions captioned "Confirm" with "OK" and
// "Cancel". The same captions and buttons in both languages.
#pragma once

#include <QString>

#include <exception>

class QWidget;

namespace vcq
{

void showPlainMessage(QWidget *parent, const QString &text);
// True only when the user answers "OK".
bool askConfirmation(QWidget *parent, const QString &text);

// The text shown for an exception that ended an event handler.
QString exceptionMessage(std::exception_ptr error);

} // namespace vcq
