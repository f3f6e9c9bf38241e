// twdrive dis51: the MCS-51 disassembler as the conversion window's start command runs it, its
// outcome carried out by the window's writer. Every message box is printed as "title: text" (line
// ends as blanks) and answered with its first button (Yes, OK); with --no every box is answered
// No. Exit 0: the disassembly was written; 1: it was refused, failed or declined; 2: usage. The
// driver runs it itself, without Qt: it is timed against d52, whose whole run on a small image is
// shorter than loading Qt.
#include "DriveDis51.h"

#include "CommandTable.h"

#include "base/MessageStyle.h"
#include "disasm51/Disassemble51.h"

#include <cstdio>
#include <string>
#include <vector>

namespace twdrive
{
namespace
{

// The answers the message boxes give (common/Prompter.h's MsgAnswer, which needs Qt).
constexpr int kOk = 1, kAbort = 3, kRetry = 4, kYes = 6, kNo = 7;

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
        return m_answerNo ? kNo : firstButton(note.style);
    }

    const std::string &printed() const { return m_printed; }

  private:
    static int firstButton(int style)
    {
        switch (style & 7) {
        case tw::MsgStyle::AbortRetryIgnore:
            return kAbort;
        case tw::MsgStyle::YesNoCancel:
        case tw::MsgStyle::YesNo:
            return kYes;
        case tw::MsgStyle::RetryCancel:
            return kRetry;
        default:
            return kOk;
        }
    }

    bool m_answerNo;
    std::string m_printed;
};

} // namespace

int dis51(int argc, char **argv)
{
    std::vector<std::string> args(argv, argv + argc);
    const auto no = std::erase(args, std::string("--no"));
    if (args.size() != 2 && args.size() != 4) {
        const std::string usage = "usage: twdrive " + std::string(usageOf("dis51")) + "\n";
        std::fputs(usage.c_str(), stderr);
        return 2;
    }
    tw::Disasm51PlainJob job;
    job.binPath = args[0];
    job.outPath = args[1];
    if (args.size() == 4) {
        job.startText = args[2];
        job.endText = args[3];
    }
    const tw::Disasm51PlainResult result = tw::disassemble51(job);
    PrintedAnswers answers(no > 0);
    const tw::CarriedOut carried = tw::carryOut(result.outcome, answers);
    std::fwrite(answers.printed().data(), 1, answers.printed().size(), stdout);
    return result.status == tw::DisasmStatus::Completed && carried.result == tw::WriteResult::Written ? 0 : 1;
}

} // namespace twdrive
