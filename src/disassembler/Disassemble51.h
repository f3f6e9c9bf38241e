#pragma once
// The MCS-51 disassembler for the conversion window: its Qt texts and paths around the
// disassembler of disasm51/Disassemble51.h.
#include "disasm51/Disassemble51.h"

#include <QString>

namespace tw
{

struct Disasm51Job {
    QString binPath;   // the code image (.bin) to read
    QString outPath;   // the source file to write; the segment list goes beside it
    QString startText; // the start address box, read as four hex positions; empty is 0000H
    QString endText;   // the exclusive end box; empty is the file's length
};

struct Disasm51Result {
    DisasmStatus status = DisasmStatus::Failed;
    // What to write and say, for carryOut (common/OutcomeWriter.h).
    ToolOutcome outcome;
    // Completed: the file to open in an editor (and to give the main window's file dialog) when
    // the question is answered Yes.
    QString openPath;
    int startAddress = 0;
    int endAddress = 0;
};

Disasm51Result disassemble51(const Disasm51Job &job);

} // namespace tw
