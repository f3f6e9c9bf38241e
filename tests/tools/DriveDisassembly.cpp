// What dis51 and dis48 share: their arguments, and the writer with the message boxes printed.
#include "DriveDisassembly.h"

#include "CommandTable.h"

#include "base/MessageStyle.h"
#include "disassembler/StartChecks.h"

#include <cstdio>
#include <vector>

namespace twdrive
{
namespace
{

class PrintedAnswers final : public tw::NoteAnswers
{
  public:
    explicit PrintedAnswers(bool answerNo) : m_answerNo(answerNo) {}

    int answer(const tw::ToolNote &note) override
    {
        m_printed += note.title + ": ";
        for (std::size_t at = 0; at < note.text.size(); ++at) {
            if (note.text.compare(at, 2, "\r\n") == 0) {
                m_printed += ' ';
                ++at;
            } else {
                m_printed += note.text[at];
            }
        }
        m_printed += '\n';
        return m_answerNo ? tw::MsgAnswer::No : tw::firstButton(note.style);
    }

    const std::string &printed() const { return m_printed; }

  private:
    bool m_answerNo;
    std::string m_printed;
};

} // namespace

std::optional<DisassemblyArguments> disassemblyArguments(std::string_view command, int argc, char **argv)
{
    std::vector<std::string> args(argv, argv + argc);
    const auto no = std::erase(args, std::string("--no"));
    if (args.size() != 2 && args.size() != 4) {
        const std::string usage = "usage: twdrive " + std::string(usageOf(command)) + "\n";
        std::fputs(usage.c_str(), stderr);
        return std::nullopt;
    }
    DisassemblyArguments arguments;
    arguments.binPath = args[0];
    arguments.outPath = args[1];
    if (args.size() == 4) {
        arguments.startText = args[2];
        arguments.endText = args[3];
    }
    arguments.answerNo = no > 0;
    return arguments;
}

std::optional<int> refusedAtStart(const DisassemblyArguments &args, std::string_view sideEnding)
{
    const tw::DisasmStartCheck check = tw::checkDisassemblyStart(args.binPath, args.outPath, sideEnding);
    if (!check.refusal)
        return std::nullopt;
    tw::ToolOutcome refused;
    refused.notes.push_back(*check.refusal);
    return carryOutPrinted(refused, false, args.answerNo);
}

int carryOutPrinted(const tw::ToolOutcome &outcome, bool completed, bool answerNo)
{
    PrintedAnswers answers(answerNo);
    const tw::CarriedOut carried = tw::carryOut(outcome, answers);
    std::fwrite(answers.printed().data(), 1, answers.printed().size(), stdout);
    return completed && carried.result == tw::WriteResult::Written ? 0 : 1;
}

} // namespace twdrive
