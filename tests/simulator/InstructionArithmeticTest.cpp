// Arithmetic instructions: every operand form and register bank gives the same result and flags.
#include "Cpu51TestSupport.h"

#include <gtest/gtest.h>

using twtest::Machine;

namespace
{

struct ArithmeticCase {
    const char *name;
    std::uint8_t immediateOpcode; // 24h ADD, 34h ADDC, 94h SUBB
    std::uint8_t a, operand;
    bool carryIn;
    std::uint8_t result;
    bool cy, ac, ov;
};

const ArithmeticCase kArithmetic[] = {
    {"ADD 7F+01", 0x24, 0x7F, 0x01, false, 0x80, false, true, true},
    {"ADD FF+01", 0x24, 0xFF, 0x01, false, 0x00, true, true, false},
    {"ADD 80+80", 0x24, 0x80, 0x80, false, 0x00, true, false, true},
    {"ADD 7F+00", 0x24, 0x7F, 0x00, false, 0x7F, false, false, false},
    {"ADD 7F+7F", 0x24, 0x7F, 0x7F, false, 0xFE, false, true, true},
    {"ADD ignores CY", 0x24, 0x01, 0x01, true, 0x02, false, false, false},
    {"ADDC 0F+00+1", 0x34, 0x0F, 0x00, true, 0x10, false, true, false},
    {"ADDC 7F+00+1", 0x34, 0x7F, 0x00, true, 0x80, false, true, true},
    {"ADDC 00+FF+1", 0x34, 0x00, 0xFF, true, 0x00, true, true, false},
    {"SUBB 00-00-1", 0x94, 0x00, 0x00, true, 0xFF, true, true, false},
    {"SUBB 80-00-1", 0x94, 0x80, 0x00, true, 0x7F, false, true, true},
    {"SUBB 80-01", 0x94, 0x80, 0x01, false, 0x7F, false, true, true},
    {"SUBB 00-FF-1", 0x94, 0x00, 0xFF, true, 0x00, true, true, false},
    {"SUBB 05-03", 0x94, 0x05, 0x03, false, 0x02, false, false, false},
};

bool oddParity(std::uint8_t v)
{
    return __builtin_parity(v);
}

void expectFlags(Machine &m, const ArithmeticCase &c, const std::string &form)
{
    SCOPED_TRACE(std::string(c.name) + " via " + form + ": " + m.state());
    EXPECT_EQ(m.a(), c.result);
    EXPECT_EQ(m.cy(), c.cy);
    EXPECT_EQ(m.ac(), c.ac);
    EXPECT_EQ(m.ov(), c.ov);
    EXPECT_EQ(m.p(), oddParity(c.result));
}

void prepare(Machine &m, const ArithmeticCase &c, std::uint8_t bankBits)
{
    m.a() = c.a;
    m.psw() = static_cast<std::uint8_t>(bankBits | (c.carryIn ? 0x80 : 0));
}

} // namespace

TEST(InstructionArithmetic, AddAddcSubbAgreeInEveryOperandFormAndBank)
{
    for (const auto &c : kArithmetic) {
        const std::uint8_t column = c.immediateOpcode & 0xF0;
        {
            Machine m({c.immediateOpcode, c.operand});
            prepare(m, c, 0);
            m.step();
            expectFlags(m, c, "#data");
            EXPECT_EQ(m.cpu->pc, 2);
        }
        {
            Machine m({static_cast<std::uint8_t>(column | 0x05), 0x30});
            prepare(m, c, 0);
            m.iram(0x30) = c.operand;
            m.step();
            expectFlags(m, c, "direct");
        }
        for (int bank = 0; bank < 4; ++bank) {
            for (int n = 0; n < 8; ++n) {
                Machine m({static_cast<std::uint8_t>(column | 0x08 | n)});
                prepare(m, c, static_cast<std::uint8_t>(bank << 3));
                m.iram(bank * 8 + n) = c.operand;
                m.step();
                expectFlags(m, c, "R" + std::to_string(n) + " bank " + std::to_string(bank));
                EXPECT_EQ(m.cpu->bank, bank);
            }
            for (int i = 0; i < 2; ++i) {
                Machine m({static_cast<std::uint8_t>(column | 0x06 | i)});
                prepare(m, c, static_cast<std::uint8_t>(bank << 3));
                m.iram(bank * 8 + i) = 0xC0; // upper internal RAM, never an SFR
                m.iram(0xC0) = c.operand;
                m.step();
                expectFlags(m, c, "@R" + std::to_string(i) + " bank " + std::to_string(bank));
            }
        }
    }
}

TEST(InstructionArithmetic, AddOfPswUsesItsValueBeforeTheFlagsChange)
{
    Machine m({0x25, 0xD0}); // ADD A,PSW
    m.a() = 0x01;
    m.psw() = 0x80; // the value added; the sum clears CY
    m.step();
    EXPECT_EQ(m.a(), 0x81) << m.state();
    EXPECT_FALSE(m.cy());
}

TEST(InstructionArithmetic, MultiplyDivideAndDecimalAdjust)
{
    struct Case {
        std::uint8_t opcode, a, b, psw;
        std::uint8_t wantA, wantB;
        bool cy, ov;
    } cases[] = {
        {0xA4, 0x80, 0x02, 0x80, 0x00, 0x01, false, true}, // MUL clears CY, OV when B != 0
        {0xA4, 0x0F, 0x0F, 0x00, 0xE1, 0x00, false, false},
        {0x84, 0xFB, 0x12, 0x80, 0x0D, 0x11, false, false}, // DIV
        {0x84, 0x37, 0x00, 0x80, 0x37, 0x00, false, true},  // DIV by zero keeps A and B
        {0xD4, 0xBD, 0x00, 0x00, 0x23, 0x00, true, false},  // DA after 56h+67h
        {0xD4, 0x9A, 0x00, 0x00, 0x00, 0x00, true, false},
        {0xD4, 0x12, 0x00, 0x80, 0x72, 0x00, true, false},  // CY stays set
        {0xD4, 0x39, 0x00, 0x40, 0x3F, 0x00, false, false}, // AC forces the low adjustment
        {0xD4, 0xFA, 0x00, 0x00, 0x60, 0x00, true, false},  // low carry overflows the high nibble
    };
    for (const auto &c : cases) {
        Machine m({c.opcode});
        m.a() = c.a;
        m.b() = c.b;
        m.psw() = c.psw;
        m.step();
        SCOPED_TRACE(m.state());
        EXPECT_EQ(m.a(), c.wantA);
        EXPECT_EQ(m.b(), c.wantB);
        EXPECT_EQ(m.cy(), c.cy);
        if (c.opcode != 0xD4) {
            EXPECT_EQ(m.ov(), c.ov);
        }
        EXPECT_EQ(m.p(), oddParity(c.wantA));
    }
}

TEST(InstructionArithmetic, IncrementDecrementWrapWithoutFlags)
{
    Machine m({0x04, 0x14, 0x14, 0x08, 0x18, 0x06, 0x05, 0x30, 0x15, 0x31});
    m.a() = 0xFF;
    m.psw() = 0xC4; // CY, AC, OV survive all of these
    m.iram(0) = 0xFF;
    m.iram(0x30) = 0xFF;
    m.iram(0x31) = 0x00;
    m.step(); // INC A
    EXPECT_EQ(m.a(), 0x00);
    EXPECT_FALSE(m.p());
    m.step(2); // DEC A twice
    EXPECT_EQ(m.a(), 0xFE);
    m.step(); // INC R0: FFh -> 00h
    EXPECT_EQ(m.iram(0), 0x00);
    m.step(); // DEC R0: 00h -> FFh
    EXPECT_EQ(m.iram(0), 0xFF);
    m.step(); // INC @R0 reaches upper RAM FFh
    EXPECT_EQ(m.iram(0xFF), 0x01);
    m.step(2); // INC 30h, DEC 31h
    EXPECT_EQ(m.iram(0x30), 0x00);
    EXPECT_EQ(m.iram(0x31), 0xFF);
    EXPECT_EQ(m.psw() & 0xC4, 0xC4) << m.state();
}
