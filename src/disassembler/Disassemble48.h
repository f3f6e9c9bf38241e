#pragma once
// The MCS-48 disassembler: turns an 8048 code image into source for the system's MCS-48 assembler,
// following the flow of control from the start address (and the vectors when it is 0000H). It
// writes no file: it hands back what it wants written, for the one writer (base/ToolOutcome.h).
// Runs without Qt: paths are the bytes of the file names, texts UTF-8.
#include "base/ToolOutcome.h"
#include "disassembler/common/DisasmJob.h"

#include <string>
#include <string_view>

namespace tw
{

struct Disasm48Job {
    std::string binPath;   // the code image (.bin)
    std::string outPath;   // the source file to write
    std::string startText; // start address box: empty is 0000H, otherwise read as four hex positions
    std::string endText;   // end address box (exclusive): empty is the end of the loaded file
    // "部分代码": the file holds code from the start address on, so its first byte goes there.
    bool partialCode = false;

    // The label dump's ending, in place of the source's extension.
    static constexpr std::string_view kSideFileEnding = "err";
};

struct Disasm48Result {
    DisasmStatus status = DisasmStatus::Failed;
    // What to write and say, for carryOut. Completed: the source, and the question whether to
    // open it (openOnYes). Failed: the label dump, only where no file is.
    ToolOutcome outcome;
    std::string proposedOutputPath; // input path less its last three characters, plus "asm"
    std::string dumpPath;           // the label dump's path: beside the output (sideFilePath)
};

// Only the first 4 KB of the address space is loaded; the range is start up to (not including)
// end. The whole output is built in memory; nothing is written here.
Disasm48Result disassemble48(const Disasm48Job &job);
// The same for the file's bytes already in memory (binPath is not read).
Disasm48Result disassemble48Image(std::string_view bytes, const Disasm48Job &job);

// The longest file the MCS-48 disassembler loads.
constexpr int kImageLimit48 = 4096;

} // namespace tw
