// SPDX-License-Identifier: GPL-3.0-or-later
// Program start-up: the windows in their order of creation, and the run of
// the program from its entry to its end.
#pragma once

#include "tfrm_main.h"

#include "password/tfrm_password_dlg.h"
#include "print/tfrm_print.h"
#include "settings/tfrm_about.h"
#include "settings/tfrm_options.h"
#include "telephony/tfrm_tapi_call.h"

#include <memory>

namespace vcq
{

class SyncController;
class SyncOptionsPage;

struct ProgramWindows {
    std::unique_ptr<TfrmMain> main;
    // Owned by the main window, hidden until they are used.
    TfrmAbout *about = nullptr;
    TfrmOptions *options = nullptr;
    print::TfrmPrint *print = nullptr;
    TfrmTAPICall *tapiCall = nullptr;
    TfrmPasswordDlg *passwordDlg = nullptr;
    // The Options dialog's sync page and the controller of sync from the window.
    SyncOptionsPage *syncPage = nullptr;
    SyncController *sync = nullptr;
};

// Creates the main window (which reads the settings, the status list and
// applies the language), then the five other windows in their order, and
// connects them: each follows the language the Options dialog announces.
// Nothing is shown.
ProgramWindows createProgramWindows();

// The program: the application with its title and error handling, the
// windows, the main window shown (which opens the data file) and the message
// loop until the program ends. Files named on the command line are offered
// for import once the window is open. Returns the exit code.
int runProgram(int argc, char **argv);

} // namespace vcq
