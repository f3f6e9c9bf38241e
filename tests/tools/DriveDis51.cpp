// twdrive dis51 [--no] FILE.bin OUT.asm [START END]: the MCS-51 disassembler as the conversion
// window's Start command runs it, its checks first, its outcome carried out by the window's writer.
// Every message box is printed as "title: text" (line ends as blanks) and answered with its first
// button (Yes, OK); with --no every box is answered No. Exit 0: the disassembly was written; 1: it
// was refused, failed or declined; 2: usage. The driver runs it itself, without Qt.
#include "DriveDisassembly.h"

#include "disassembler/Disassemble51.h"

namespace twdrive
{

int dis51(int argc, char **argv)
{
    return runDisassembly("dis51", argc, argv, &tw::disassemble51);
}

} // namespace twdrive
