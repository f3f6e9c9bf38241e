// References of the fixed-point routines. 16-bit operands: X in R6R7, Y in R4R5 (high byte
// first); 32-bit operands: X at @R0, Y at @R1, four bytes, high byte first.
#include "SubroutineReferences.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>

namespace twtest
{

namespace
{

using tw::Cpu51;

bool carry(const Cpu51 &cpu)
{
    return cpu.bit(tw::Bit::CY);
}

void setXY16(Cpu51 &cpu, std::uint32_t x, std::uint32_t y)
{
    setPair(cpu, 6, 7, static_cast<std::uint16_t>(x));
    setPair(cpu, 4, 5, static_cast<std::uint16_t>(y));
}

#define EXPECT_ROUTINE(cond, x, y) EXPECT_TRUE(cond) << std::hex << "x=" << (x) << " y=" << (y)

std::int32_t signed16(std::uint32_t value)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
}

// A 16-bit routine over X in R6R7 and Y in R4R5; expect checks the CPU after each call.
void forPairs16(SubroutineRig &rig, const std::function<void(std::uint32_t, std::uint32_t, Cpu51 &)> &expect)
{
    forPairs(rig, edges16(), 0xFFFF, 3000, [&](std::uint32_t x, std::uint32_t y) {
        Cpu51 &cpu = rig.call([&](Cpu51 &c) { setXY16(c, x, y); });
        expect(x, y, cpu);
    });
}

// A 32-bit routine over X at @R0 (written) and Y at @R1.
void forPairs32(SubroutineRig &rig, const std::function<void(std::uint32_t, std::uint32_t, Cpu51 &)> &expect)
{
    forPairs(rig, edges32(), 0xFFFFFFFF, 3000,
             [&](std::uint32_t x, std::uint32_t y) { expect(x, y, callWithOperands(rig, x, y)); });
}

std::uint32_t x32(const Cpu51 &cpu)
{
    return static_cast<std::uint32_t>(getBytes(cpu, kXAddress, 4));
}

std::uint32_t r4to7(const Cpu51 &cpu)
{
    return static_cast<std::uint32_t>(pair(cpu, 4, 5)) << 16 | pair(cpu, 6, 7);
}

std::uint32_t bcd(std::uint32_t value, int digits)
{
    std::uint32_t result = 0;
    for (int k = 0; k < digits; ++k, value /= 10)
        result |= (value % 10) << (4 * k);
    return result;
}

std::uint32_t isqrt(std::uint64_t value)
{
    std::uint64_t root = static_cast<std::uint64_t>(std::sqrt(static_cast<double>(value)));
    while (root * root > value)
        --root;
    while ((root + 1) * (root + 1) <= value)
        ++root;
    return static_cast<std::uint32_t>(root);
}

void checkAdd16(SubroutineRig &rig)
{
    forPairs16(rig, [](std::uint32_t x, std::uint32_t y, Cpu51 &cpu) {
        EXPECT_ROUTINE(pair(cpu, 6, 7) == ((x + y) & 0xFFFF) && carry(cpu) == (x + y > 0xFFFF), x, y);
    });
}

void checkSub16(SubroutineRig &rig)
{
    forPairs16(rig, [](std::uint32_t x, std::uint32_t y, Cpu51 &cpu) {
        EXPECT_ROUTINE(pair(cpu, 6, 7) == ((x - y) & 0xFFFF) && carry(cpu) == (x < y), x, y);
    });
}

void checkNeg16(SubroutineRig &rig)
{
    forPairs16(rig, [](std::uint32_t x, std::uint32_t y, Cpu51 &cpu) {
        EXPECT_ROUTINE(pair(cpu, 6, 7) == ((0x10000 - x) & 0xFFFF) && carry(cpu) == (x != 0), x, y);
    });
}

void checkAbs16(SubroutineRig &rig)
{
    forPairs16(rig, [](std::uint32_t x, std::uint32_t y, Cpu51 &cpu) {
        EXPECT_ROUTINE(pair(cpu, 6, 7) == static_cast<std::uint32_t>(std::abs(signed16(x))), x, y);
    });
}

void checkUmul16(SubroutineRig &rig)
{
    forPairs16(
        rig, [](std::uint32_t x, std::uint32_t y, Cpu51 &cpu) { EXPECT_ROUTINE(r4to7(cpu) == x * y, x, y); });
}

void checkSmul16(SubroutineRig &rig)
{
    forPairs16(rig, [](std::uint32_t x, std::uint32_t y, Cpu51 &cpu) {
        EXPECT_ROUTINE(static_cast<std::int32_t>(r4to7(cpu)) == signed16(x) * signed16(y), x, y);
    });
}

void checkUdiv16(SubroutineRig &rig)
{
    forPairs16(rig, [](std::uint32_t x, std::uint32_t y, Cpu51 &cpu) {
        if (y == 0)
            EXPECT_ROUTINE(carry(cpu) && pair(cpu, 6, 7) == x && pair(cpu, 4, 5) == y, x, y);
        else
            EXPECT_ROUTINE(!carry(cpu) && pair(cpu, 6, 7) == x / y && pair(cpu, 4, 5) == x % y, x, y);
    });
}

void checkSdiv16(SubroutineRig &rig)
{
    forPairs16(rig, [](std::uint32_t x, std::uint32_t y, Cpu51 &cpu) {
        if (y == 0) {
            EXPECT_ROUTINE(carry(cpu) && pair(cpu, 6, 7) == x && pair(cpu, 4, 5) == y, x, y);
            return;
        }
        const std::int32_t quotient = signed16(x) / signed16(y), remainder = signed16(x) % signed16(y);
        EXPECT_ROUTINE(!carry(cpu) && pair(cpu, 6, 7) == (quotient & 0xFFFF) &&
                           pair(cpu, 4, 5) == (remainder & 0xFFFF),
                       x, y);
    });
}

void expectCompare(Cpu51 &cpu, bool equal, bool less, std::uint32_t x, std::uint32_t y)
{
    EXPECT_ROUTINE((cpu.sfr[tw::Sfr::ACC] == 0) == equal && carry(cpu) == less, x, y);
}

void checkUcmp16(SubroutineRig &rig)
{
    forPairs16(rig, [](std::uint32_t x, std::uint32_t y, Cpu51 &cpu) {
        expectCompare(cpu, x == y, x < y, x, y);
        EXPECT_ROUTINE(pair(cpu, 6, 7) == x && pair(cpu, 4, 5) == y, x, y);
    });
}

void checkScmp16(SubroutineRig &rig)
{
    forPairs16(rig, [](std::uint32_t x, std::uint32_t y, Cpu51 &cpu) {
        expectCompare(cpu, x == y, signed16(x) < signed16(y), x, y);
        EXPECT_ROUTINE(pair(cpu, 6, 7) == x && pair(cpu, 4, 5) == y, x, y);
    });
}

void checkBcdToBinary(SubroutineRig &rig)
{
    std::vector<std::uint32_t> values = {0, 1, 9, 10, 99, 100, 999, 1000, 9999, 5050};
    for (int k = 0; k < 3000; ++k)
        values.push_back(rig.random()() % 10000);
    for (std::uint32_t value : values) {
        Cpu51 &cpu = rig.call([&](Cpu51 &c) { setPair(c, 6, 7, static_cast<std::uint16_t>(bcd(value, 4))); });
        EXPECT_ROUTINE(pair(cpu, 6, 7) == value, value, 0);
    }
}

void checkBinaryToBcd(SubroutineRig &rig)
{
    forPairs16(rig, [](std::uint32_t x, std::uint32_t y, Cpu51 &cpu) {
        EXPECT_ROUTINE(reg(cpu, 5) == x / 10000 && pair(cpu, 6, 7) == bcd(x % 10000, 4), x, y);
    });
}

void checkSqrt16(SubroutineRig &rig)
{
    forPairs16(rig, [](std::uint32_t x, std::uint32_t y, Cpu51 &cpu) {
        EXPECT_ROUTINE(cpu.sfr[tw::Sfr::ACC] == isqrt(x) && reg(cpu, 2) == isqrt(x) && pair(cpu, 6, 7) == x,
                       x, y);
    });
}

void checkAdd32(SubroutineRig &rig)
{
    forPairs32(rig, [](std::uint32_t x, std::uint32_t y, Cpu51 &cpu) {
        EXPECT_ROUTINE(x32(cpu) == x + y && carry(cpu) == (std::uint64_t(x) + y > 0xFFFFFFFFu), x, y);
    });
}

void checkSub32(SubroutineRig &rig)
{
    forPairs32(rig, [](std::uint32_t x, std::uint32_t y, Cpu51 &cpu) {
        EXPECT_ROUTINE(x32(cpu) == x - y && carry(cpu) == (x < y), x, y);
    });
}

void checkNeg32(SubroutineRig &rig)
{
    forPairs32(
        rig, [](std::uint32_t x, std::uint32_t y, Cpu51 &cpu) { EXPECT_ROUTINE(x32(cpu) == 0u - x, x, y); });
}

void checkUcmp32(SubroutineRig &rig)
{
    forPairs32(rig, [](std::uint32_t x, std::uint32_t y, Cpu51 &cpu) {
        expectCompare(cpu, x == y, x < y, x, y);
        EXPECT_ROUTINE(x32(cpu) == x, x, y);
    });
}

void checkUdiv32(SubroutineRig &rig)
{
    forPairs32(rig, [](std::uint32_t x, std::uint32_t y, Cpu51 &cpu) {
        if (y == 0)
            EXPECT_ROUTINE(carry(cpu) && x32(cpu) == x, x, y);
        else
            EXPECT_ROUTINE(!carry(cpu) && x32(cpu) == x / y && r4to7(cpu) == x % y, x, y);
    });
}

void checkSqrt32(SubroutineRig &rig)
{
    forPairs32(rig, [](std::uint32_t x, std::uint32_t y, Cpu51 &cpu) {
        EXPECT_ROUTINE(pair(cpu, 6, 7) == isqrt(x) && x32(cpu) == x, x, y);
    });
}

void checkUmul32(SubroutineRig &rig)
{
    forPairs32(rig, [](std::uint32_t x, std::uint32_t y, Cpu51 &cpu) {
        const std::uint64_t product = std::uint64_t(x) * y;
        EXPECT_ROUTINE(x32(cpu) == static_cast<std::uint32_t>(product) && r4to7(cpu) == product >> 32, x, y);
    });
}

std::int64_t signed32(std::uint32_t value)
{
    return static_cast<std::int32_t>(value);
}

void checkScmp32(SubroutineRig &rig)
{
    forPairs32(rig, [](std::uint32_t x, std::uint32_t y, Cpu51 &cpu) {
        expectCompare(cpu, x == y, signed32(x) < signed32(y), x, y);
        EXPECT_ROUTINE(x32(cpu) == x, x, y);
    });
}

void checkSdiv32(SubroutineRig &rig)
{
    forPairs32(rig, [](std::uint32_t x, std::uint32_t y, Cpu51 &cpu) {
        if (y == 0) {
            EXPECT_ROUTINE(carry(cpu) && x32(cpu) == x, x, y);
            return;
        }
        const std::int64_t quotient = signed32(x) / signed32(y), remainder = signed32(x) % signed32(y);
        EXPECT_ROUTINE(!carry(cpu) && x32(cpu) == static_cast<std::uint32_t>(quotient) &&
                           r4to7(cpu) == static_cast<std::uint32_t>(remainder),
                       x, y);
    });
}

} // namespace

const std::vector<std::uint32_t> &edges16()
{
    static const std::vector<std::uint32_t> values = {
        0, 1, 2, 3, 9, 10, 0x7F, 0x80, 0xFF, 0x100, 0x101, 0x7FFE, 0x7FFF, 0x8000, 0x8001, 0xFFFE, 0xFFFF};
    return values;
}

const std::vector<std::uint32_t> &edges32()
{
    static const std::vector<std::uint32_t> values = {
        0,          1,          2,          0xFF,       0x100,      0xFFFF,     0x10000, 0x7FFFFFFF,
        0x80000000, 0x80000001, 0xFFFFFFFE, 0xFFFFFFFF, 0x00FFFFFF, 0x01000000, 10};
    return values;
}

void forPairs(SubroutineRig &rig, const std::vector<std::uint32_t> &edges, std::uint32_t mask, int count,
              const std::function<void(std::uint32_t, std::uint32_t)> &body)
{
    for (std::uint32_t x : edges)
        for (std::uint32_t y : edges)
            body(x & mask, y & mask);
    for (int k = 0; k < count && !::testing::Test::HasFailure(); ++k) {
        // Random values of every width, so short and long operands both come up.
        const auto value = [&] {
            const int bits = 1 + static_cast<int>(rig.random()() % 32);
            return static_cast<std::uint32_t>(rig.random()()) &
                   (bits == 32 ? 0xFFFFFFFFu : (1u << bits) - 1) & mask;
        };
        body(value(), value());
    }
}

tw::Cpu51 &callWithOperands(SubroutineRig &rig, std::uint32_t x, std::uint32_t y)
{
    tw::Cpu51 &cpu = rig.call(
        [&](tw::Cpu51 &c) {
            putBytes(c, kXAddress, x, 4);
            putBytes(c, kYAddress, y, 4);
        },
        kXAddress, 4);
    EXPECT_EQ(getBytes(cpu, kYAddress, 4), y) << "Y changed";
    return cpu;
}

RoutineChecks fixedPointChecks()
{
    return {
        {QStringLiteral("01-uadd16.asm"), checkAdd16},
        {QStringLiteral("02-usub16.asm"), checkSub16},
        {QStringLiteral("03-neg16.asm"), checkNeg16},
        {QStringLiteral("04-abs16.asm"), checkAbs16},
        {QStringLiteral("05-umul16.asm"), checkUmul16},
        {QStringLiteral("06-smul16.asm"), checkSmul16},
        {QStringLiteral("07-udiv16.asm"), checkUdiv16},
        {QStringLiteral("08-sdiv16.asm"), checkSdiv16},
        {QStringLiteral("09-ucmp16.asm"), checkUcmp16},
        {QStringLiteral("10-scmp16.asm"), checkScmp16},
        {QStringLiteral("11-bcd2bin16.asm"), checkBcdToBinary},
        {QStringLiteral("12-bin2bcd16.asm"), checkBinaryToBcd},
        {QStringLiteral("13-sqrt16.asm"), checkSqrt16},
        {QStringLiteral("14-add32.asm"), checkAdd32},
        {QStringLiteral("15-sub32.asm"), checkSub32},
        {QStringLiteral("16-neg32.asm"), checkNeg32},
        {QStringLiteral("17-ucmp32.asm"), checkUcmp32},
        {QStringLiteral("18-udiv32.asm"), checkUdiv32},
        {QStringLiteral("19-sqrt32.asm"), checkSqrt32},
        {QStringLiteral("20-umul32.asm"), checkUmul32},
        {QStringLiteral("21-scmp32.asm"), checkScmp32},
        {QStringLiteral("22-sdiv32.asm"), checkSdiv32},
    };
}

} // namespace twtest
