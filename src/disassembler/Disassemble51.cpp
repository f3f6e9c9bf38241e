#include "disassembler/Disassemble51.h"

#include "common/OutcomeWriter.h"

namespace tw
{

Disasm51Result disassemble51(const Disasm51Job &job)
{
    Disasm51PlainResult plain =
        disassemble51(Disasm51PlainJob{nativePath(job.binPath), nativePath(job.outPath),
                                       job.startText.toStdString(), job.endText.toStdString()});
    Disasm51Result result;
    result.status = plain.status;
    if (!plain.outcome.openOnYes.empty())
        result.openPath = job.outPath;
    result.outcome = std::move(plain.outcome);
    result.startAddress = plain.startAddress;
    result.endAddress = plain.endAddress;
    return result;
}

} // namespace tw
