// lmprof for Linux and other systems without Windows: the file commands of lmprof.exe, built
// from the same sources with the host compiler. The printer commands need the Windows spooler
// and say so.
#include "commands.h"

int main(int argc, char** argv)
{
    return LmprofMain(argc, argv, PrinterCommands());
}
