// Random instruction programs run in this core and in s51 (ucsim); memories and registers must
// agree. Left out are the parts this simulator models differently on purpose: timers, interrupts,
// the watchdog, the serial port, PCON idle/power-down and the second data pointer.
#include "Cpu51TestSupport.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace
{

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint16_t kSubroutines = 0x0700; // main body stays in the first 2K page for ACALL
constexpr int kSubroutineCount = 8;
constexpr int kStepsPerProgram = 4000;

class ProgramGenerator
{
  public:
    explicit ProgramGenerator(std::uint32_t seed) : random_(seed) {}

    // A 64K image: random straight-line code with forward branches and calls from 0000h,
    // ending in SJMP $, subroutines at 0700h, random bytes for MOVC at 1000h.
    std::vector<std::uint8_t> image(int instructions)
    {
        std::vector<std::uint8_t> code(65536, 0);
        std::uint16_t at = kSubroutines;
        for (int s = 0; s < kSubroutineCount; ++s) {
            subroutineAddress_[s] = at;
            for (int k = 0; k < 4; ++k)
                for (std::uint8_t b : safeInstruction())
                    code[at++] = b;
            code[at++] = pick(4) ? 0x22 : 0x32; // RET, or RETI with no interrupt in service
        }
        for (int k = 0x1000; k < 0x1100; ++k)
            code[k] = byte();
        Bytes body;
        for (int k = 0; k < instructions; ++k) {
            Bytes unit;
            if (pick(20) == 0) {
                // LJMP, AJMP or JMP @A+DPTR over the next unit (the body stays in the first 2K page).
                const Bytes skipped = unitWithSkip(1);
                enum { Long, Absolute, Indexed };
                static constexpr int kLength[] = {3, 2, 6};
                const int form = pick(3);
                const auto target = static_cast<std::uint16_t>(body.size() + kLength[form] + skipped.size());
                const auto high = static_cast<std::uint8_t>(target >> 8),
                           low = static_cast<std::uint8_t>(target);
                if (form == Indexed) {
                    // MOV DPTR,#target-offset; MOV A,#offset; JMP @A+DPTR
                    const auto offset = static_cast<std::uint8_t>(pick(std::min<int>(target, 0x100)));
                    const auto base = static_cast<std::uint16_t>(target - offset);
                    unit = {0x90,
                            static_cast<std::uint8_t>(base >> 8),
                            static_cast<std::uint8_t>(base),
                            0x74,
                            offset,
                            0x73};
                } else if (form == Absolute) {
                    unit = {static_cast<std::uint8_t>(0x01 | high << 5), low};
                } else {
                    unit = {0x02, high, low};
                }
                unit.insert(unit.end(), skipped.begin(), skipped.end());
            } else {
                unit = unitWithSkip(0);
            }
            body.insert(body.end(), unit.begin(), unit.end());
        }
        body.push_back(0x80); // SJMP $
        body.push_back(0xFE);
        EXPECT_LT(body.size(), kSubroutines);
        std::copy(body.begin(), body.end(), code.begin());
        return code;
    }

    std::vector<std::uint8_t> iram()
    {
        std::vector<std::uint8_t> bytes(256);
        for (auto &b : bytes)
            b = byte();
        return bytes;
    }

  private:
    static constexpr std::uint8_t kSkipMarker = 0; // replaced by the length of the skipped unit

    bool lastWasBranch_ = false;

    // An instruction; a branch comes with the unit it skips, so every target is a boundary.
    Bytes unitWithSkip(int depth)
    {
        Bytes unit = depth < 4 ? instruction() : safeInstruction();
        if (depth < 4 && lastWasBranch_) {
            const Bytes skipped = unitWithSkip(depth + 1);
            unit.back() = static_cast<std::uint8_t>(skipped.size());
            unit.insert(unit.end(), skipped.begin(), skipped.end());
        }
        return unit;
    }

    std::mt19937 random_;
    std::uint16_t subroutineAddress_[kSubroutineCount] = {};

    std::uint8_t byte() { return static_cast<std::uint8_t>(random_()); }
    int pick(int count) { return static_cast<int>(random_() % static_cast<unsigned>(count)); }
    template <std::size_t N> std::uint8_t oneOf(const std::uint8_t (&choices)[N])
    {
        return choices[pick(static_cast<int>(N))];
    }

    // The SFRs both model alike while the timers stay stopped and no request flag is ever set
    // (TCON, SCON and T2CON are never written): ports, A, B, SP, DPTR, TMOD, the timer counts,
    // IE, IP and RCAP2.
    // PSW is written but never read as a byte: s51 keeps a P bit written to PSW until A changes,
    // while P here always follows A.
    std::uint8_t readableDirect()
    {
        static const std::uint8_t sfrs[] = {0xE0, 0xF0, 0x81, 0x82, 0x83, 0x80, 0x90, 0xA0, 0x89, 0x8A,
                                            0x8B, 0x8C, 0x8D, 0xA8, 0xB8, 0xCA, 0xCB, 0xCC, 0xCD};
        return pick(3) ? static_cast<std::uint8_t>(pick(0x80)) : oneOf(sfrs);
    }
    // SP stays out: the stack must hold the return addresses of the calls.
    std::uint8_t writableDirect()
    {
        static const std::uint8_t sfrs[] = {0xE0, 0xF0, 0xD0, 0x82, 0x83, 0x80, 0x90, 0xA0, 0x89, 0x8A,
                                            0x8B, 0x8C, 0x8D, 0xA8, 0xB8, 0xCA, 0xCB, 0xCC, 0xCD};
        return pick(3) ? static_cast<std::uint8_t>(pick(0x80)) : oneOf(sfrs);
    }
    // Read-modify-write destinations leave PSW out too: they would read its P bit.
    std::uint8_t modifiableDirect()
    {
        for (;;) {
            const std::uint8_t address = writableDirect();
            if (address != tw::Sfr::PSW)
                return address;
        }
    }
    // P (PSW.0) stays out, for the reason above.
    std::uint8_t readableBit()
    {
        static const std::uint8_t bases[] = {0xE0, 0xF0, 0xD0, 0x80, 0x90, 0xA0, 0xA8, 0xB8};
        for (;;) {
            const auto bit = pick(2) ? static_cast<std::uint8_t>(pick(0x80))
                                     : static_cast<std::uint8_t>(oneOf(bases) + pick(8));
            if (bit != tw::Bit::P)
                return bit;
        }
    }
    // RS0/RS1 stay out: s51 0.6.4 switches the register bank only on byte writes to PSW.
    std::uint8_t writableBit()
    {
        for (;;) {
            const std::uint8_t bit = readableBit();
            if (bit != tw::Bit::RS0 && bit != tw::Bit::RS1)
                return bit;
        }
    }

    // Instructions that touch only A, B, PSW flags, DPTR and external RAM: safe in subroutines.
    Bytes safeInstruction()
    {
        static const std::uint8_t accumulatorOnly[] = {0x03, 0x13, 0x23, 0x33, 0x04, 0x14, 0x84, 0xA4, 0xC4,
                                                       0xD4, 0xE4, 0xF4, 0xA3, 0xB3, 0xC3, 0xD3, 0xE0, 0xF0,
                                                       0x83, 0xE2, 0xE3, 0xF2, 0xF3, 0x00, 0xA5};
        static const std::uint8_t withImmediate[] = {0x24, 0x34, 0x44, 0x54, 0x64, 0x74, 0x94};
        static const std::uint8_t withDirect[] = {0x25, 0x35, 0x45, 0x55, 0x65, 0x95, 0xE5};
        static const std::uint8_t readsOperand[] = {0x20, 0x30, 0x40, 0x50, 0x60, 0x90, 0xE0}; // column base
        switch (pick(7)) {
        case 0:
            return {oneOf(accumulatorOnly)};
        case 5: // MOVC A,@A+DPTR inside 64K: s51 does not wrap the sum as this core does
            return {0x90, 0x10, byte(), 0x93};
        case 1:
            return {oneOf(withImmediate), byte()};
        case 2:
            return {oneOf(withDirect), readableDirect()};
        case 3:
            return {static_cast<std::uint8_t>(oneOf(readsOperand) | 0x08 | pick(8))}; // Rn
        case 4:
            return {static_cast<std::uint8_t>(oneOf(readsOperand) | 0x06 | pick(2))}; // @Ri
        default:
            return {0x90, byte(), byte()};
        }
    }

    Bytes instruction()
    {
        lastWasBranch_ = false;
        switch (pick(10)) {
        case 0:
        case 1:
            return safeInstruction();
        case 2:
            return directWrite();
        case 3:
            return registerOrIndirect();
        case 4:
            return bitInstruction();
        case 5:
        case 6:
            return branch();
        case 7:
            return call();
        case 8:
            return stack();
        default:
            return {0x90, static_cast<std::uint8_t>(pick(2) ? 0x10 : byte()), byte()};
        }
    }

    Bytes directWrite()
    {
        static const std::uint8_t withA[] = {0x42, 0x52, 0x62, 0xF5, 0xC5, 0x05, 0x15};
        static const std::uint8_t withImmediate[] = {0x43, 0x53, 0x63, 0x75};
        switch (pick(5)) {
        case 0: {
            const std::uint8_t op = oneOf(withA);
            return {op, op == 0xF5 ? writableDirect() : modifiableDirect()};
        }
        case 1: {
            const std::uint8_t op = oneOf(withImmediate);
            return {op, op == 0x75 ? writableDirect() : modifiableDirect(), byte()};
        }
        case 2:
            return {0x85, readableDirect(), writableDirect()};
        case 3:
            return {static_cast<std::uint8_t>(0x86 + pick(2)), writableDirect()};
        default:
            return {static_cast<std::uint8_t>(0x88 + pick(8)), writableDirect()};
        }
    }

    Bytes registerOrIndirect()
    {
        static const std::uint8_t oneByteRegister[] = {0x08, 0x18, 0xC8, 0xF8};
        static const std::uint8_t oneByteIndirect[] = {0x06, 0x16, 0xC6, 0xD6, 0xF6};
        switch (pick(5)) {
        case 0:
            return {static_cast<std::uint8_t>(oneOf(oneByteRegister) + pick(8))};
        case 1:
            return {static_cast<std::uint8_t>(oneOf(oneByteIndirect) + pick(2))};
        case 2:
            return {static_cast<std::uint8_t>(0x78 + pick(8)), byte()};
        case 3:
            return {static_cast<std::uint8_t>(0xA8 + pick(8)), readableDirect()};
        default:
            return {static_cast<std::uint8_t>((pick(2) ? 0x76 : 0xA6) + pick(2)), byte()};
        }
    }

    Bytes bitInstruction()
    {
        static const std::uint8_t reads[] = {0x72, 0x82, 0xA0, 0xB0, 0xA2};
        static const std::uint8_t writes[] = {0x92, 0xB2, 0xC2, 0xD2};
        static const std::uint8_t carry[] = {0xB3, 0xC3, 0xD3};
        switch (pick(3)) {
        case 0:
            return {oneOf(reads), readableBit()};
        case 1:
            return {oneOf(writes), writableBit()};
        default:
            return {oneOf(carry)};
        }
    }

    Bytes branch()
    {
        lastWasBranch_ = true;
        static const std::uint8_t onFlags[] = {0x40, 0x50, 0x60, 0x70, 0x80};
        static const std::uint8_t onBits[] = {0x20, 0x30};
        switch (pick(7)) {
        case 0:
            return {oneOf(onFlags), kSkipMarker};
        case 1:
            return {oneOf(onBits), readableBit(), kSkipMarker};
        case 2:
            return {0x10, writableBit(), kSkipMarker};
        case 3:
            return {static_cast<std::uint8_t>(pick(2) ? 0xB4 : 0xB6 + pick(2)), byte(), kSkipMarker};
        case 4:
            return {0xB5, readableDirect(), kSkipMarker};
        case 5:
            return {static_cast<std::uint8_t>(0xB8 + pick(8)), byte(), kSkipMarker};
        default:
            if (pick(2))
                return {0xD5, modifiableDirect(), kSkipMarker};
            return {static_cast<std::uint8_t>(0xD8 + pick(8)), kSkipMarker};
        }
    }

    Bytes call()
    {
        const std::uint16_t target = subroutineAddress_[pick(kSubroutineCount)];
        if (pick(2))
            return {0x12, static_cast<std::uint8_t>(target >> 8), static_cast<std::uint8_t>(target)};
        return {static_cast<std::uint8_t>(0x11 | (target >> 8) << 5), static_cast<std::uint8_t>(target)};
    }

    // PUSH and POP come in pairs, skipped as one unit: s51 stops its run when SP wraps. POP SP
    // only after PUSH SP, which leaves SP one higher: SP is the popped byte.
    Bytes stack()
    {
        if (pick(8) == 0)
            return {0xC0, 0x81, 0xD0, 0x81};
        return {0xC0, readableDirect(), 0xD0, writableDirect()};
    }
};

void writeIntelHex(const QString &path, const std::vector<std::uint8_t> &code)
{
    QByteArray text;
    for (std::size_t at = 0; at < code.size(); at += 16) {
        unsigned sum = 16 + (at >> 8) + (at & 0xFF);
        QByteArray line =
            QByteArray(":10") + QByteArray::number(static_cast<int>(at), 16).rightJustified(4, '0') + "00";
        for (std::size_t k = 0; k < 16; ++k) {
            line += QByteArray::number(code[at + k], 16).rightJustified(2, '0');
            sum += code[at + k];
        }
        line += QByteArray::number((0x100 - (sum & 0xFF)) & 0xFF, 16).rightJustified(2, '0');
        text += line.toUpper() + "\n";
    }
    text += ":00000001FF\n";
    twtest::writeBytes(path, text);
}

struct PeerState {
    bool ok = false;
    int pc = -1;
    std::vector<int> iram = std::vector<int>(256, -1), sfr = std::vector<int>(256, -1);
    std::vector<int> xram = std::vector<int>(65536, -1);
    QByteArray output;
};

// Rows of "dump /h": "0x<address> <bytes...> <ascii>".
void readDumpRows(const QByteArray &output, const QByteArray &command, std::vector<int> &into,
                  int addressDigits)
{
    const int start = output.indexOf(command);
    if (start < 0)
        return;
    const int end = output.indexOf("dump", start + command.size());
    const QList<QByteArray> lines = output.mid(start, end < 0 ? -1 : end - start).split('\n');
    const QRegularExpression row(QString("^0x([0-9a-f]{%1}) ((?:[0-9a-f]{2} ){1,16})").arg(addressDigits));
    for (const QByteArray &line : lines) {
        const auto match = row.match(QString::fromLatin1(line));
        if (!match.hasMatch())
            continue;
        int address = match.captured(1).toInt(nullptr, 16);
        for (const QString &b : match.captured(2).split(' ', Qt::SkipEmptyParts))
            if (address < static_cast<int>(into.size()))
                into[address++] = b.toInt(nullptr, 16);
    }
}

PeerState runS51(const QString &folder, const std::vector<std::uint8_t> &code,
                 const std::vector<std::uint8_t> &iram, int steps)
{
    writeIntelHex(folder + "/prog.ihx", code);
    QByteArray commands = "load \"" + QFile::encodeName(folder) + "/prog.ihx\"\nfill xram 0 0xffff 0\n";
    for (int at = 0; at < 256; at += 16) {
        commands += "set memory iram " + QByteArray::number(at);
        for (int k = 0; k < 16; ++k)
            commands += " " + QByteArray::number(iram[at + k]);
        commands += "\n";
    }
    if (steps > 0)
        commands += "step " + QByteArray::number(steps) + "\n";
    commands += "info registers\n";
    commands += "dump /h iram 0 0xff 16\ndump /h sfr 0x80 0xff 16\ndump /h xram 0 0xffff 16\nquit\n";
    twtest::writeBytes(folder + "/commands", commands);
    const auto result = twtest::runProgram("s51", {"-t", "8052", "-C", folder + "/commands"}, folder, 60000);
    PeerState state;
    state.output = result.out + result.err;
    const int registers = state.output.lastIndexOf("info registers");
    const QRegularExpression pcLine("^0x([0-9a-f]{4})  ", QRegularExpression::MultilineOption);
    const auto stop = pcLine.match(QString::fromLatin1(state.output.mid(registers)));
    if (registers < 0 || !stop.hasMatch())
        return state;
    state.pc = stop.captured(1).toInt(nullptr, 16);
    readDumpRows(state.output, "dump /h iram", state.iram, 2);
    readDumpRows(state.output, "dump /h sfr", state.sfr, 2);
    readDumpRows(state.output, "dump /h xram", state.xram, 4);
    state.ok = true;
    return state;
}

// SFRs compared: all but the serial buffer (s51 keeps a separate receive register), P as above.
int comparedSfr(const std::vector<int> &sfr, int address)
{
    if (address == tw::Sfr::SBUF)
        return 0;
    return address == tw::Sfr::PSW ? sfr[address] & 0xFE : sfr[address];
}
int comparedSfr(const tw::Cpu51 &cpu, int address)
{
    return comparedSfr(std::vector<int>(cpu.sfr.begin(), cpu.sfr.end()), address);
}

struct Trial {
    QString folder;
    std::vector<std::uint8_t> code, iram;
};

// Runs both for the given number of steps; returns the differences (empty when they agree).
std::string differences(const Trial &run, int steps, std::string &coreState)
{
    twtest::Machine m({});
    m.cpu->loadCode(run.code.data(), static_cast<std::int32_t>(run.code.size()));
    m.cpu->reset();
    std::copy(run.iram.begin(), run.iram.end(), m.cpu->iram.begin());
    m.cpu->run(static_cast<std::uint64_t>(steps));
    coreState = m.state();

    const PeerState peer = runS51(run.folder, run.code, run.iram, steps);
    if (!peer.ok)
        return "s51 gave no state:\n" + peer.output.left(2000).toStdString();
    std::string out;
    char line[80];
    auto note = [&](const char *area, int address, int core, int other) {
        if (out.size() < 600) {
            std::snprintf(line, sizeof line, "%s %04X: core %02X s51 %02X\n", area, address, core, other);
            out += line;
        }
    };
    if (m.cpu->pc != peer.pc)
        note("PC", 0, m.cpu->pc, peer.pc);
    for (int a = 0; a < 256; ++a)
        if (m.cpu->iram[a] != peer.iram[a])
            note("IRAM", a, m.cpu->iram[a], peer.iram[a]);
    for (int a = 0x80; a < 256; ++a)
        if (comparedSfr(*m.cpu, a) != comparedSfr(peer.sfr, a))
            note("SFR", a, m.cpu->sfr[a], peer.sfr[a]);
    for (int a = 0; a < 65536; ++a)
        if (m.cpu->xram[a] != peer.xram[a])
            note("XRAM", a, m.cpu->xram[a], peer.xram[a]);
    return out;
}

// The first step count at which the two disagree, by bisection (they agree at 0 steps).
int firstDivergence(const Trial &run, int failingSteps)
{
    int good = 0, bad = failingSteps;
    std::string ignored;
    while (bad - good > 1) {
        const int middle = (good + bad) / 2;
        (differences(run, middle, ignored).empty() ? good : bad) = middle;
    }
    return bad;
}

} // namespace

TEST(S51Differential, RandomProgramsAgreeWithUcsim)
{
    if (!twtest::havePeer("s51"))
        GTEST_SKIP() << "s51 (sdcc-ucsim) not installed";
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    constexpr int kPrograms = 60;
    for (int program = 0; program < kPrograms; ++program) {
        ProgramGenerator generator(0x5151u + static_cast<std::uint32_t>(program));
        Trial run{folder.path(), generator.image(260), generator.iram()};
        std::string coreState;
        const std::string diff = differences(run, kStepsPerProgram, coreState);
        if (diff.empty())
            continue;
        const int step = firstDivergence(run, kStepsPerProgram);
        std::string before, after;
        differences(run, step - 1, before);
        const std::string firstDiff = differences(run, step, after);
        char code[64];
        const auto pcText = before.substr(before.find("PC=") + 3, 4);
        const int pc = std::stoi(pcText, nullptr, 16);
        std::snprintf(code, sizeof code, "%02X %02X %02X", run.code[pc], run.code[(pc + 1) & 0xFFFF],
                      run.code[(pc + 2) & 0xFFFF]);
        ADD_FAILURE() << "program " << program << " first differs after step " << step << ", instruction at "
                      << pcText << ": " << code << "\nbefore: " << before << "\nafter:  " << after << "\n"
                      << firstDiff;
        break;
    }
}
