#pragma once
// The MCS-48 disassembler: turns an 8048 code image into source for the system's MCS-48 assembler,
// following the flow of control from the start address (and the vectors when it is 0000H).
#include "DisasmText.h"

#include <QString>
#include <QStringList>
#include <vector>

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

struct Disasm48Outcome {
    bool succeeded = false;
    // Shown in order. On success the last one is the Yes/No question whether to open the output;
    // Yes opens outPath in an editor, and the editor's opening closes the conversion window.
    std::vector<DisasmMessage> messages;
    QStringList filesWritten;
    QString proposedOutputPath; // input path less its last three characters, plus "asm"
    QString dumpPath;           // the same plus "err": the label dump a failure writes
    bool opensOutputOnYes = false;
};

// Only the first 4 KB of the address space is loaded; the range is start up to (not including)
// end. The whole output is built in memory and written at the end; on failure the output file is
// left alone and the label dump written instead.
Disasm48Outcome disassemble48(const Disasm48Job &job);

// Limits of the decoding pass.
constexpr int kImageLimit48 = 4096;
constexpr int kPending48 = 256;
constexpr int kSegments48 = 256;

} // namespace tw
