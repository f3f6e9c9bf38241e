#pragma once

namespace twdrive
{

// twdrive dis51 [--no] FILE.bin OUT.asm [START END]; argv holds the arguments after the command name.
int dis51(int argc, char **argv);

} // namespace twdrive
