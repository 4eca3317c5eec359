// SPDX-License-Identifier: GPL-3.0-or-later
#include "vcq_application.h"

#include "core/message_boxes.h"
#include "main_texts.h"

namespace vcq
{

VcqApplication::VcqApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(applicationTitle());
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
