#pragma once
// The MCS-51 disassembler: a code image file back to source for our assembler, with labels,
// ORG, EQU and DB lines, and the list of code segments found. It writes no file: it hands back
// what it wants written, for the one writer (base/ToolOutcome.h) to ask, write and report. Runs
// without Qt: paths are the bytes of the file names, texts UTF-8.
#include "base/ToolOutcome.h"
#include "disassembler/common/DisasmJob.h"

#include <string>
#include <string_view>

namespace tw
{

struct Disasm51Job {
    std::string binPath;   // the code image (.bin) to read
    std::string outPath;   // the source file to write; the segment list goes beside it (sideFilePath)
    std::string startText; // the start address box, read as four hex positions; empty is 0000H
    std::string endText;   // the exclusive end box; empty is the file's length

    // The segment list's ending, in place of the source's extension.
    static constexpr std::string_view kSideFileEnding = "lst";
};

struct Disasm51Result {
    DisasmStatus status = DisasmStatus::Failed;
    // The files and messages, for carryOut; on completion openOnYes is the source.
    ToolOutcome outcome;
    int startAddress = 0;
    int endAddress = 0;
};

Disasm51Result disassemble51(const Disasm51Job &job);
// The same for an image already in memory (binPath is not read), as the file's bytes would be.
Disasm51Result disassemble51Image(std::string_view image, const Disasm51Job &job);

} // namespace tw
