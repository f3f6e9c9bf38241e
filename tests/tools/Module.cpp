// The entry point of a driver module: runs one of the commands registered in the module.
#include "CommandTable.h"
#include "Commands.h"
#include "NameRuleSeam.h"

#include "base/MemoryReuse.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <map>
#include <string>
#include <unistd.h>

namespace twdrive
{
namespace
{
struct Entry {
    Command command;
    Startup startup;
};
std::map<std::string, Entry> &registry()
{
    static std::map<std::string, Entry> commands;
    return commands;
}
} // namespace

Registration::Registration(const char *name, Command command, Startup startup)
{
    registry()[name] = Entry{std::move(command), startup};
}

int usageError(const char *command)
{
    const std::string_view usage = usageOf(command);
    QTextStream(stderr) << "usage: twdrive "
                        << QString::fromUtf8(usage.data(), static_cast<qsizetype>(usage.size())) << "\n";
    return 2;
}

// A command's process ends as soon as its output is out: freeing what it built would only cost
// time. The sanitizer builds go the whole way, so that the leak check at exit still runs.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kQuickExit = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kQuickExit = false;
#else
constexpr bool kQuickExit = true;
#endif
#else
constexpr bool kQuickExit = true;
#endif

int finish(int exitCode)
{
    if (kQuickExit) {
        std::fflush(nullptr);
        ::_exit(exitCode);
    }
    return exitCode;
}

} // namespace twdrive

extern "C" __attribute__((visibility("default"))) int twdriveModuleMain(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const auto &commands = twdrive::registry();
    const auto found = args.isEmpty() ? commands.end() : commands.find(args.first().toStdString());
    if (found == commands.end()) {
        QTextStream(stderr) << "twdrive: this module has no command " << args.value(0) << "\n";
        return 2;
    }
    args.removeFirst();
    tw::keepFreedMemoryForReuse();
    twdrive::takeNameRuleFromEnvironment();
    const auto &entry = found->second;
    if (entry.startup == twdrive::Startup::Plain)
        return twdrive::finish(entry.command(args));
    QCoreApplication app(argc, argv);
    return twdrive::finish(entry.command(args));
}
