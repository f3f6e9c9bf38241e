#pragma once
// The MCS-48 disassembler: turns an 8048 code image into source for the system's MCS-48 assembler,
// following the flow of control from the start address (and the vectors when it is 0000H).
#include "DisasmText.h"
#include "disasm51/Disassemble51.h"

#include <QByteArrayView>
#include <QString>

namespace tw
{

struct Disasm48Job {
    QString binPath;   // the code image (.bin)
    QString outPath;   // the source file to write
    QString startText; // start address box: empty is 0000H, otherwise read as four hex positions
    QString endText;   // end address box (exclusive): empty is the end of the loaded file
    // "部分代码": the file holds code from the start address on, so its first byte goes there.
    bool partialCode = false;
};

struct Disasm48Result {
    DisasmStatus status = DisasmStatus::Failed;
    // What to write and say, for carryOut (common/OutcomeWriter.h). Completed: the source, and
    // the question whether to open it (openOnYes). Failed: the label dump, only where no file is.
    ToolOutcome outcome;
    QString proposedOutputPath; // input path less its last three characters, plus "asm"
    QString dumpPath;           // the label dump's path: beside the output (sideFilePath, "err")
};

// Only the first 4 KB of the address space is loaded; the range is start up to (not including)
// end. The whole output is built in memory; nothing is written here.
Disasm48Result disassemble48(const Disasm48Job &job);
// The same for the file's bytes already in memory (binPath is not read).
Disasm48Result disassemble48Image(QByteArrayView bytes, const Disasm48Job &job);

// Limits of the decoding pass.
constexpr int kImageLimit48 = 4096;
constexpr int kPending48 = 256;
constexpr int kSegments48 = 256;

} // namespace tw
