// How many machine cycles each library routine can take, derived from its code, against the
// figure its header states ("最多N" must be the longest path, a figure without it the one length
// every path has). The search of RoutinePaths follows every path over a partly known state; where
// that alone would count paths no input takes, the derivation splits the inputs into classes, or
// states a limit on a loop whose exit hangs on unknown data, each with its reason. Every longest
// path is then run: an input that takes it must reach the figure in our core and in s51.
// Cycles count as the rig counts them, from the routine's first instruction through its RET; the
// routines are searched where the rig puts their operands (X at 30H, Y at 38H), and no branch of
// theirs tests a pointer.
#include "RoutinePaths.h"
#include "SubroutineRig.h"
#include "assistants/SubroutineLibraries.h"
#include "assistants/SubroutineStore.h"
#include "common/TextFile.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <random>
#include <set>

using namespace twtest;
using tw::Cpu51;

namespace
{

// Bits of cells that are known in each class: all their values are searched in turn, so the
// classes together hold every input.
using Classes = std::vector<std::pair<int, std::uint8_t>>;
// Limits, forgotten bits and cuts of one search.
using Setup = std::function<void(PathSearch &, const RoutineCode &)>;

// The longest and shortest path over every class of inputs and every case the setups split the
// routine's runs into (each run falls in at least one case).
PathCost allPaths(const RoutineCode &code, const Classes &classes = {},
                  const std::vector<Setup> &cases = {Setup()})
{
    std::vector<std::pair<int, int>> bits; // cell, bit
    for (const auto &[cell, mask] : classes)
        for (int n = 0; n < 8; ++n)
            if (mask >> n & 1)
                bits.emplace_back(cell, n);
    PathCost total;
    for (const Setup &setup : cases) {
        PathSearch search(code);
        if (setup)
            setup(search, code);
        for (std::uint32_t value = 0; value < (1u << bits.size()); ++value) {
            PathState start = rigEntry(code);
            for (std::size_t k = 0; k < bits.size(); ++k) {
                Tri &t = start.cells[static_cast<std::size_t>(bits[k].first)];
                const auto mask = static_cast<std::uint8_t>(1u << bits[k].second);
                t.known |= mask;
                if (value >> k & 1)
                    t.value |= mask;
            }
            total.join(search.run(start));
        }
    }
    return total;
}

// The divide-and-shift loops leave the quotient in bits no branch tests; known quotient bits
// would give every quotient a path of its own.
void forgetQuotient(PathSearch &search, std::uint16_t address, std::initializer_list<int> cells)
{
    for (int cell : cells)
        search.forget(address, cell, 0xFF);
}

// FTOA from FTOA5 on: the digit loops subtract 10000, 1000, 100 and 10 from R2R3 (the integer
// part) while no borrow comes, the leading-zero tests read the digits the routine itself wrote
// and F0, which FTOA2 cleared, and the four fraction digits come from a loop of fixed count
// without branches. So the cycles from here depend on R2R3 alone (and on R1, which the search
// knows): every value 0-65535 is run.
std::function<long(const PathState &)> ftoaDigits(const RoutineCode &code)
{
    auto cache = std::make_shared<std::map<std::uint8_t, long>>();
    return [&code, cache](const PathState &at) -> long {
        const Tri r1 = at.cells[1];
        if (!r1.full() || !(at.cells[kCellPsw].known & 0x20))
            throw PathError("FTOA5 reached with R1 or F0 unknown");
        if (const auto found = cache->find(r1.value); found != cache->end())
            return found->second;
        auto cpu = std::make_unique<Cpu51>();
        long most = 0;
        for (int n = 0; n <= 0xFFFF; ++n) {
            loadCpu(*cpu, code.image, at);
            cpu->iram[2] = static_cast<std::uint8_t>(n >> 8);
            cpu->iram[3] = static_cast<std::uint8_t>(n);
            most = std::max(most, runToDone(*cpu, code.done));
        }
        return (*cache)[r1.value] = most;
    };
}

// ATOF from ATOF8 on: R5R6R7 holds N, the digits read as an integer (1 to 9999999), and the
// three bytes up to @R0 hold D = 10^k for the k digits after the point. ATOFS divides the
// 48 bits R2R3R4:R5R6R7 by D, restoring; 24 calls leave floor(N/D) in R5R6R7, and ATOF10 calls
// it again until R5.7 is set, which takes the least L >= 0 with N * 2^L >= 2^23 * D. Nothing else
// after ATOF8 steers a branch (F0 is only copied into the sign). For L from its largest value
// down, the search bounds every N whose loop runs at most L times (the limit at the loop's call);
// the N that run exactly L times are run one by one, until the bound falls to the longest run.
std::function<long(const PathState &)> atofDivision(const RoutineCode &code)
{
    auto cache = std::make_shared<std::map<std::uint32_t, long>>();
    return [&code, cache](const PathState &at) -> long {
        const Tri r0 = at.cells[0];
        if (!r0.full())
            throw PathError("ATOF8 reached with R0 unknown");
        std::uint32_t divisor = 0;
        for (int k = 2; k >= 0; --k) {
            const Tri byte = at.cells[static_cast<std::size_t>(r0.value - k)];
            if (!byte.full())
                throw PathError("ATOF8 reached with the divisor unknown");
            divisor = divisor << 8 | byte.value;
        }
        if (const auto found = cache->find(divisor); found != cache->end())
            return found->second;
        PathState any = at;
        for (int cell : {5, 6, 7})
            any.cells[static_cast<std::size_t>(cell)] = Tri{};
        const std::uint16_t call = code.at(QStringLiteral("ATOF10"), 2);
        const auto passes = [&](std::uint64_t n) {
            int l = 0;
            while ((n << l) < (std::uint64_t{divisor} << 23))
                ++l;
            return l;
        };
        auto cpu = std::make_unique<Cpu51>();
        long best = -1;
        for (int l = passes(1); l >= 0; --l) {
            PathSearch search(code);
            search.limit(call, l);
            if (search.run(any).most <= best)
                break;
            // The N that pass exactly l times: n * 2^l >= 2^23 * D > n * 2^(l-1).
            const std::uint64_t target = std::uint64_t{divisor} << 23;
            const std::uint64_t low = std::max<std::uint64_t>(1, (target + (1ull << l) - 1) >> l);
            const std::uint64_t high = std::min<std::uint64_t>(
                9999999, l == 0 ? 9999999 : ((target + (1ull << (l - 1)) - 1) >> (l - 1)) - 1);
            for (std::uint64_t n = low; n <= high; ++n) {
                loadCpu(*cpu, code.image, any);
                cpu->iram[5] = static_cast<std::uint8_t>(n >> 16);
                cpu->iram[6] = static_cast<std::uint8_t>(n >> 8);
                cpu->iram[7] = static_cast<std::uint8_t>(n);
                int calls = 0;
                best = std::max(best, runToDone(*cpu, code.done, call, &calls));
                if (calls != l)
                    throw PathError("ATOF10 looped " + std::to_string(calls) +
                                    " times for N = " + std::to_string(n) + ", not " + std::to_string(l));
            }
        }
        return (*cache)[divisor] = best;
    };
}

struct Derivation {
    QString file;
    std::function<PathCost(const RoutineCode &)> bound;
    // Inputs that take a longest path, placed as the rig calls the routine.
    std::function<void(Cpu51 &)> longest;
    std::uint8_t writableFirst = 0;
    int writableCount = 0;
};

void registers(Cpu51 &cpu, std::uint16_t r6r7, std::uint16_t r4r5)
{
    setPair(cpu, 6, 7, r6r7);
    setPair(cpu, 4, 5, r4r5);
}

void operands(Cpu51 &cpu, std::uint32_t x, std::uint32_t y)
{
    putBytes(cpu, kXAddress, x, 4);
    putBytes(cpu, kYAddress, y, 4);
}

PathCost plain(const RoutineCode &code)
{
    return allPaths(code);
}

// The search with the instruction at a label executed at most `most` times.
std::function<PathCost(const RoutineCode &)> limited(const char *label, int most)
{
    return [label, most](const RoutineCode &code) {
        return allPaths(code, {}, {[label, most](PathSearch &s, const RoutineCode &c) {
                            s.limit(c.at(QString::fromLatin1(label)), most);
                        }});
    };
}

// The sign bits of R6 and R4, or of X and Y.
const Classes kRegisterSigns = {{6, 0x80}, {4, 0x80}};
const Classes kOperandSigns = {{kXAddress, 0x80}, {kYAddress, 0x80}};
// Sign and exponent of X.
const Classes kSignAndExponent = {{kXAddress, 0xFF}, {kXAddress + 1, 0x80}};

// FADD aligns the smaller operand by d = |exponent difference| places (FADD5, up to 25 passes:
// 26 and more clear it instead) and normalizes a difference at FADD10. For d >= 2 the smaller
// mantissa, below 1000000H, is below 400000H once aligned, while the larger is at least 800000H:
// the difference stays above 400000H, so it needs at most one left shift and never changes sign
// (no negation after FADD8). For d <= 1 the alignment passes at most once and the difference can
// shrink to its lowest bit, R4.7 (d = 1) or R7.0 (d = 0), which 24 shifts bring up to R5.7.
const std::vector<Setup> kFaddCases = {
    [](PathSearch &s, const RoutineCode &c) {
        s.limit(c.at(QStringLiteral("FADD5")), 25);
        s.limit(c.at(QStringLiteral("FADD10"), 2), 1);
        s.limit(c.line(QStringLiteral("JNC FADD9"), 1), 0);
    },
    [](PathSearch &s, const RoutineCode &c) {
        s.limit(c.at(QStringLiteral("FADD5")), 1);
        s.limit(c.at(QStringLiteral("FADD10"), 2), 24);
    },
};

const std::vector<Derivation> &derivations()
{
    // plain: the search alone. Branches on input data go both ways, loops that count a known
    // register down end where the count does; a routine whose paths are all as long has an exact
    // figure. Each entry's input takes the longest path.
    static const std::vector<Derivation> all = {
        {"fixed/01-uadd16.asm", plain, [](Cpu51 &c) { registers(c, 1, 2); }},
        {"fixed/02-usub16.asm", plain, [](Cpu51 &c) { registers(c, 1, 2); }},
        {"fixed/03-neg16.asm", plain, [](Cpu51 &c) { registers(c, 1, 2); }},
        {"fixed/04-abs16.asm", plain, [](Cpu51 &c) { registers(c, 0xFFFF, 0); }},
        {"fixed/05-umul16.asm", plain, [](Cpu51 &c) { registers(c, 1, 2); }},
        // The branches test the signs of X and Y and their exclusive or (UMUL16 has none): one
        // search per pair of signs keeps the three tests in agreement.
        {"fixed/06-smul16.asm", [](const RoutineCode &c) { return allPaths(c, kRegisterSigns); },
         [](Cpu51 &c) { registers(c, 0xFFFF, 1); }},
        // Every pass subtracts and keeps the difference: quotient FFFFH.
        {"fixed/07-udiv16.asm", plain, [](Cpu51 &c) { registers(c, 0xFFFF, 1); }},
        // One search per pair of signs. Both magnitudes are at most 8000H: the remainder stays
        // below 8000H, so doubling it never carries out (UDIV4 never runs), and a quotient of at
        // most 8000H has at most 15 one bits (each a subtraction kept after JC UDIV5).
        {"fixed/08-sdiv16.asm",
         [](const RoutineCode &code) {
             return allPaths(code, kRegisterSigns, {[](PathSearch &s, const RoutineCode &c) {
                                 s.limit(c.at(QStringLiteral("UDIV4")), 0);
                                 s.limit(c.line(QStringLiteral("JC UDIV5"), 1), 15);
                             }});
         },
         [](Cpu51 &c) { registers(c, 0x8001, 1); }},
        {"fixed/09-ucmp16.asm", plain, [](Cpu51 &c) { registers(c, 0x1234, 0x1234); }},
        {"fixed/10-scmp16.asm", plain, [](Cpu51 &c) { registers(c, 0x1234, 0x1234); }},
        {"fixed/11-bcd2bin16.asm", plain, [](Cpu51 &c) { registers(c, 0x1234, 0); }},
        {"fixed/12-bin2bcd16.asm", plain, [](Cpu51 &c) { registers(c, 1234, 0); }},
        // Every trial bit is kept: root FFH.
        {"fixed/13-sqrt16.asm", plain, [](Cpu51 &c) { registers(c, 0xFFFF, 0); }},
        {"fixed/14-add32.asm", plain, [](Cpu51 &c) { operands(c, 1, 2); }, kXAddress, 4},
        {"fixed/15-sub32.asm", plain, [](Cpu51 &c) { operands(c, 1, 2); }, kXAddress, 4},
        {"fixed/16-neg32.asm", plain, [](Cpu51 &c) { operands(c, 1, 2); }, kXAddress, 4},
        {"fixed/17-ucmp32.asm", plain, [](Cpu51 &c) { operands(c, 1, 2); }},
        // Every pass restores: quotient 0.
        {"fixed/18-udiv32.asm",
         [](const RoutineCode &code) {
             return allPaths(code, {}, {[](PathSearch &s, const RoutineCode &c) {
                                 forgetQuotient(s, c.at(QStringLiteral("UDIV32D")),
                                                {kXAddress, kXAddress + 1, kXAddress + 2, kXAddress + 3});
                             }});
         },
         [](Cpu51 &c) { operands(c, 0, 1); }, kXAddress, 4},
        // Every trial bit is rejected and restored: root 0.
        {"fixed/19-sqrt32.asm", plain, [](Cpu51 &c) { operands(c, 0, 0); }, kXAddress, 4},
        // Every multiplier bit adds.
        {"fixed/20-umul32.asm", plain, [](Cpu51 &c) { operands(c, 0xFFFFFFFF, 0xFFFFFFFF); }, kXAddress, 4},
        {"fixed/21-scmp32.asm", plain, [](Cpu51 &c) { operands(c, 1, 2); }},
        // One search per pair of signs; the longest: both negative and every UDIV32 pass
        // restoring (-1 / -2).
        {"fixed/22-sdiv32.asm",
         [](const RoutineCode &code) {
             return allPaths(code, kOperandSigns, {[](PathSearch &s, const RoutineCode &c) {
                                 forgetQuotient(s, c.at(QStringLiteral("UDIV32D")),
                                                {kXAddress, kXAddress + 1, kXAddress + 2, kXAddress + 3});
                             }});
         },
         [](Cpu51 &c) { operands(c, 0xFFFFFFFF, 0xFFFFFFFE); }, kXAddress, 4},

        // Floating point.
        {"float/01-fneg.asm", plain, [](Cpu51 &c) { operands(c, 0, 0); }, kXAddress, 4},
        {"float/02-fabs.asm", plain, [](Cpu51 &c) { operands(c, 0, 0); }, kXAddress, 4},
        {"float/03-fadd.asm", [](const RoutineCode &c) { return allPaths(c, {}, kFaddCases); },
         [](Cpu51 &c) { operands(c, 0x4E7FFFFF, 0xDA800000); }, kXAddress, 4},
        {"float/04-fsub.asm", [](const RoutineCode &c) { return allPaths(c, {}, kFaddCases); },
         [](Cpu51 &c) { operands(c, 0x4E7FFFFF, 0x5A800000); }, kXAddress, 4},
        {"float/05-fmul.asm", plain, [](Cpu51 &c) { operands(c, 0x7F000000, 0x7F000000); }, kXAddress, 4},
        // The search follows the one bit R2R3R4 starts with (000001H) up a place a pass, so FDIV5
        // ends after 24 passes; the quotient bits that come in through CY steer nothing and are
        // forgotten at FDIV7. The first pass never restores: without the shift before the loop
        // X's mantissa is at least Y's, and with it PSW.1 holds the hidden bit shifted out of R5.
        {"float/06-fdiv.asm",
         [](const RoutineCode &code) {
             return allPaths(code, {}, {[](PathSearch &s, const RoutineCode &c) {
                                 s.limit(c.line(QStringLiteral("JB PSW.1,FDIV6"), 1), 23);
                                 s.forget(c.at(QStringLiteral("FDIV7")), kCellPsw, 0x80);
                             }});
         },
         [](Cpu51 &c) { operands(c, 0x64000000, 0x23FFFFFF); }, kXAddress, 4},
        {"float/07-fcmp.asm", plain, [](Cpu51 &c) { operands(c, 0, 0); }},
        // After the negation the magnitude is nonzero and at most 8000H: at most 15 leading zeros,
        // one shifted out a pass, so the test at FLT16B runs at most 16 times.
        {"float/08-flt16.asm", limited("FLT16B", 16), [](Cpu51 &c) { registers(c, 0xFFFF, 0); }, kXAddress,
         4},
        // One search per sign and exponent, which decide every branch but the mantissa's zero
        // test.
        {"float/09-fix16.asm", [](const RoutineCode &c) { return allPaths(c, kSignAndExponent); },
         [](Cpu51 &c) { operands(c, 0xBF800000, 0); }},
        // A nonzero 32-bit magnitude (for FLT32 after the negation, which leaves 80000000H as it
        // is) has at most 31 leading zeros: the test at FLTU32A or FLT32A runs at most 32 times.
        {"float/10-fltu32.asm", limited("FLTU32A", 32), [](Cpu51 &c) { operands(c, 1, 0); }, kXAddress, 4},
        {"float/11-flt32.asm", limited("FLT32A", 32), [](Cpu51 &c) { operands(c, 0xFFFFFFFF, 0); }, kXAddress,
         4},
        {"float/12-fix32.asm", [](const RoutineCode &c) { return allPaths(c, kSignAndExponent); },
         [](Cpu51 &c) { operands(c, 0xBF800000, 0); }},
        // Only exponents below 143 reach FTOA4, which shifts exponent - 110 <= 32 times.
        {"float/13-ftoa.asm",
         [](const RoutineCode &code) {
             return allPaths(code, {}, {[](PathSearch &s, const RoutineCode &c) {
                                 s.limit(c.at(QStringLiteral("FTOA4")), 32);
                                 s.cut(c.at(QStringLiteral("FTOA5")), ftoaDigits(c));
                             }});
         },
         [](Cpu51 &c) { operands(c, 0xC76A5F80, 0); }, kYAddress, 12},
        {"float/14-atof.asm",
         [](const RoutineCode &code) {
             return allPaths(code, {}, {[](PathSearch &s, const RoutineCode &c) {
                                 s.cut(c.at(QStringLiteral("ATOF8")), atofDivision(c));
                             }});
         },
         [](Cpu51 &c) {
             const char text[] = "-.0000001:";
             for (std::size_t k = 0; k < sizeof text; ++k)
                 c.iram[kYAddress + k] = static_cast<std::uint8_t>(text[k]);
         },
         kXAddress, 4},
    };
    return all;
}

std::vector<std::string> derivedNames()
{
    std::vector<std::string> names;
    for (const Derivation &d : derivations())
        names.push_back(d.file.toStdString());
    return names;
}

const Derivation &derivation(const QString &file)
{
    for (const Derivation &d : derivations())
        if (d.file == file)
            return d;
    throw PathError("no derivation for " + file.toStdString());
}

// The figure of a header's 周期 and whether it is a bound (最多) or the one length.
std::pair<long, bool> headerFigure(const tw::SubroutineSource &source)
{
    static const QRegularExpression form(QStringLiteral(u"^(最多)?(\\d+)$"));
    const auto match = form.match(source.cycles);
    if (!match.hasMatch())
        return {-1, false};
    return {match.captured(2).toLong(), match.hasCaptured(1)};
}

class TimingTest : public ::testing::TestWithParam<std::string>
{
};

} // namespace

TEST(SubroutineTiming, EveryRoutineHasADerivation)
{
    std::vector<std::string> files;
    for (const QString &file : routineFiles())
        files.push_back(file.toStdString());
    EXPECT_EQ(files, derivedNames());
}

// The figure in each header is the longest path's (最多) or, where every path is as long, that
// length; an input that takes the longest path takes exactly that many cycles in the rig.
TEST_P(TimingTest, HeaderStatesItsLongestPath)
{
    const Derivation &d = derivation(QString::fromStdString(GetParam()));
    const std::string &name = GetParam();
    try {
        const RoutineCode code = routineCode(d.file);
        const PathCost cost = d.bound(code);
        ASSERT_GE(cost.least, 0) << name << ": no path returns";
        const auto [figure, upTo] = headerFigure(code.source);
        ASSERT_GT(figure, 0) << name << ": 周期 reads \"" << code.source.cycles.toStdString() << '"';
        EXPECT_EQ(figure, cost.most) << name << ": the longest path takes " << cost.most << " cycles";
        EXPECT_EQ(upTo, cost.least != cost.most)
            << name << ": paths take " << cost.least << " to " << cost.most << " cycles";

        SubroutineRig rig(d.file);
        ASSERT_TRUE(rig.ready());
        rig.call(d.longest, d.writableFirst, d.writableCount);
        EXPECT_EQ(rig.lastCycles(), cost.most) << name << ": the longest path's input";
    } catch (const PathError &error) {
        ADD_FAILURE() << name << ": " << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Routines, TimingTest, ::testing::ValuesIn(derivedNames()),
                         [](const ::testing::TestParamInfo<std::string> &info) {
                             std::string name = info.param;
                             std::replace_if(
                                 name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
                             return name;
                         });

// The library file the build makes holds each header's figure in the resources field, as the
// window shows it ("A,R2-R7,PSW；最多584个机器周期").
TEST(SubroutineTiming, TheBuiltLibraryCarriesEveryHeaderFigure)
{
    const QString path =
        QDir(QStringLiteral(TW_PROGRAM_DATA_DIR)).filePath(QString::fromLatin1(tw::kFixedLibraryFile));
    std::map<QString, QString> resources;
    for (const char *table : {tw::kFixedPointTable, tw::kFloatingPointTable}) {
        tw::SubroutineStore store;
        ASSERT_EQ(store.openReadOnly(path, QString::fromLatin1(table)), QString()) << path.toStdString();
        QList<tw::SubroutineRecord> records;
        ASSERT_EQ(store.readAll(records), QString());
        for (const tw::SubroutineRecord &record : records)
            resources[record.name] = record.resources;
    }
    for (const QString &file : routineFiles()) {
        const auto source = tw::parseSubroutineSource(tw::readTextFile(routinePath(file))->text);
        ASSERT_TRUE(source);
        const auto [figure, upTo] = headerFigure(*source);
        const QString cycles = (upTo ? QStringLiteral(u"最多") : QString()) + QString::number(figure) +
                               QStringLiteral(u"个机器周期");
        EXPECT_EQ(resources[source->record.name].toStdString(),
                  (source->resourceList + QStringLiteral(u"；") + cycles).toStdString())
            << file.toStdString();
    }
    EXPECT_EQ(resources[QStringLiteral(u"FADD 单精度浮点数加法")].toStdString(),
              QStringLiteral(u"A,R2-R7,PSW；最多584个机器周期").toStdString());
}

// Every instruction form, from random partly known states: the CPU core's step from any state
// that agrees with the known bits goes to one of the search's successors and agrees with its
// known bits.
TEST(SubroutineTimingPaths, StepsCoverWhatTheCpuDoes)
{
    std::mt19937 random(0x5151u);
    auto cpu = std::make_unique<Cpu51>();
    std::vector<std::uint8_t> image(0x200, 0);
    const std::uint16_t pc = 0x100;
    std::array<int, 256> perOp{};
    for (int op = 0; op < 256; ++op) {
        for (int trial = 0; trial < 400; ++trial) {
            PathState state, fill;
            for (int k = 0; k < kCells; ++k) {
                const auto value = static_cast<std::uint8_t>(random());
                const int kind = static_cast<int>(random() % 3);
                const auto known = static_cast<std::uint8_t>(kind == 0 ? 0xFF : kind == 1 ? 0 : random());
                state.cells[static_cast<std::size_t>(k)] = {static_cast<std::uint8_t>(value & known), known};
                fill.cells[static_cast<std::size_t>(k)].value = static_cast<std::uint8_t>(random());
            }
            // Known pointers, stack pointer and register bank, as in every routine.
            state.cells[0] = Tri::of(static_cast<std::uint8_t>(random()));
            state.cells[1] = Tri::of(static_cast<std::uint8_t>(random()));
            state.cells[8] = Tri::of(static_cast<std::uint8_t>(random()));
            state.cells[9] = Tri::of(static_cast<std::uint8_t>(random()));
            state.cells[kCellSp] = Tri::of(static_cast<std::uint8_t>(0x40 + random() % 0x80));
            Tri &psw = state.cells[kCellPsw];
            // Bank 0 or 1; P, which the CPU derives from A, unknown as the search always has it.
            psw.known = static_cast<std::uint8_t>((psw.known | 0x18) & ~1);
            psw.value = static_cast<std::uint8_t>((psw.value & psw.known & ~0x18) | (random() % 2) << 3);
            state.pc = pc;
            image[pc] = static_cast<std::uint8_t>(op);
            image[pc + 1u] = static_cast<std::uint8_t>(random());
            image[pc + 2u] = static_cast<std::uint8_t>(random());
            if (random() % 2)
                image[pc + 1u] = static_cast<std::uint8_t>(0xD0 + random() % 3 * 0x10 +
                                                           random() % 8 * (random() % 2)); // PSW, A, B
            Step step;
            try {
                step = stepPaths(image, state);
            } catch (const PathError &) {
                continue; // an SFR or instruction the routines do not use
            }
            loadCpu(*cpu, image, state, &fill);
            cpu->step();
            bool matched = false;
            for (int k = 0; k < step.count && !matched; ++k) {
                const PathState &next = step.next[static_cast<std::size_t>(k)];
                if (next.pc != cpu->pc)
                    continue;
                bool agrees = true;
                for (int c = 0; c < kCells; ++c) {
                    const Tri t = next.cells[static_cast<std::size_t>(c)];
                    const std::uint8_t actual =
                        c < kIramCells ? cpu->iram[static_cast<std::size_t>(c)]
                                       : cpu->sfr[kCellSfrs[static_cast<std::size_t>(c - kIramCells)]];
                    const std::uint8_t mask = c == kCellPsw ? 0xFE : 0xFF; // P follows A
                    if ((actual ^ t.value) & t.known & mask)
                        agrees = false;
                }
                matched = agrees;
            }
            EXPECT_TRUE(matched) << "opcode " << op << " operands " << int(image[pc + 1u]) << ' '
                                 << int(image[pc + 2u]) << ": the CPU went to " << cpu->pc;
            if (!matched)
                return;
            ++perOp[static_cast<std::size_t>(op)];
        }
    }
    // Every opcode but the undefined A5H and the ones no routine may use (MOVC, MOVX, JMP @A+DPTR,
    // which the search refuses) was met in states it follows.
    const std::set<int> refused = {0xA5, 0x73, 0x83, 0x93, 0xE0, 0xE2, 0xE3, 0xF0, 0xF2, 0xF3};
    for (int op = 0; op < 256; ++op)
        EXPECT_EQ(perOp[static_cast<std::size_t>(op)] > 20, !refused.count(op)) << "opcode " << op;
}

// A loop whose exit hangs on unknown data and has no stated bound stops the search: it never
// passes for a bound it did not find.
TEST(SubroutineTimingPaths, AnUnboundedLoopIsReportedNotCutShort)
{
    const RoutineCode code = routineCode(QStringLiteral("float/10-fltu32.asm"));
    PathSearch search(code);
    try {
        search.run(rigEntry(code));
        ADD_FAILURE() << "the normalizing loop of FLTU32 passed without a bound";
    } catch (const PathError &error) {
        EXPECT_TRUE(QString::fromLatin1(error.what()).contains(QStringLiteral("without a bound")))
            << error.what();
    }
    // One pass fewer than a 32-bit value needs leaves X = 1 without a path that returns.
    PathSearch tooFew(code);
    tooFew.limit(code.at(QStringLiteral("FLTU32A")), 31);
    PathState one = rigEntry(code);
    for (int k = 0; k < 4; ++k)
        one.cells[kXAddress + static_cast<std::size_t>(k)] = Tri::of(k == 3 ? 1 : 0);
    EXPECT_LT(tooFew.run(one).most, 0);
}

// s51 counts the same machine cycles on each longest path: a program sets the inputs, breaks at
// its LCALL and at the instruction after it, and the ticks between (12 a cycle) hold the call's 2.
TEST(SubroutineTimingPeer, S51TakesAsLongOnEveryLongestPath)
{
    TW_REQUIRE_PROGRAMS(QStringLiteral("s51"), QStringLiteral("srec_cat"));
    QTemporaryDir folder;
    auto cpu = std::make_unique<Cpu51>();
    static const QRegularExpression simulated(QStringLiteral("Simulated (\\d+) ticks"));
    for (const Derivation &d : derivations()) {
        SCOPED_TRACE(d.file.toStdString());
        const auto source = tw::parseSubroutineSource(tw::readTextFile(routinePath(d.file))->text);
        ASSERT_TRUE(source);
        cpu->iram.fill(0);
        cpu->iram[0] = kXAddress;
        cpu->iram[1] = kYAddress;
        d.longest(*cpu);
        QString setup = QStringLiteral("\tORG\t0\r\n\tMOV\tSP,#5FH\r\n");
        int moves = 1;
        for (int address = 0; address < 0x80; ++address)
            if (cpu->iram[static_cast<std::size_t>(address)] != 0) {
                setup += QStringLiteral("\tMOV\t%1H,#%2H\r\n")
                             .arg(address, 3, 16, QLatin1Char('0'))
                             .arg(cpu->iram[static_cast<std::size_t>(address)], 3, 16, QLatin1Char('0'));
                ++moves;
            }
        const int call = 3 * moves;
        setup += QStringLiteral("\tLCALL\t") + source->entryLabel +
                 QStringLiteral("\r\nTWDONE:\tSJMP\tTWDONE\r\n");
        const auto image = assembleAround(*source, setup, QString());
        ASSERT_TRUE(image);
        ASSERT_EQ(static_cast<std::uint8_t>(image->at(call)), 0x12);

        const QString hex = s51Image(*image, folder.path());
        writeBytes(folder.filePath(QStringLiteral("commands")),
                   QStringLiteral("load \"%1\"\nfill iram 0 0xff 0\nbreak 0x%2\nbreak 0x%3\nrun\nrun\nquit\n")
                       .arg(hex)
                       .arg(call, 4, 16, QLatin1Char('0'))
                       .arg(call + 3, 4, 16, QLatin1Char('0'))
                       .toUtf8());
        const ProcessResult peer =
            runProgram(QStringLiteral("s51"),
                       {"-t", "8052", "-C", folder.filePath(QStringLiteral("commands"))}, folder.path());
        const QString output = QString::fromLatin1(peer.out + peer.err);
        long ticks = -1;
        for (auto it = simulated.globalMatch(output); it.hasNext();)
            ticks = it.next().captured(1).toLong();
        const auto [figure, upTo] = headerFigure(*source);
        EXPECT_EQ(ticks, 12 * (figure + 2)) << output.right(1500).toStdString();
    }
}
