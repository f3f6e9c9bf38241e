#pragma once
// The MCS-48 assembler, run by the assembler window when its CPU choice is MCS-48.
#include "AssemblyRun.h"

namespace tw
{

// Normalises the source into its a51 copy and assembles it as MCS-48 source; the outcome plans the
// copy and the .lt, .lst, .err and .bin files named after binPath, in that order, and writes
// nothing. Every listing line carries its statement's address. A fatal failure (too many labels,
// an address error, a full duplicate list) ends the run with failureMessage set: a failure in
// pass 2 keeps the listing gathered so far for the .lst, and the other files of an earlier run are
// stale, so that nothing looks current.
AssemblyOutcome planAssembly48(const AssemblyJob &job, const AssemblyObserver &observer = {});

// planAssembly48 of the source file, carried out (carryOutAssembly).
AssemblyResult assemble48(const QString &sourcePath, const QString &binPath,
                          const AssemblyObserver &observer = {});

} // namespace tw
