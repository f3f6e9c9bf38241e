#pragma once
// Pass 2 of the MCS-51 assembler for one statement.
#include "assembler/common/Numbers.h"
#include "assembler/common/Symbols.h"
#include "base/CodeImage.h"

#include <QString>
#include <QVarLengthArray>
#include <cstdint>

namespace tw::mcs51
{

// What encoding a statement reads and writes.
struct EncodeContext {
    CodeImage &image;
    const LabelTable &labels;
    VariableTable &variables; // "NAME EQU value" statements set entries
    ErrorSink &errors;
};

// The bytes a statement shows in its code field; those beyond its length are never stored.
using CodeBytes = QVarLengthArray<std::uint8_t, 16>;

struct Encoded {
    QString mnemonic;  // the standard mnemonic the statement was encoded as
    QString codeField; // two hex digits per byte, one TAB appended when shorter than 8 characters
    int length = 0;    // bytes the statement occupies from pc (NOP 1, EQU 0), stored or not
    CodeBytes bytes;   // the code field's bytes
};

// Encodes the statement at pc (0..65535) into the image and returns its code field. mnemonic is
// the first word (an alias, or a name followed by EQU in operands); operands is the rest of the
// line. Every rejected operand is recorded on ctx.errors and the statement is still encoded with
// zero bytes where the operand failed. Throws AssemblyFailure for a byte past address FFFFH or a
// variable table that would overflow.
Encoded encodeStatement(long long pc, const QString &mnemonic, const QString &operands, EncodeContext &ctx);

// encodeStatement() in two steps, for a driver that already knows the address after the
// statement (what nextAddress() gives once the statement is encoded): encodeCode() fills mnemonic
// and bytes and sets any variable; placeCode() sets length and codeField and stores the bytes.
Encoded encodeCode(long long pc, const QString &mnemonic, const QString &operands, EncodeContext &ctx);
void placeCode(Encoded &encoded, long long pc, long long next, CodeImage &image);

} // namespace tw::mcs51
