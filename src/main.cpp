// Program entry.
#include "mainwin/start_up.h"

int main(int argc, char *argv[])
{
    return vcq::runProgram(argc, argv);
}
