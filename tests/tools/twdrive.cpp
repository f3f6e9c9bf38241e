// Headless driver for end-to-end tests: calls the same functions the windows call. This front
// links no Qt: it runs the disassemblers itself and hands every other command to the module that
// holds it (CommandTable.h), loaded from beside the executable.
#include "CommandTable.h"
#include "DriveDisassembly.h"
#include "NameRuleSeam.h"

#include <algorithm>
#include <cstdio>
#include <dlfcn.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

// The commands with an empty module in CommandTable.h.
struct FrontCommand {
    std::string_view name;
    int (*run)(int argc, char **argv); // argv: the arguments after the command name
};
constexpr FrontCommand kFrontCommands[] = {{"dis48", twdrive::dis48}, {"dis51", twdrive::dis51}};

int runInFront(std::string_view name, int argc, char **argv)
{
    for (const FrontCommand &command : kFrontCommands)
        if (command.name == name)
            return command.run(argc - 2, argv + 2);
    std::fprintf(stderr, "twdrive: command %s has no module and is not in the front\n",
                 std::string(name).c_str());
    return 2;
}

int usage()
{
    std::vector<std::string_view> lines;
    for (const twdrive::CommandEntry &entry : twdrive::kCommands)
        lines.push_back(entry.usage);
    std::sort(lines.begin(), lines.end());
    std::string text = "usage: twdrive COMMAND ARGS...\n";
    for (const std::string_view line : lines)
        text.append("  ").append(line).append("\n");
    std::fputs(text.c_str(), stderr);
    return 2;
}

// The folder of the running executable, with its final slash.
std::string executableFolder()
{
    std::string path(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= path.size())
        return std::string();
    path.resize(static_cast<std::size_t>(length));
    return path.substr(0, path.rfind('/') + 1);
}

int runModule(const twdrive::CommandEntry &entry, int argc, char **argv)
{
    const std::string path = executableFolder() + "twdrive_" + std::string(entry.module) + ".so";
    // Functions are bound as they are first called: binding all of QtCore's and ICU's at once costs
    // more than a small command's whole run. The modules are linked with no undefined symbol left.
    void *module = ::dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
    const auto run =
        module ? reinterpret_cast<twdrive::ModuleMain>(::dlsym(module, twdrive::kModuleMainSymbol)) : nullptr;
    if (!run) {
        const char *reason = ::dlerror();
        std::fprintf(stderr, "twdrive: cannot load the module of command %s: %s (%s)\n",
                     std::string(entry.name).c_str(), path.c_str(), reason ? reason : "no entry point");
        return 2;
    }
    // The module stays loaded: its static objects are destroyed at exit, after its last use.
    return run(argc, argv);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return usage();
    const std::string_view name = argv[1];
    const auto entry = std::find_if(twdrive::kCommands.begin(), twdrive::kCommands.end(),
                                    [&](const twdrive::CommandEntry &e) { return e.name == name; });
    if (entry == twdrive::kCommands.end())
        return usage();
    twdrive::takeNameRuleFromEnvironment();
    if (entry->module.empty())
        return runInFront(name, argc, argv);
    return runModule(*entry, argc, argv);
}
