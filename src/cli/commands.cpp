// SPDX-License-Identifier: GPL-3.0-or-later
// The commands the program knows. A new command is one more entry here and
// its own files in this folder.
#include "bin_command.h"
#include "birthdays_command.h"
#include "command.h"
#include "duplicates_command.h"
#include "export_command.h"
#include "import_command.h"
#include "search_command.h"
#include "sync_command.h"

namespace vcq::cli
{

std::vector<Command> commands()
{
    return {
        importCommand(),
        exportCommand(),
        syncCommand(),
        binCommand(),
        searchCommand(),
        birthdaysCommand(),
        duplicatesCommand(),
    };
}

} // namespace vcq::cli
