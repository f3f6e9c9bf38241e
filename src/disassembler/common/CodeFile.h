#pragma once
// A disassembler's input file, read and refused alike by both disassemblers.
#include "base/FileAccess.h"
#include "base/ToolOutcome.h"
#include "disassembler/common/DisasmJob.h"
#include "disassembler/common/MessageTexts.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace tw
{

// The code image is the job's input: no file it writes may be that file under any name.
inline void readsCodeImage(ToolOutcome &outcome, const std::string &binPath)
{
    if (!binPath.empty())
        outcome.inputs.push_back(binPath);
}

// A file longer than the chip's code space: no code image of it (tooLongText says which chip).
template <typename Result> Result refusedAsTooLong(Result result, std::string_view tooLongText)
{
    result.status = DisasmStatus::InputTooLong;
    result.outcome.notes.push_back(disasmNote(tooLongText, disasmText::kInformationCaption));
    return result;
}

// Reads the code file whole and hands its bytes to disassemble. A longer file, a device, a pipe
// or a folder is refused before a byte of it is read: the job's result as it starts (refused)
// then says so, as too long or as Unreadable, naming the file and the reason.
template <typename Result, typename Disassemble>
Result disassembleFile(const std::string &path, std::int64_t maxBytes, Result refused,
                       std::string_view tooLongText, Disassemble disassemble)
{
    const PlainRead read = readFilePlain(path, maxBytes);
    if (read.ok())
        return disassemble(std::string_view(read.bytes));
    if (read.fault == ReadFault::TooLarge)
        return refusedAsTooLong(std::move(refused), tooLongText);
    refused.status = DisasmStatus::Unreadable;
    refused.outcome.notes.push_back(
        disasmNote(readFailureText(path, read.reason), disasmText::kDisassemblyCaption));
    return refused;
}

} // namespace tw
