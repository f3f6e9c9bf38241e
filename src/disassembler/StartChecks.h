#pragma once
// What the Start command checks before either disassembler runs. The conversion window and the
// headless driver make the same checks through this one function, so a run the window refuses
// the driver refuses with the same message box.
#include "base/ToolOutcome.h"

#include <optional>
#include <string>
#include <string_view>

namespace tw
{

struct DisasmStartCheck {
    // The first check that fails, as its message box; none when the disassembly may run.
    std::optional<ToolNote> refusal;
    // The input is chosen and there: the window takes it as its current code image, even when a
    // later check refuses the output.
    bool inputAccepted = false;
};

// In this order: no input chosen, nothing at the input path, no output chosen (check boxes:
// exclamation, Yes and No, the answer unused), then the source, or the file the disassembler
// writes beside it (sideEnding: the job's kSideFileEnding), being the input under any name
// (refusals: information icon, OK, no title). Paths are the file-name bytes.
DisasmStartCheck checkDisassemblyStart(const std::string &binPath, const std::string &outPath,
                                       std::string_view sideEnding);

} // namespace tw
