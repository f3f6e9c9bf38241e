#pragma once
// The two-pass MCS-51 assembler: source in, code image, listing, listing lines and error report out.
#include "AssemblyRun.h"

namespace tw
{

// Normalises sourcePath into its a51 copy, assembles it and writes the .lst, .lt, .err and .bin
// files named after binPath. A fatal failure (too many labels, an EQU without operand, an
// address error, anything the passes cannot handle) ends the run with failureMessage set; the
// .err and .bin of an earlier run are then removed so that nothing stale looks current.
AssemblyResult assemble51(const QString &sourcePath, const QString &binPath,
                          const AssemblyObserver &observer = {});

} // namespace tw
