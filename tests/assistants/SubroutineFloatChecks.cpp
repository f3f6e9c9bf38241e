// References of the floating-point routines: IEEE single precision, four bytes in IRAM with the
// sign and exponent byte first; X at @R0 (the result), Y at @R1. Results are truncated toward
// zero; numbers too small for a normal single read and come out as zero (+0); a result too large
// becomes the largest finite single of its sign.
#include "SubroutineReferences.h"

#include <bit>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <string>

namespace twtest
{

namespace
{

using tw::Cpu51;

float asFloat(std::uint32_t bits)
{
    return std::bit_cast<float>(bits);
}

std::uint32_t bitsOf(float value)
{
    return std::bit_cast<std::uint32_t>(value);
}

// The library's view of a value: denormals and -0 are +0.
std::uint32_t canonical(std::uint32_t bits)
{
    return (bits & 0x7F800000) == 0 ? 0 : bits;
}

bool isNormalOrZero(std::uint32_t bits)
{
    return (bits & 0x7F800000) != 0x7F800000;
}

// Results as the library gives them, from the hardware's results under truncation.
std::uint32_t libraryResult(float value)
{
    return std::fabs(value) < std::numeric_limits<float>::min() ? 0 : bitsOf(value);
}

template <typename Operation> std::uint32_t truncated(Operation operation)
{
    const int mode = std::fegetround();
    std::fesetround(FE_TOWARDZERO);
    volatile float result = operation();
    std::fesetround(mode);
    return libraryResult(result);
}

// Float operands: edges, random bit patterns, values near one another (cancellation, equal and
// close exponents) and moderate magnitudes.
std::uint32_t randomFloat(std::mt19937 &random)
{
    const std::uint32_t bits = static_cast<std::uint32_t>(random());
    switch (random() % 4) {
    case 0:
        return bits;
    case 1: // exponent near that of 1.0
        return (bits & 0x807FFFFF) | ((120 + random() % 16) << 23);
    case 2: // small mantissas: exact results, ties of the old rounding
        return (bits & 0xFF800000) | (random() % 8 << (random() % 21));
    default: // exponent anywhere but small denormals are rare anyway
        return (bits & 0x807FFFFF) | ((1 + random() % 254) << 23);
    }
}

const std::vector<std::uint32_t> &floatEdges()
{
    static const std::vector<std::uint32_t> values = {
        0x00000000, 0x80000000, 0x3F800000, 0xBF800000, 0x40000000, 0x3F000000, 0x7F7FFFFF, 0xFF7FFFFF,
        0x00800000, 0x80800000, 0x00000001, 0x007FFFFF, 0x3F800001, 0x3F7FFFFF, 0x4B800000, 0x4B7FFFFF,
        0x40400000, 0x3EAAAAAB, 0x501502F9, 0x2EDBE6FF, 0x46FFFE00, 0x47000000, 0xC7000000, 0xC7000080,
        0x00FFFFFF, 0x01000000, 0x7F000000, 0x20000000, 0x5F800000};
    return values;
}

// A binary routine: X at @R0 (the result), Y at @R1 (kept).
void forFloatPairs(SubroutineRig &rig,
                   const std::function<void(std::uint32_t, std::uint32_t, Cpu51 &)> &expect)
{
    const auto run = [&](std::uint32_t x, std::uint32_t y) {
        if (!isNormalOrZero(x) || !isNormalOrZero(y))
            return;
        expect(x, y, callWithOperands(rig, x, y));
    };
    for (std::uint32_t x : floatEdges())
        for (std::uint32_t y : floatEdges())
            run(x, y);
    std::mt19937 &random = rig.random();
    for (int k = 0; k < 6000 && !::testing::Test::HasFailure(); ++k) {
        const std::uint32_t x = randomFloat(random);
        std::uint32_t y = randomFloat(random);
        if (k % 3 == 0) // a neighbour of x: same or close exponent, either sign
            y = (x + (random() % 512) - 256) ^ (random() % 2 ? 0x80000000 : 0) ^
                (random() % 3 == 0 ? 0x00800000 : 0);
        run(x, y);
    }
}

std::uint32_t resultX(const Cpu51 &cpu)
{
    return static_cast<std::uint32_t>(getBytes(cpu, kXAddress, 4));
}

float value(std::uint32_t bits)
{
    return asFloat(canonical(bits));
}

#define EXPECT_FLOAT_RESULT(actual, expected, x, y)                                                          \
    EXPECT_EQ(actual, expected) << std::hex << "x=" << (x) << " y=" << (y) << std::dec << " (" << value(x)   \
                                << ", " << value(y) << ")"

void checkAdd(SubroutineRig &rig)
{
    forFloatPairs(rig, [](std::uint32_t x, std::uint32_t y, Cpu51 &cpu) {
        EXPECT_FLOAT_RESULT(resultX(cpu), truncated([&] { return value(x) + value(y); }), x, y);
    });
}

void checkSub(SubroutineRig &rig)
{
    forFloatPairs(rig, [](std::uint32_t x, std::uint32_t y, Cpu51 &cpu) {
        EXPECT_FLOAT_RESULT(resultX(cpu), truncated([&] { return value(x) - value(y); }), x, y);
    });
}

void checkMul(SubroutineRig &rig)
{
    forFloatPairs(rig, [](std::uint32_t x, std::uint32_t y, Cpu51 &cpu) {
        EXPECT_FLOAT_RESULT(resultX(cpu), truncated([&] { return value(x) * value(y); }), x, y);
    });
}

void checkDiv(SubroutineRig &rig)
{
    forFloatPairs(rig, [](std::uint32_t x, std::uint32_t y, Cpu51 &cpu) {
        if (canonical(y) == 0) {
            EXPECT_TRUE(cpu.bit(tw::Bit::CY));
            EXPECT_EQ(resultX(cpu), x) << "X changed by a division by zero";
            return;
        }
        EXPECT_FALSE(cpu.bit(tw::Bit::CY));
        EXPECT_FLOAT_RESULT(resultX(cpu), truncated([&] { return value(x) / value(y); }), x, y);
    });
}

void checkCompare(SubroutineRig &rig)
{
    forFloatPairs(rig, [](std::uint32_t x, std::uint32_t y, Cpu51 &cpu) {
        const bool equal = value(x) == value(y), less = value(x) < value(y);
        EXPECT_TRUE((cpu.sfr[tw::Sfr::ACC] == 0) == equal && cpu.bit(tw::Bit::CY) == less)
            << std::hex << "x=" << x << " y=" << y;
        EXPECT_EQ(resultX(cpu), x);
    });
}

void checkUnary(SubroutineRig &rig, std::uint32_t (*expected)(std::uint32_t))
{
    const auto run = [&](std::uint32_t x) {
        if (!isNormalOrZero(x))
            return;
        Cpu51 &cpu = rig.call([&](Cpu51 &c) { putBytes(c, kXAddress, x, 4); }, kXAddress, 4);
        EXPECT_EQ(resultX(cpu), expected(x)) << std::hex << x;
    };
    for (std::uint32_t x : floatEdges())
        run(x);
    for (int k = 0; k < 3000; ++k)
        run(randomFloat(rig.random()));
}

void checkNeg(SubroutineRig &rig)
{
    checkUnary(rig, [](std::uint32_t x) { return canonical(x) == 0 ? 0 : x ^ 0x80000000; });
}

void checkAbs(SubroutineRig &rig)
{
    checkUnary(rig, [](std::uint32_t x) { return canonical(x) & 0x7FFFFFFF; });
}

void checkFromInt16(SubroutineRig &rig)
{
    std::vector<std::uint32_t> values;
    for (std::uint32_t v : edges16())
        values.push_back(v);
    for (int k = 0; k < 3000; ++k)
        values.push_back(rig.random()() & 0xFFFF);
    for (std::uint32_t v : values) {
        Cpu51 &cpu =
            rig.call([&](Cpu51 &c) { setPair(c, 6, 7, static_cast<std::uint16_t>(v)); }, kXAddress, 4);
        const float expected = static_cast<float>(static_cast<std::int16_t>(v));
        EXPECT_EQ(resultX(cpu), bitsOf(expected)) << std::hex << v;
        EXPECT_EQ(pair(cpu, 6, 7), v);
    }
}

// A float-to-integer routine on edges, the given values and random floats: the integer part
// (truncated) in bits bits, saturated with CY set when out of range; X stays.
void checkToInteger(SubroutineRig &rig, int bits, std::initializer_list<float> extras,
                    std::uint32_t (*result)(const Cpu51 &))
{
    std::vector<std::uint32_t> values = floatEdges();
    for (float f : extras)
        values.push_back(bitsOf(f));
    for (int k = 0; k < 3000; ++k)
        values.push_back(randomFloat(rig.random()));
    const double largest = std::ldexp(1.0, bits - 1) - 1, smallest = -std::ldexp(1.0, bits - 1);
    const std::uint64_t mask = (std::uint64_t(1) << bits) - 1;
    for (std::uint32_t x : values) {
        if (!isNormalOrZero(x))
            continue;
        Cpu51 &cpu = rig.call([&](Cpu51 &c) { putBytes(c, kXAddress, x, 4); });
        const double whole = std::trunc(static_cast<double>(value(x)));
        const bool over = whole > largest || whole < smallest;
        const auto expected = static_cast<std::int64_t>(over ? (whole > 0 ? largest : smallest) : whole);
        EXPECT_EQ(result(cpu), static_cast<std::uint32_t>(expected & mask)) << std::hex << x;
        EXPECT_EQ(cpu.bit(tw::Bit::CY), over) << std::hex << x;
        EXPECT_EQ(resultX(cpu), x);
    }
}

void checkToInt16(SubroutineRig &rig)
{
    checkToInteger(
        rig, 16,
        {32767.9f, 32768.0f, -32768.0f, -32768.5f, -32769.0f, 0.999f, -0.999f, 1.0f, -1.5f, 12345.6f},
        [](const Cpu51 &cpu) -> std::uint32_t { return pair(cpu, 6, 7); });
}

// Truncation toward zero of an unsigned 32-bit integer to 24 significant bits.
std::uint32_t truncatedFloatOf(std::uint32_t v)
{
    if (v == 0)
        return 0;
    const int top = 31 - std::countl_zero(v);
    const std::uint32_t kept = top > 23 ? v >> (top - 23) << (top - 23) : v;
    return bitsOf(static_cast<float>(kept));
}

void checkFromUint32(SubroutineRig &rig)
{
    std::vector<std::uint32_t> values = edges32();
    for (int k = 0; k < 3000; ++k)
        values.push_back(static_cast<std::uint32_t>(rig.random()()) >> (rig.random()() % 32));
    for (std::uint32_t v : values) {
        Cpu51 &cpu = rig.call([&](Cpu51 &c) { putBytes(c, kXAddress, v, 4); }, kXAddress, 4);
        EXPECT_EQ(resultX(cpu), truncatedFloatOf(v)) << std::hex << v;
    }
}

void checkFromInt32(SubroutineRig &rig)
{
    std::vector<std::uint32_t> values = edges32();
    for (int k = 0; k < 3000; ++k)
        values.push_back(static_cast<std::uint32_t>(rig.random()()) >> (rig.random()() % 32) ^
                         (k % 2 ? 0xFFFFFFFFu : 0));
    for (std::uint32_t v : values) {
        Cpu51 &cpu = rig.call([&](Cpu51 &c) { putBytes(c, kXAddress, v, 4); }, kXAddress, 4);
        const bool negative = v & 0x80000000u;
        const std::uint32_t magnitude = negative ? 0u - v : v;
        const std::uint32_t expected = truncatedFloatOf(magnitude) | (negative ? 0x80000000u : 0);
        EXPECT_EQ(resultX(cpu), expected) << std::hex << v;
    }
}

void checkToInt32(SubroutineRig &rig)
{
    checkToInteger(
        rig, 32,
        {2147483520.0f, 2147483648.0f, -2147483648.0f, -2147483904.0f, 0.5f, -0.5f, -1.0f, 8388608.5f},
        [](const Cpu51 &cpu) { return static_cast<std::uint32_t>(pair(cpu, 4, 5)) << 16 | pair(cpu, 6, 7); });
}

// The decimal text of a float, from its exact value: [-]integer.dddd, truncated.
std::string decimalText(std::uint32_t x)
{
    const int exponent = static_cast<int>(x >> 23 & 0xFF);
    const std::uint64_t mantissa = (x & 0x7FFFFF) | 0x800000;
    // value = mantissa * 2^(exponent - 150) = fixed / 2^40
    const std::uint64_t fixed = exponent >= 110 ? mantissa << (exponent - 110) : 0;
    const std::uint64_t fraction = ((fixed & ((std::uint64_t(1) << 40) - 1)) * 10000) >> 40;
    char text[32];
    std::snprintf(text, sizeof text, "%s%llu.%04llu", (x & 0x80000000) && exponent != 0 ? "-" : "",
                  static_cast<unsigned long long>(fixed >> 40), static_cast<unsigned long long>(fraction));
    return text;
}

void checkToText(SubroutineRig &rig)
{
    std::vector<std::uint32_t> values = floatEdges();
    for (float f : {3.14159265f, -3.14159265f, 65535.99f, 65536.0f, -65535.0f, 0.0001f, 0.00009999f, 1e-5f,
                    -0.5f, 100.0f, 10000.0f, 9999.9999f, 1.0e-4f, 12345.678f, 7.62939453125e-6f})
        values.push_back(bitsOf(f));
    for (int k = 0; k < 3000; ++k) {
        const std::uint32_t bits = static_cast<std::uint32_t>(rig.random()());
        // Mostly values that print: exponents from 2^-20 to 2^16.
        values.push_back(k % 4 ? (bits & 0x807FFFFF) | ((107 + rig.random()() % 37) << 23) : bits);
    }
    for (std::uint32_t x : values) {
        if (!isNormalOrZero(x))
            continue;
        Cpu51 &cpu = rig.call(
            [&](Cpu51 &c) {
                putBytes(c, kXAddress, x, 4);
                for (int k = 0; k < 12; ++k)
                    c.iram[kYAddress + k] = 0xAA;
            },
            kYAddress, 12);
        const bool over = std::fabs(value(x)) >= 65536.0f;
        EXPECT_EQ(cpu.bit(tw::Bit::CY), over) << std::hex << x;
        if (over) {
            EXPECT_EQ(getBytes(cpu, kYAddress, 4), 0xAAAAAAAAu) << "buffer written";
            continue;
        }
        const std::string text(reinterpret_cast<const char *>(&cpu.iram[kYAddress]));
        EXPECT_EQ(text, decimalText(x)) << std::hex << x << std::dec << " " << value(x);
        EXPECT_EQ(resultX(cpu), x);
    }
}

// What the library makes of a decimal text: std::nullopt when it holds no number or more than
// seven digits; else the float of its exact value truncated toward zero.
std::optional<std::uint32_t> floatOfText(const std::string &text)
{
    std::size_t at = 0;
    const bool negative = at < text.size() && text[at] == '-';
    at += negative;
    std::uint64_t number = 0;
    int digits = 0, decimals = 0;
    bool point = false;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9')
            break;
        if (++digits > 7)
            return std::nullopt;
        decimals += point;
        number = number * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (digits == 0)
        return std::nullopt;
    if (number == 0)
        return 0u;
    unsigned __int128 divisor = 1;
    for (int k = 0; k < decimals; ++k)
        divisor *= 10;
    int shift = 0;
    while ((static_cast<unsigned __int128>(number) << shift) / divisor < (1u << 23))
        ++shift;
    const auto mantissa =
        static_cast<std::uint32_t>((static_cast<unsigned __int128>(number) << shift) / divisor);
    return (negative ? 0x80000000u : 0u) | static_cast<std::uint32_t>(150 - shift) << 23 |
           (mantissa & 0x7FFFFF);
}

void checkFromText(SubroutineRig &rig)
{
    std::vector<std::string> texts = {"0",       "-0",       "0.0",       "1",       "-1",       "3.141593",
                                      "9999999", "0.000001", "0.0000001", "1234567", "12345678", "",
                                      "-",       ".",        "-.",        ".5",      "5.",       "1.2.3",
                                      "12x",     "x12",      "+1",        "0000001", "00000001", "65536",
                                      "0.1",     "-0.1",     "8388607",   "1e5"};
    std::mt19937 &random = rig.random();
    for (int k = 0; k < 3000; ++k) {
        std::string text = random() % 3 == 0 ? "-" : "";
        const int digits = 1 + static_cast<int>(random() % 7);
        const int point = static_cast<int>(random() % (digits + 2)) - 1; // -1: no point
        for (int d = 0; d < digits; ++d) {
            if (d == point)
                text += '.';
            text += static_cast<char>('0' + random() % 10);
        }
        if (point == digits)
            text += '.';
        texts.push_back(text);
    }
    for (const std::string &text : texts) {
        Cpu51 &cpu = rig.call(
            [&](Cpu51 &c) {
                putBytes(c, kXAddress, 0x5A5A5A5A, 4);
                for (std::size_t k = 0; k <= text.size(); ++k)
                    c.iram[kYAddress + k] = k < text.size() ? static_cast<std::uint8_t>(text[k]) : 0;
            },
            kXAddress, 4);
        const auto expected = floatOfText(text);
        EXPECT_EQ(cpu.bit(tw::Bit::CY), !expected) << '"' << text << '"';
        EXPECT_EQ(resultX(cpu), expected.value_or(0x5A5A5A5A)) << '"' << text << '"';
    }
}

} // namespace

RoutineChecks floatingPointChecks()
{
    return {
        {QStringLiteral("01-fneg.asm"), checkNeg},        {QStringLiteral("02-fabs.asm"), checkAbs},
        {QStringLiteral("03-fadd.asm"), checkAdd},        {QStringLiteral("04-fsub.asm"), checkSub},
        {QStringLiteral("05-fmul.asm"), checkMul},        {QStringLiteral("06-fdiv.asm"), checkDiv},
        {QStringLiteral("07-fcmp.asm"), checkCompare},    {QStringLiteral("08-flt16.asm"), checkFromInt16},
        {QStringLiteral("09-fix16.asm"), checkToInt16},   {QStringLiteral("10-fltu32.asm"), checkFromUint32},
        {QStringLiteral("11-flt32.asm"), checkFromInt32}, {QStringLiteral("12-fix32.asm"), checkToInt32},
        {QStringLiteral("13-ftoa.asm"), checkToText},     {QStringLiteral("14-atof.asm"), checkFromText},
    };
}

} // namespace twtest

// The references themselves: truncation, not the usual rounding to nearest.
TEST(SubroutineFloatReference, TruncatesTowardZeroAndFlushesTinyResults)
{
    using namespace twtest;
    const float third = 1.0f, three = 3.0f, big = std::numeric_limits<float>::max(), tiny = 1e-30f;
    EXPECT_EQ(truncated([&] { return third / three; }), 0x3EAAAAAAu);
    EXPECT_EQ(truncated([&] { return -2 * third / three; }), 0xBF2AAAAAu);
    EXPECT_EQ(truncated([&] { return big * three; }), 0x7F7FFFFFu);
    EXPECT_EQ(truncated([&] { return tiny * tiny; }), 0u);
    EXPECT_EQ(truncated([&] { return three - three; }), 0u);
    EXPECT_EQ(floatOfText("0.1"), 0x3DCCCCCCu);
    EXPECT_EQ(decimalText(0xC0490FDB), "-3.1415");
}
