// Program start-up: the windows in their order of creation, and the run of
// the program from its entry to its end.
#pragma once

#include "tfrm_main.h"

#include <memory>

class QDialog;

namespace vcq
{

struct ProgramWindows {
    std::unique_ptr<TfrmMain> main;
    // Owned by the main window, hidden until they are used.
    QDialog *about = nullptr;
    QDialog *options = nullptr;
    QDialog *print = nullptr;
    QWidget *tapiCall = nullptr;
    QDialog *passwordDlg = nullptr;
    // The Options dialog's sync page and the controller of sync from the window.
    class SyncOptionsPage *syncPage = nullptr;
    class SyncController *sync = nullptr;
};

// Creates the main window (which reads the settings, the status list and
// applies the language), then the five other windows in their order, and
// connects them. Nothing is shown.
ProgramWindows createProgramWindows();

// The program: the application with its title and error handling, the
// windows, the main window shown (which opens the data file) and the message
// loop until the program ends. Returns the exit code.
int runProgram(int argc, char **argv);

} // namespace vcq
