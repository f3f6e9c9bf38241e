#pragma once
// The MCS-51 disassembler for the conversion window: its Qt texts and paths around the
// disassembler of disasm51/Disassemble51.h.
#include "disasm51/Disassemble51.h"
#include "disassembler/DisasmText.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace tw
{

struct Disasm51Job {
    QString binPath;         // the code image (.bin) to read
    QString outPath;         // the source file to write
    QString segmentListPath; // empty: outPath with "lst" in place of its last three characters
    QString startText;       // the start address box, read as four hex positions; empty is 0000H
    QString endText;         // the exclusive end box; empty is the file's length
};

struct Disasm51Result {
    DisasmOutcome outcome = DisasmOutcome::Failed;
    std::vector<DisasmMessage> messages; // in the order they are shown
    QString segmentListText;             // what was written to the segment list, if anything
    QStringList filesWritten;
    // Completed: the file to open in an editor (and to give the main window's file dialog) when
    // the question is answered Yes.
    QString openPath;
    int startAddress = 0;
    int endAddress = 0;
};

Disasm51Result disassemble51(const Disasm51Job &job);

} // namespace tw
