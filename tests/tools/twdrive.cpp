// Headless driver for end-to-end tests: calls the same functions the windows call.
#include "Commands.h"

#include <QCoreApplication>
#include <QTextStream>

#include <map>
#include <string>

namespace twdrive
{
namespace
{
struct Entry {
    std::string usage;
    Command command;
    Startup startup;
};
std::map<std::string, Entry> &registry()
{
    static std::map<std::string, Entry> commands;
    return commands;
}
} // namespace

Registration::Registration(const char *name, const char *usage, Command command, Startup startup)
{
    registerCommand(name, usage, std::move(command), startup);
}

void registerCommand(const char *name, const char *usage, Command command, Startup startup)
{
    registry()[name] = Entry{usage, std::move(command), startup};
}

} // namespace twdrive

int main(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    auto &commands = twdrive::registry();
    if (args.isEmpty() || !commands.count(args.first().toStdString())) {
        QTextStream err(stderr);
        err << "usage: twdrive COMMAND ARGS...\n";
        for (const auto &[name, entry] : commands)
            err << "  " << QString::fromStdString(entry.usage) << "\n";
        return 2;
    }
    const auto &entry = commands.at(args.takeFirst().toStdString());
    if (entry.startup == twdrive::Startup::Plain)
        return entry.command(args);
    QCoreApplication app(argc, argv);
    return entry.command(args);
}
