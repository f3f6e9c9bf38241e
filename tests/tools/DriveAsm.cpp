// twdrive asm51|asm48 FILE.asm: assemble as the assembler window's Start does, files beside FILE.
#include "Commands.h"

#include "assembler/AssemblyRun.h"

#include <QTextStream>

namespace
{

int runAssembly(const QStringList &args, tw::AsmCpu cpu, const char *command)
{
    QTextStream out(stdout);
    if (args.size() != 1) {
        return twdrive::usageError(command);
    }
    const QString source = args.first();
    const QString bin = tw::binPathForSource(source);
    const QString problem = tw::startCheckMessage(source, bin);
    if (!problem.isEmpty()) {
        out << problem << "\n";
        return 2;
    }
    // The same writer as the window's, every box answered OK; a file fault is the run's message.
    const tw::AssemblyResult result = tw::assembleFile(cpu, source, bin);
    out << result.summary() << "\n";
    if (!result.completed)
        return 2;
    return result.errorCount == 0 ? 0 : 1;
}

} // namespace

TW_DRIVER_PLAIN_COMMAND("asm51", [](const QStringList &args) {
    return runAssembly(args, tw::AsmCpu::Mcs51, "asm51");
});
TW_DRIVER_PLAIN_COMMAND("asm48", [](const QStringList &args) {
    return runAssembly(args, tw::AsmCpu::Mcs48, "asm48");
});
