#pragma once
// The two-pass MCS-51 assembler: source in, code image, listing, listing lines and error report out.
#include "AssemblyRun.h"

namespace tw
{

// Normalises the source into its a51 copy and assembles it; the outcome plans the copy and the
// .lst, .lt, .err and .bin files named after binPath, and writes nothing. A fatal failure (too
// many labels, an EQU without operand, an address error, anything the passes cannot handle) ends
// the run with failureMessage set; the listings, .err and .bin of an earlier run are then stale,
// so that nothing looks current.
AssemblyOutcome planAssembly51(const AssemblyJob &job, const AssemblyObserver &observer = {});

// planAssembly51 of the source file, carried out (carryOutAssembly).
AssemblyResult assemble51(const QString &sourcePath, const QString &binPath,
                          const AssemblyObserver &observer = {});

} // namespace tw
