// The executor keeps its own switch on the opcode for speed; this ties it to the instruction table
// the assembler and the disassembler read: every defined opcode moves the program counter as its
// row's length and flow say.
#include "Cpu51TestSupport.h"

#include "isa/Mcs51.h"

#include <gtest/gtest.h>

#include <set>

using tw::mcs51::kOpcodes;
using tw::mcs51::Operand;
using Flow = tw::isa::Flow;

namespace
{

constexpr std::uint16_t kAt = 0x0400;
constexpr std::uint8_t kRel = 0x10;

// Operand bytes that keep the instruction away from SFRs with side effects (PCON's sleep bits,
// the watchdog): direct 30H, bit 00H, immediates 12H, a forward offset, a far target.
std::uint8_t operandByte(Operand kind, int index)
{
    switch (kind) {
    case Operand::Direct:
        return 0x30;
    case Operand::Bit:
    case Operand::NotBit:
        return 0x00;
    case Operand::Rel:
        return kRel;
    case Operand::Addr11:
        return 0x80;
    case Operand::Addr16:
        return index == 0 ? 0x23 : 0x45;
    default:
        return 0x12;
    }
}

// A machine with the row's instruction at kAt and code memory open to the whole address space.
void placeInstruction(tw::Cpu51 &cpu, const tw::mcs51::OpcodeRow &row)
{
    cpu.codeSize = 0x10000;
    cpu.code[kAt] = row.opcode;
    int at = kAt + 1, index = 0;
    for (const Operand kind : row.operands)
        for (int i = 0; i < tw::mcs51::operandBytes(kind); ++i)
            cpu.code[at++] = operandByte(kind, index++);
    cpu.pc = kAt;
}

struct Step {
    std::uint16_t pc;
    std::uint8_t sp;
    std::uint16_t pushed; // the two bytes above the old stack pointer, as a call leaves them
};

Step runOne(const tw::mcs51::OpcodeRow &row)
{
    twtest::Machine machine({});
    tw::Cpu51 &cpu = *machine.cpu;
    placeInstruction(cpu, row);
    // A return finds 1234H on the stack; JMP @A+DPTR goes to 0320H.
    machine.sp() = 0x41;
    machine.iram(0x40) = 0x34;
    machine.iram(0x41) = 0x12;
    machine.a() = 0x20;
    machine.sfr(tw::Sfr::DPL) = 0x00;
    machine.sfr(tw::Sfr::DPH) = 0x03;
    cpu.step();
    return {cpu.pc, machine.sp(), static_cast<std::uint16_t>(machine.iram(0x42) | machine.iram(0x43) << 8)};
}

} // namespace

TEST(ExecutorTable, EveryDefinedOpcodeMovesThePcAsItsRowSays)
{
    int checked = 0;
    for (const tw::mcs51::OpcodeRow &row : kOpcodes) {
        if (row.mnemonic.empty())
            continue;
        SCOPED_TRACE(std::string(row.mnemonic) + " opcode " + std::to_string(row.opcode));
        const std::uint16_t next = kAt + row.length;
        const Step step = runOne(row);
        switch (row.flow) {
        case Flow::None:
        case Flow::BankSelect:
            EXPECT_EQ(step.pc, next);
            break;
        case Flow::Conditional:
            EXPECT_TRUE(step.pc == next || step.pc == next + kRel) << std::hex << step.pc;
            break;
        case Flow::Jump:
            EXPECT_NE(step.pc, next);
            EXPECT_EQ(step.sp, 0x41);
            break;
        case Flow::Call:
            EXPECT_NE(step.pc, next);
            EXPECT_EQ(step.sp, 0x43);
            EXPECT_EQ(step.pushed, next);
            break;
        case Flow::Return:
            EXPECT_EQ(step.pc, 0x1234);
            EXPECT_EQ(step.sp, 0x3F);
            break;
        case Flow::Indirect:
            EXPECT_EQ(step.pc, 0x0320);
            break;
        }
        ++checked;
    }
    EXPECT_EQ(checked, 255);
}

TEST(ExecutorTable, BothOutcomesOfEveryConditionalBranchAreReached)
{
    // Over a few register states every conditional branch is seen both taken and not taken, so a
    // branch whose executor ignores its condition (or its offset) is caught.
    for (const tw::mcs51::OpcodeRow &row : kOpcodes) {
        if (row.flow != Flow::Conditional)
            continue;
        SCOPED_TRACE(std::string(row.mnemonic) + " opcode " + std::to_string(row.opcode));
        std::set<std::uint16_t> seen;
        for (const std::uint8_t value : {0x00, 0x01, 0x12, 0xFF}) {
            twtest::Machine machine({});
            tw::Cpu51 &cpu = *machine.cpu;
            placeInstruction(cpu, row);
            machine.a() = value;
            machine.psw() = value & 0x80 ? 0x80 : 0x00; // carry
            for (int r = 0; r < 8; ++r)
                machine.iram(r) = value;
            // Direct 30H equals A only when both are 12H, as the immediates are.
            machine.iram(0x30) = value == 0x12 ? value : value ^ 0x01;
            machine.iram(0x20) = value; // bit 00H
            machine.iram(value) = value;
            cpu.step();
            seen.insert(cpu.pc);
        }
        EXPECT_EQ(seen, (std::set<std::uint16_t>{static_cast<std::uint16_t>(kAt + row.length),
                                                 static_cast<std::uint16_t>(kAt + row.length + kRel)}));
    }
}
