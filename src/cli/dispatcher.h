// SPDX-License-Identifier: GPL-3.0-or-later
// The program's command line: "vellora-carnetique-97 COMMAND ...", --help and
// --version. Commands run without a window and without a display.
#pragma once

namespace vcq::cli
{

// Whether the arguments ask for a command (or --help, --version) rather than
// the window. Options for the window toolkit (-platform, ...) are the window's,
// and so are files to import (see namesFileToOpen).
bool isCommandLine(int argc, char **argv);

// Whether a first argument names a file to open rather than a command: not a
// command's name, and an existing file, a path or a .vcf, .vcard or .csv name.
bool namesFileToOpen(const char *argument);

// Runs the command the arguments name; returns the process's exit status.
int run(int argc, char **argv);

} // namespace vcq::cli
