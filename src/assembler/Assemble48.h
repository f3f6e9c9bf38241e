#pragma once
// The MCS-48 assembler, run by the assembler window when its CPU choice is MCS-48.
#include "AssemblyRun.h"

namespace tw
{

AssemblyResult assemble48(const QString &sourcePath, const QString &binPath,
                          const AssemblyObserver &observer = {});

} // namespace tw
