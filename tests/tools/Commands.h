#pragma once
// Command registry of a driver module: each subsystem adds its commands in its own file through a
// static TW_DRIVER_COMMAND registration. Names and usage lines are in CommandTable.h.
#include <QStringList>
#include <functional>

namespace twdrive
{

// Returns the process exit code. args excludes the command name.
using Command = std::function<int(const QStringList &args)>;

// Most commands run inside a QCoreApplication. Those that only read and write files can go
// without: making one costs about as much as a small disassembly, and the peers they are timed
// against start at once.
enum class Startup { WithApplication, Plain };

struct Registration {
    Registration(const char *name, Command command, Startup startup = Startup::WithApplication);
};

// Prints the command's usage line (CommandTable.h) to stderr; returns 2, the usage exit code.
int usageError(const char *command);

} // namespace twdrive

#define TW_DRIVER_CONCAT2(a, b) a##b
#define TW_DRIVER_CONCAT(a, b) TW_DRIVER_CONCAT2(a, b)
#define TW_DRIVER_COMMAND(name, fn)                                                                          \
    static const ::twdrive::Registration TW_DRIVER_CONCAT(twdriveRegistration, __LINE__)(name, fn)
#define TW_DRIVER_PLAIN_COMMAND(name, fn)                                                                    \
    static const ::twdrive::Registration TW_DRIVER_CONCAT(twdriveRegistration,                               \
                                                          __LINE__)(name, fn, ::twdrive::Startup::Plain)
