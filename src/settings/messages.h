// The program's plain message box: caption "Vellora Carnetique 97", one
// "OK" button, the same in both languages.
#pragma once

#include <QString>

class QWidget;

namespace vcq
{

inline constexpr const char *kAppTitle = "Vellora Carnetique 97";

void showPlainMessage(QWidget *parent, const QString &text);

} // namespace vcq
