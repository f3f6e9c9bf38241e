#pragma once
// Every command of the headless driver, its usage line and the module that runs it. The driver
// itself starts without Qt (the peers it is timed against start at once); each module links Qt
// and only the libraries its commands need, so a command loads no more than it uses.
#include <array>
#include <string_view>

namespace twdrive
{

struct CommandEntry {
    std::string_view name;
    std::string_view usage;
    // The module's file beside the driver (twdrive_NAME.so); empty: the driver runs it itself.
    std::string_view module;
};

// dis51/dis48 are timed against d52/d48: the driver runs them itself. asm51/asm48 are timed
// against as31: their module loads QtCore and the assembler only. The serial links (QtSerialPort)
// and the assistants (QtSql) have modules of their own.
inline constexpr std::array kCommands{
    CommandEntry{"asm48", "asm48 FILE.asm", "asm"},
    CommandEntry{"asm51", "asm51 FILE.asm", "asm"},
    CommandEntry{"baud", "baud CRYSTAL MODE BAUD [TIM]", "assist"},
    CommandEntry{"conv", "conv obj2bin|bin2obj|hex2bin|bin2hex|split|merge|compare|restore|port48 ARGS...",
                 "tools"},
    CommandEntry{"dis48", "dis48 [--no] FILE.bin OUT.asm [START END]", ""},
    CommandEntry{"dis51", "dis51 [--no] FILE.bin OUT.asm [START END]", ""},
    CommandEntry{"irq", "irq HIGH ENABLED", "assist"},
    CommandEntry{"isp", "isp FILE.bin [LOCKBITS e.g. 110]", "links"},
    CommandEntry{"send", "send FILE.bin DEVICE [BAUD] [n|o|e] [HEADER]", "links"},
    CommandEntry{"sim51", "sim51 FILE.bin [--steps N] [--until HHHH] [--iram FILE256]", "tools"},
    CommandEntry{"timer", "timer CRYSTAL T0 T1", "assist"},
    CommandEntry{"unicode", "unicode codes|text dec|hex|cont TEXT", "assist"},
};

// The entry point every module exports: argv as the driver got it (argv[1] is the command).
using ModuleMain = int (*)(int argc, char **argv);
inline constexpr const char *kModuleMainSymbol = "twdriveModuleMain";

// The usage line of a command, for its own usage message.
constexpr std::string_view usageOf(std::string_view name)
{
    for (const CommandEntry &entry : kCommands)
        if (entry.name == name)
            return entry.usage;
    return {};
}

} // namespace twdrive
