#pragma once
// Pass 2 of the MCS-48 assembler: one statement's operands checked, its bytes stored into the
// code image and its code text returned for the listing.
#include "assembler/common/Numbers.h"
#include "assembler/common/Symbols.h"

#include <QString>

namespace tw
{
struct CodeImage;
}

namespace tw::mcs48
{

struct EncodeContext {
    CodeImage &image;
    const LabelTable &labels; // pass 1's labels, EQU labels with their value
    LineErrorSink &errors;    // knows the current line
};

// Encodes the statement at pc. The result is two hexadecimal digits per byte in address order,
// with a TAB appended when shorter than eight characters. Every fault records one error line and
// replaces the code text by its placeholder; a byte that would land past FFFFH ends the run
// (AssemblyFailure with the line's address error). pc is not advanced: see nextAddress().
QString encodeStatement(long long pc, const QString &mnemonic, const QString &operands,
                        EncodeContext &context);

} // namespace tw::mcs48
