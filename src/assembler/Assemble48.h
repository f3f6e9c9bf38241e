#pragma once
// The MCS-48 assembler, run by the assembler window when its CPU choice is MCS-48.
#include "AssemblyRun.h"

namespace tw
{

// Normalises sourcePath into its a51 copy, assembles it as MCS-48 source and writes the .lt,
// .lst, .err and .bin files named after binPath, in that order, at the end of the run. Every
// listing line carries its statement's address. A fatal failure (too many labels, an address
// error, a full duplicate list, a write that fails) ends the run with failureMessage set: a
// failure in pass 2 leaves the listing gathered so far in the .lst, and the other files of an
// earlier run are removed so that nothing stale looks current.
AssemblyResult assemble48(const QString &sourcePath, const QString &binPath,
                          const AssemblyObserver &observer = {});

} // namespace tw
