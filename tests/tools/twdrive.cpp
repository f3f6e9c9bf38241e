// Headless driver for end-to-end tests: calls the same functions the windows call.
#include "Commands.h"

#include <QCoreApplication>
#include <QTextStream>

#include <map>
#include <string>

namespace twdrive {
namespace {
struct Entry {
    std::string usage;
    Command command;
};
std::map<std::string, Entry> &registry()
{
    static std::map<std::string, Entry> commands;
    return commands;
}
} // namespace

Registration::Registration(const char *name, const char *usage, Command command)
{
    registerCommand(name, usage, std::move(command));
}

void registerCommand(const char *name, const char *usage, Command command)
{
    registry()[name] = Entry{usage, std::move(command)};
}

} // namespace twdrive

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QTextStream err(stderr);
    auto &commands = twdrive::registry();
    if (args.isEmpty() || !commands.count(args.first().toStdString())) {
        err << "usage: twdrive COMMAND ARGS...\n";
        for (const auto &[name, entry] : commands)
            err << "  " << QString::fromStdString(entry.usage) << "\n";
        return 2;
    }
    const auto &entry = commands.at(args.takeFirst().toStdString());
    return entry.command(args);
}
