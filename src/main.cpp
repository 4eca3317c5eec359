// SPDX-License-Identifier: GPL-3.0-or-later
// Program entry: a command of the command line (import, export, ...) runs
// without a window; otherwise the window opens.
#include "cli/dispatcher.h"
#include "mainwin/start_up.h"

#include <csignal>

int main(int argc, char *argv[])
{
    // A write beyond the file size limit must fail with EFBIG and be reported
    // ("Disk full"), not end the program with SIGXFSZ in the middle of a record.
    std::signal(SIGXFSZ, SIG_IGN);
    if (vcq::cli::isCommandLine(argc, argv))
        return vcq::cli::run(argc, argv);
    return vcq::runProgram(argc, argv);
}
