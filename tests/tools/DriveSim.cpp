// twdrive sim51: load a code image as the simulator window does, reset, run, dump the state.
#include "Commands.h"

#include "common/CheckedFile.h"
#include "common/CodeImageFile.h"
#include "simulator/Cpu51.h"
#include "simulator/StateDump.h"

#include <QTextStream>

#include <memory>

namespace
{

struct Sim51Options {
    QString binPath;
    QString iramPath;
    quint64 steps = 1000000;
    qint32 until = -1;
};

bool parseOptions(const QStringList &args, Sim51Options &options, QString &error)
{
    for (int k = 0; k < args.size(); ++k) {
        const QString &arg = args[k];
        const bool hasValue = k + 1 < args.size();
        bool ok = true;
        if (arg == "--steps" && hasValue)
            options.steps = args[++k].toULongLong(&ok);
        else if (arg == "--until" && hasValue) {
            options.until = args[++k].toInt(&ok, 16);
            ok = ok && options.until >= 0 && options.until <= 0xFFFF;
        } else if (arg == "--iram" && hasValue)
            options.iramPath = args[++k];
        else if (!arg.startsWith("--") && options.binPath.isEmpty())
            options.binPath = arg;
        else
            ok = false;
        if (!ok) {
            error = "bad argument: " + arg;
            return false;
        }
    }
    if (options.binPath.isEmpty())
        error = "no code image given";
    return error.isEmpty();
}

int runSim51(const QStringList &args)
{
    QTextStream err(stderr);
    Sim51Options options;
    QString error;
    if (!parseOptions(args, options, error)) {
        err << "sim51: " << error << "\n";
        return 2;
    }
    auto image = std::make_unique<tw::CodeImage>();
    const int length = tw::loadCodeImage(options.binPath, *image);
    if (length < 0) {
        err << "sim51: cannot read " << options.binPath << "\n";
        return 2;
    }
    auto cpu = std::make_unique<tw::Cpu51>();
    cpu->loadCode(image->bytes.data(), length);
    cpu->reset();
    if (!options.iramPath.isEmpty()) {
        const QByteArray bytes = tw::readFileChecked(options.iramPath, 256).bytes;
        if (bytes.size() != 256) {
            err << "sim51: " << options.iramPath << " is not a 256-byte file\n";
            return 2;
        }
        std::copy(bytes.begin(), bytes.end(), cpu->iram.begin());
    }
    const std::uint64_t steps = cpu->run(options.steps, options.until);
    QTextStream(stdout) << QString::fromStdString(tw::stateDump(*cpu, steps));
    return 0;
}

} // namespace

TW_DRIVER_COMMAND("sim51", runSim51);
