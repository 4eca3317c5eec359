// Program entry: a command of the command line (import, export, ...) runs
// without a window; otherwise the window opens.
#include "cli/dispatcher.h"
#include "mainwin/start_up.h"

int main(int argc, char *argv[])
{
    if (vcq::cli::isCommandLine(argc, argv))
        return vcq::cli::run(argc, argv);
    return vcq::runProgram(argc, argv);
}
