// twdrive dis51: the MCS-51 disassembler as the conversion window's start command runs it. The
// driver runs it itself, without Qt: it is timed against d52, whose whole run on a small image is
// shorter than loading Qt.
#include "DriveDis51.h"

#include "CommandTable.h"

#include "disasm51/Disassemble51.h"

#include <cstdio>
#include <string>

namespace twdrive
{

int dis51(int argc, char **argv)
{
    if (argc != 2 && argc != 4) {
        const std::string usage = "usage: twdrive " + std::string(usageOf("dis51")) + "\n";
        std::fputs(usage.c_str(), stderr);
        return 2;
    }
    tw::Disasm51PlainJob job;
    job.binPath = argv[0];
    job.outPath = argv[1];
    if (argc == 4) {
        job.startText = argv[2];
        job.endText = argv[3];
    }
    const tw::Disasm51PlainResult result = tw::disassemble51(job);
    std::string out;
    for (const tw::DisasmNote &message : result.messages) {
        out += message.title + ": ";
        for (std::size_t at = 0; at < message.text.size(); ++at) {
            if (message.text.compare(at, 2, "\r\n") == 0) {
                out += ' ';
                ++at;
            } else {
                out += message.text[at];
            }
        }
        out += '\n';
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return result.outcome == tw::DisasmOutcome::Completed ? 0 : 1;
}

} // namespace twdrive
