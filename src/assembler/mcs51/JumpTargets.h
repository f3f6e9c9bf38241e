#pragma once
// Targets of MCS-51 jumps and calls: a number, a label, or "$" for the statement's own address.
#include "assembler/common/Numbers.h"
#include "assembler/common/Symbols.h"

#include <cstdint>

namespace tw::mcs51
{

// The offset byte of a relative jump whose instruction is length (2 or 3) bytes long at pc.
// A number 0..255 is the offset itself. Records "转移范围越界" or "标号未定义" and gives 0.
std::uint8_t relativeOffset(const QString &target, long long pc, int length, const LabelTable &labels,
                            ErrorSink &errors);

// The 11-bit field of AJMP/ACALL at pc: a number 0..2047 as written, a label or "$" in the 2 KB
// page of pc + 2. Failures record an error and give 0.
int pageTarget(const QString &target, long long pc, const LabelTable &labels, ErrorSink &errors);

// The 16-bit target of LJMP/LCALL at pc. Failures record an error and give 0.
int longTarget(const QString &target, long long pc, const LabelTable &labels, ErrorSink &errors);

} // namespace tw::mcs51
