// twdrive dis51: the MCS-51 disassembler as the conversion window's start command runs it.
#include "Commands.h"

#include "disassembler/Disassemble51.h"

#include <QTextStream>

namespace
{

int dis51(const QStringList &args)
{
    QTextStream out(stdout);
    if (args.size() != 2 && args.size() != 4) {
        QTextStream(stderr) << "usage: twdrive dis51 FILE.bin OUT.asm [START END]\n";
        return 2;
    }
    tw::Disasm51Job job;
    job.binPath = args[0];
    job.outPath = args[1];
    if (args.size() == 4) {
        job.startText = args[2];
        job.endText = args[3];
    }
    const tw::Disasm51Result result = tw::disassemble51(job);
    for (const tw::DisasmMessage &message : result.messages)
        out << message.title << ": " << QString(message.text).replace(u"\r\n"_qs, u" "_qs) << "\n";
    return result.outcome == tw::DisasmOutcome::Completed ? 0 : 1;
}

} // namespace

TW_DRIVER_PLAIN_COMMAND("dis51", "dis51 FILE.bin OUT.asm [START END]", dis51);
