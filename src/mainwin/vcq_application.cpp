// SPDX-License-Identifier: GPL-3.0-or-later
#include "vcq_application.h"

#include "core/message_boxes.h"
#include "main_texts.h"

namespace vcq
{

VcqApplication::VcqApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(applicationTitle());
    // Desktops find the window's entry and icon by the application's id.
    setDesktopFileName(QStringLiteral("io.github.vellora.carnetique97"));
}

bool VcqApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportFailure(activeWindow(), exceptionMessage(std::current_exception()));
        return false;
    }
}

} // namespace vcq
