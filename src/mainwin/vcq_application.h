// SPDX-License-Identifier: GPL-3.0-or-later
// The application object. Its event dispatch is the program's general error
// handler: an exception that leaves an event handler is shown in a plain
// message box and the program goes on.
#pragma once

#include <QApplication>

namespace vcq
{

class VcqApplication : public QApplication
{
    Q_OBJECT
public:
    VcqApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

} // namespace vcq
