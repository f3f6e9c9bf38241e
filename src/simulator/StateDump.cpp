#include "simulator/StateDump.h"

#include "common/Hex.h"

#include <cstdio>

namespace tw
{
namespace
{

void appendHex(std::string &out, unsigned value, int digits)
{
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out += hexDigit(value >> shift);
}

// "<label> <address>: <16 bytes>" with the address in addressDigits hex digits.
void appendRow(std::string &out, const char *label, unsigned address, int addressDigits,
               const std::uint8_t *bytes)
{
    out += label;
    out += ' ';
    appendHex(out, address, addressDigits);
    out += ':';
    for (int k = 0; k < 16; ++k) {
        out += ' ';
        appendHex(out, bytes[k], 2);
    }
    out += '\n';
}

} // namespace

std::string stateDump(const Cpu51 &cpu, std::uint64_t steps)
{
    std::string out = "STEPS " + std::to_string(steps) + "\nPC ";
    appendHex(out, cpu.pc, 4);
    out += '\n';
    for (unsigned row = 0; row < 256; row += 16)
        appendRow(out, "IRAM", row, 2, &cpu.iram[row]);
    for (unsigned row = 0x80; row < 256; row += 16)
        appendRow(out, "SFR", row, 2, &cpu.sfr[row]);
    for (unsigned row = 0; row < 65536; row += 16) {
        const std::uint8_t *bytes = &cpu.xram[row];
        bool nonZero = false;
        for (int k = 0; k < 16 && !nonZero; ++k)
            nonZero = bytes[k] != 0;
        if (nonZero)
            appendRow(out, "XRAM", row, 4, bytes);
    }
    return out;
}

std::string registerSummary(const Cpu51 &cpu)
{
    const auto &s = cpu.sfr;
    char line[160];
    const int bank = (s[Sfr::PSW] >> 3) & 3;
    const auto &r = cpu.iram;
    std::snprintf(line, sizeof line,
                  "PC=%04X A=%02X B=%02X PSW=%02X SP=%02X DPTR=%02X%02X DPTR1=%02X%02X "
                  "R0-R7=%02X %02X %02X %02X %02X %02X %02X %02X",
                  cpu.pc, s[Sfr::ACC], s[Sfr::B], s[Sfr::PSW], s[Sfr::SP], s[Sfr::DPH], s[Sfr::DPL],
                  s[Sfr::DP1H], s[Sfr::DP1L], r[bank * 8], r[bank * 8 + 1], r[bank * 8 + 2], r[bank * 8 + 3],
                  r[bank * 8 + 4], r[bank * 8 + 5], r[bank * 8 + 6], r[bank * 8 + 7]);
    return line;
}

} // namespace tw
