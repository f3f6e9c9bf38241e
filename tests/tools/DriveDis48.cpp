// twdrive dis48 FILE.bin OUT.asm [START END]: the MCS-48 disassembly as the conversion window's
// Start command runs it, answering No to the question whether to open the output.
#include "Commands.h"

#include "disassembler/Disassemble48.h"

#include <QTextStream>

namespace
{

int dis48(const QStringList &args)
{
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
    const tw::Disasm48Outcome outcome = tw::disassemble48(job);
    QTextStream out(stdout);
    for (const auto &message : outcome.messages)
        out << message.title << ": "
            << QString(message.text).replace(QStringLiteral("\r\n"), QStringLiteral(" ")) << "\n";
    return outcome.succeeded ? 0 : 1;
}

} // namespace

TW_DRIVER_COMMAND("dis48", dis48);
