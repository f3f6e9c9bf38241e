#include "disassembler/mcs51/Names51.h"

#include "disassembler/common/DisasmText.h"

#include <array>

namespace tw
{
namespace
{

struct Name {
    std::uint8_t address;
    const char *name;
};

constexpr std::array<Name, 21> kRegisters{{
    {0x80, "P0"},   {0x81, "SP"},   {0x82, "DPL"}, {0x83, "DPH"}, {0x87, "PCON"}, {0x88, "TCON"},
    {0x89, "TMOD"}, {0x8A, "TL0"},  {0x8B, "TL1"}, {0x8C, "TH0"}, {0x8D, "TH1"},  {0x90, "P1"},
    {0x98, "SCON"}, {0x99, "SBUF"}, {0xA0, "P2"},  {0xA8, "IE"},  {0xB0, "P3"},   {0xB8, "IP"},
    {0xD0, "PSW"},  {0xE0, "Acc"},  {0xF0, "B"},
}};

// Bits of the bit-addressable registers, eight per register from bit address 80H; an empty name
// is a bit without one.
constexpr std::array<std::array<const char *, 8>, 16> kBits{{
    {"P0.0", "P0.1", "P0.2", "P0.3", "P0.4", "P0.5", "P0.6", "P0.7"},
    {"IT0", "IE0", "IT1", "IE1", "TR0", "TF0", "TR1", "TF1"},
    {"P1.0", "P1.1", "P1.2", "P1.3", "P1.4", "P1.5", "P1.6", "P1.7"},
    {"RI", "TI", "RB8", "TB8", "REN", "SM2", "SM1", "SM0"},
    {"P2.0", "P2.1", "P2.2", "P2.3", "P2.4", "P2.5", "P2.6", "P2.7"},
    {"EX0", "ET0", "EX1", "ET1", "ES", "", "", "EA"},
    {"P3.0", "P3.1", "P3.2", "P3.3", "P3.4", "P3.5", "P3.6", "P3.7"},
    {"PX0", "PT0", "PX1", "PT1", "PS", "", "", ""},
    {"", "", "", "", "", "", "", ""},
    {"", "", "", "", "", "", "", ""},
    {"P", "", "OV", "RS0", "RS1", "F0", "AC", "CY"},
    {"", "", "", "", "", "", "", ""},
    {"ACC.0", "ACC.1", "ACC.2", "ACC.3", "ACC.4", "ACC.5", "ACC.6", "ACC.7"},
    {"", "", "", "", "", "", "", ""},
    {"B.0", "B.1", "B.2", "B.3", "B.4", "B.5", "B.6", "B.7"},
    {"", "", "", "", "", "", "", ""},
}};

} // namespace

void appendRegisterName51(std::string &out, std::uint8_t address)
{
    for (const Name &entry : kRegisters)
        if (entry.address == address) {
            out += entry.name;
            return;
        }
    appendHexByte(out, address);
    out += 'H';
}

void appendBitName51(std::string &out, std::uint8_t address)
{
    if (address >= 0x80) {
        const char *name = kBits[(address - 0x80) >> 3][address & 7];
        if (*name) {
            out += name;
            return;
        }
    }
    appendDhex(out, address);
    out += 'H';
}

std::string registerName51(std::uint8_t address)
{
    std::string name;
    appendRegisterName51(name, address);
    return name;
}

std::string bitName51(std::uint8_t address)
{
    std::string name;
    appendBitName51(name, address);
    return name;
}

} // namespace tw
