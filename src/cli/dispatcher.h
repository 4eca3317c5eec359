// SPDX-License-Identifier: GPL-3.0-or-later
// The program's command line: "vellora-carnetique-97 COMMAND ...", --help and
// --version. Commands run without a window and without a display.
#pragma once

namespace vcq::cli
{

// Whether the arguments ask for a command (or --help, --version) rather than
// the window. Options for the window toolkit (-platform, ...) are the window's.
bool isCommandLine(int argc, char **argv);

// Runs the command the arguments name; returns the process's exit status.
int run(int argc, char **argv);

} // namespace vcq::cli
