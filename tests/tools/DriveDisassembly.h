#pragma once
// The disassembly commands the driver's front runs itself, without Qt: they are timed against
// d52 and d48, whose whole run on a small image is shorter than loading Qt.
#include "base/ToolOutcome.h"
#include "disassembler/common/DisasmJob.h"

#include <optional>
#include <string>
#include <string_view>

namespace twdrive
{

// twdrive dis51|dis48 [--no] FILE.bin OUT.asm [START END]; argv holds the arguments after the
// command name.
int dis51(int argc, char **argv);
int dis48(int argc, char **argv);

// What both commands are given: paths as the file-name bytes, the address boxes' texts.
struct DisassemblyArguments {
    std::string binPath;
    std::string outPath;
    std::string startText;
    std::string endText;
    bool answerNo = false; // --no: every message box is answered No
};

// The arguments of the command; std::nullopt, its usage printed, when they do not fit.
std::optional<DisassemblyArguments> disassemblyArguments(std::string_view command, int argc, char **argv);

// Carries the outcome out as the conversion window's writer does, every message box printed as
// "title: text" (line ends as blanks) and answered with its first button (Yes, OK), or No. The
// exit status: 0 when the disassembly completed and was written, else 1.
int carryOutPrinted(const tw::ToolOutcome &outcome, bool completed, bool answerNo);

// The conversion window's Start checks (disassembler/StartChecks.h) on the arguments; what they
// refuse is printed as the window shows it, and the exit status is 1.
std::optional<int> refusedAtStart(const DisassemblyArguments &args, std::string_view sideEnding);

// One disassembly command: its arguments, the window's Start checks, the disassembler's job, the
// outcome carried out.
template <typename Job, typename Result>
int runDisassembly(std::string_view command, int argc, char **argv, Result (*disassemble)(const Job &))
{
    const std::optional<DisassemblyArguments> args = disassemblyArguments(command, argc, argv);
    if (!args)
        return 2;
    if (const std::optional<int> refused = refusedAtStart(*args, Job::kSideFileEnding))
        return *refused;
    Job job;
    job.binPath = args->binPath;
    job.outPath = args->outPath;
    job.startText = args->startText;
    job.endText = args->endText;
    const Result result = disassemble(job);
    return carryOutPrinted(result.outcome, result.status == tw::DisasmStatus::Completed, args->answerNo);
}

} // namespace twdrive
