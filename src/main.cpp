// Program entry.
#include "mainwin/start_up.h"

#include <csignal>

int main(int argc, char *argv[])
{
    // A write beyond the file size limit must fail with EFBIG and be reported
    // ("Disk full"), not end the program with SIGXFSZ in the middle of a record.
    std::signal(SIGXFSZ, SIG_IGN);
    return vcq::runProgram(argc, argv);
}
