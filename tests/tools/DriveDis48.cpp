// twdrive dis48 [--no] FILE.bin OUT.asm [START END]: the MCS-48 disassembly as the conversion
// window's Start command runs it (its checks first, the whole file loaded from 0000H), its outcome
// carried out by the window's writer. Every message box is printed as "title: text" (line ends as
// blanks) and answered with its first button (Yes, OK); with --no every box is answered No. Exit 0:
// the disassembly was written; 1: it was refused, failed or declined; 2: usage. The driver runs it
// itself, without Qt.
#include "DriveDisassembly.h"

#include "disassembler/Disassemble48.h"

namespace twdrive
{

int dis48(int argc, char **argv)
{
    return runDisassembly("dis48", argc, argv, &tw::disassemble48);
}

} // namespace twdrive
