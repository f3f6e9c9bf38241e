// twdrive dis48 [--no] FILE.bin OUT.asm [START END]: the MCS-48 disassembly as the conversion
// window's Start command runs it, its outcome carried out by the window's writer. Every message
// box is printed as "title: text" (line ends as blanks) and answered with its first button (Yes,
// OK); with --no every box is answered No. Exit 0: the disassembly was written; 1: it was
// refused, failed or declined; 2: usage.
#include "Commands.h"

#include "common/OutcomeWriter.h"
#include "common/ScriptedPrompter.h"
#include "disassembler/Disassemble48.h"

#include <QTextStream>

namespace
{

int dis48(const QStringList &arguments)
{
    QStringList args = arguments;
    const bool answerNo = args.removeAll(QStringLiteral("--no")) > 0;
    if (args.size() != 2 && args.size() != 4) {
        return twdrive::usageError("dis48");
    }
    tw::Disasm48Job job;
    job.binPath = args[0];
    job.outPath = args[1];
    if (args.size() == 4) {
        job.startText = args[2];
        job.endText = args[3];
    }
    const tw::Disasm48Result result = tw::disassemble48(job);
    tw::ScriptedPrompter prompter;
    for (int i = 0; answerNo && i < 8; ++i)
        prompter.answerMessage(tw::MsgAnswer::No);
    const tw::CarriedOut carried = tw::carryOut(result.outcome, prompter);
    QTextStream out(stdout);
    for (const tw::ScriptedPrompter::Call &call : prompter.calls())
        out << call.title << ": " << QString(call.text).replace(QStringLiteral("\r\n"), QStringLiteral(" "))
            << "\n";
    return result.status == tw::DisasmStatus::Completed && carried.result == tw::WriteResult::Written ? 0 : 1;
}

} // namespace

TW_DRIVER_COMMAND("dis48", dis48);
