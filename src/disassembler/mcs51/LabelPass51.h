#pragma once
// First pass of the MCS-51 disassembler: follows the flow of control and registers every jump,
// branch and call target as a label, so that the second pass can name targets and line starts.
#include "base/CodeImage.h"
#include "disassembler/common/DisasmJob.h"
#include "disassembler/common/DisasmLabels.h"

namespace tw
{

// Most labels the pass registers, and most targets waiting to be walked at once.
constexpr int kLabelPassMaxLabels = 32767;
constexpr int kPendingLimit51 = 1025;

// The interrupt vectors a disassembly from 0000H starts with, as labels 1..6; the last is
// walked first.
constexpr int kVectors51[6] = {0x002B, 0x0023, 0x001B, 0x0013, 0x000B, 0x0003};

// Walks from start over opcode addresses below end; labels is refilled. False when a limit was
// reached (limit names it; labels then holds what was registered before).
bool collectLabels51(const CodeImage &image, int start, int end, DisasmLabels &labels, DisasmLimit &limit);

} // namespace tw
