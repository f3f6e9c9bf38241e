#pragma once
// The MCS-51 disassembler: a code image file back to source for our assembler, with labels,
// ORG, EQU and DB lines, and the list of code segments found. Runs without Qt: paths are the
// bytes of the file names, texts UTF-8.
#include "disasm51/MessageTexts.h"

#include <string>
#include <vector>

namespace tw
{

enum class DisasmOutcome {
    Completed,    // source and segment list written; the last message asks whether to open it
    InputTooLong, // the file is no MCS-51 code image; nothing written
    Failed,       // the source file holds the failure credit and what was made before the fault
};

struct Disasm51PlainJob {
    std::string binPath;         // the code image (.bin) to read
    std::string outPath;         // the source file to write
    std::string segmentListPath; // empty: outPath with "lst" in place of its last three characters
    std::string startText;       // the start address box, read as four hex positions; empty is 0000H
    std::string endText;         // the exclusive end box; empty is the file's length
};

struct Disasm51PlainResult {
    DisasmOutcome outcome = DisasmOutcome::Failed;
    std::vector<DisasmNote> messages; // in the order they are shown
    std::string segmentListText;      // what was written to the segment list, if anything (UTF-8)
    std::vector<std::string> filesWritten;
    // Completed: the file to open in an editor when the question is answered Yes.
    std::string openPath;
    int startAddress = 0;
    int endAddress = 0;
};

Disasm51PlainResult disassemble51(const Disasm51PlainJob &job);

} // namespace tw
