// Random instruction programs run in this core and in s51 (ucsim); memories and registers must
// agree. Left out are the parts this simulator models differently on purpose: timers, interrupts,
// the watchdog, the serial port, PCON idle/power-down and the second data pointer. The
// instruction templates and the s51 command script are in tests/data/simulator/s51/.
#include "simulator/Cpu51.h"
#include "simulator/StateDump.h"
#include "support/TestFiles.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <random>
#include <sstream>

namespace
{
using namespace tw;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint16_t kSubroutines = 0x0700; // the main body stays in the first 2K page for ACALL
constexpr int kSubroutineCount = 8, kStepsPerProgram = 4000;

struct Template {
    bool safe = false; // may appear in subroutines
    int weight = 0;
    std::vector<std::string> fields;
};

std::vector<Template> loadTemplates()
{
    std::vector<Template> out;
    std::istringstream in(twtest::readBytes(twtest::dataPath("simulator/s51/templates.txt")).toStdString());
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream words(line);
        std::string group;
        Template t;
        words >> group >> t.weight;
        t.safe = group == "safe";
        for (std::string field; words >> field;)
            t.fields.push_back(field);
        out.push_back(t);
    }
    return out;
}

std::uint8_t high(unsigned v)
{
    return static_cast<std::uint8_t>(v >> 8);
}
std::uint8_t low(unsigned v)
{
    return static_cast<std::uint8_t>(v);
}

class ProgramGenerator
{
  public:
    ProgramGenerator(std::uint32_t seed, const std::vector<Template> &templates)
        : random_(seed), templates_(templates)
    {
    }

    // A 64K image: random code from 0000h with forward branches, jumps and calls, ending in
    // SJMP $; subroutines at 0700h; random bytes for MOVC at 1000h.
    Bytes image(int units)
    {
        Bytes code(65536, 0);
        std::uint16_t at = kSubroutines;
        for (auto &address : subroutines_) {
            address = at;
            for (int k = 0; k < 4; ++k)
                for (std::uint8_t b : expand(choose(true)))
                    code[at++] = b;
            code[at++] = pick(4) ? 0x22 : 0x32; // RET, or RETI with no interrupt in service
        }
        for (int k = 0x1000; k < 0x1100; ++k)
            code[k] = byte();
        Bytes body;
        for (int k = 0; k < units; ++k) {
            const Bytes next = pick(20) == 0 ? jump(body.size()) : pick(10) == 0 ? call() : unit(0);
            body.insert(body.end(), next.begin(), next.end());
        }
        body.insert(body.end(), {0x80, 0xFE});
        EXPECT_LT(body.size(), kSubroutines);
        std::copy(body.begin(), body.end(), code.begin());
        return code;
    }

    Bytes iram()
    {
        Bytes bytes(256);
        for (auto &b : bytes)
            b = byte();
        return bytes;
    }

  private:
    std::mt19937 random_;
    const std::vector<Template> &templates_;
    std::array<std::uint16_t, kSubroutineCount> subroutines_{};

    std::uint8_t byte() { return static_cast<std::uint8_t>(random_()); }
    int pick(int count) { return static_cast<int>(random_() % static_cast<unsigned>(count)); }

    const Template &choose(bool safeOnly)
    {
        int total = 0;
        for (const Template &t : templates_)
            total += t.safe || !safeOnly ? t.weight : 0;
        int left = pick(total);
        for (const Template &t : templates_)
            if ((t.safe || !safeOnly) && (left -= t.weight) < 0)
                return t;
        return templates_.front();
    }

    // One instruction; a branch comes with the unit it skips, so every target is a boundary.
    Bytes unit(int depth)
    {
        const Template &t = choose(depth >= 4);
        Bytes bytes = expand(t);
        if (t.fields.back() == "rel") {
            const Bytes skipped = unit(depth + 1);
            bytes.back() = static_cast<std::uint8_t>(skipped.size());
            bytes.insert(bytes.end(), skipped.begin(), skipped.end());
        }
        return bytes;
    }

    Bytes expand(const Template &t)
    {
        Bytes out;
        for (const std::string &field : t.fields) {
            if (field == "rd" || field == "wd" || field == "md")
                out.push_back(direct(field != "rd", field == "md"));
            else if (field == "rb" || field == "wb")
                out.push_back(bit(field == "wb"));
            else if (field == "rel")
                out.push_back(0);
            else if (field[0] == '+')
                out.back() = static_cast<std::uint8_t>(out.back() + pick(std::stoi(field.substr(1))));
            else {
                std::vector<std::string> choices;
                std::istringstream in(field);
                for (std::string choice; std::getline(in, choice, '|');)
                    choices.push_back(choice);
                const std::string &chosen = choices[pick(static_cast<int>(choices.size()))];
                out.push_back(chosen == "##" ? byte()
                                             : static_cast<std::uint8_t>(std::stoi(chosen, nullptr, 16)));
            }
        }
        return out;
    }

    std::uint8_t direct(bool written, bool modified)
    {
        static const std::uint8_t sfrs[] = {0xE0, 0xF0, 0x81, 0xD0, 0x82, 0x83, 0x80, 0x90, 0xA0, 0x89,
                                            0x8A, 0x8B, 0x8C, 0x8D, 0xA8, 0xB8, 0xCA, 0xCB, 0xCC, 0xCD};
        for (;;) {
            const auto a = static_cast<std::uint8_t>(pick(3) ? pick(0x80) : sfrs[pick(std::size(sfrs))]);
            if (!(a == Sfr::SP && written) && !(a == Sfr::PSW && (!written || modified)))
                return a;
        }
    }

    std::uint8_t bit(bool written)
    {
        static const std::uint8_t bases[] = {0xE0, 0xF0, 0xD0, 0x80, 0x90, 0xA0, 0xA8, 0xB8};
        for (;;) {
            const auto b = static_cast<std::uint8_t>(pick(2) ? pick(0x80) : bases[pick(8)] + pick(8));
            if (b != Bit::P && !(written && (b == Bit::RS0 || b == Bit::RS1)))
                return b;
        }
    }

    // LJMP, AJMP or JMP @A+DPTR over the next unit.
    Bytes jump(std::size_t at)
    {
        const Bytes skipped = unit(1);
        const int form = pick(3);
        static constexpr int kLength[] = {3, 2, 6};
        const auto target = static_cast<std::uint16_t>(at + kLength[form] + skipped.size());
        Bytes out = {0x02, high(target), low(target)};
        if (form == 1) {
            out = {static_cast<std::uint8_t>(0x01 | high(target) << 5), low(target)};
        } else if (form == 2) {
            const auto offset = static_cast<std::uint8_t>(pick(std::min<int>(target, 0x100)));
            const auto base = static_cast<std::uint16_t>(target - offset);
            out = {0x90, high(base), low(base), 0x74, offset, 0x73}; // MOV DPTR; MOV A; JMP @A+DPTR
        }
        out.insert(out.end(), skipped.begin(), skipped.end());
        return out;
    }

    Bytes call()
    {
        const std::uint16_t target = subroutines_[pick(kSubroutineCount)];
        if (pick(2))
            return {0x12, high(target), low(target)};
        return {static_cast<std::uint8_t>(0x11 | high(target) << 5), low(target)};
    }
};

struct Trial {
    QString folder;
    Bytes code, iram;
};

struct PeerState {
    int pc = -1;
    std::vector<int> iram = std::vector<int>(256, -1), sfr = std::vector<int>(256, -1);
    std::vector<int> xram = std::vector<int>(65536, -1);
};

// Rows of "dump /h": "0x<address> <bytes...> <ascii>", up to the next dump.
void readDump(const QByteArray &output, const QByteArray &command, std::vector<int> &into, int digits)
{
    const int start = output.indexOf(command);
    if (start < 0)
        return;
    const int end = output.indexOf("dump", start + command.size());
    const QRegularExpression row(QString("^0x([0-9a-f]{%1}) ((?:[0-9a-f]{2} ){1,16})").arg(digits));
    for (const QByteArray &line : output.mid(start, end < 0 ? -1 : end - start).split('\n')) {
        const auto match = row.match(QString::fromLatin1(line));
        int address = match.captured(1).toInt(nullptr, 16);
        for (const QString &b : match.captured(2).split(' ', Qt::SkipEmptyParts))
            if (address < static_cast<int>(into.size()))
                into[address++] = b.toInt(nullptr, 16);
    }
}

std::optional<PeerState> runS51(const Trial &run, int steps, std::string &output)
{
    const QString bin = run.folder + "/prog.bin", hex = run.folder + "/prog.ihx";
    twtest::writeBytes(bin, QByteArray(reinterpret_cast<const char *>(run.code.data()), 65536));
    twtest::runProgram("srec_cat", {bin, "-binary", "-o", hex, "-intel", "-address-length=2"}, run.folder);
    QString setIram;
    for (int at = 0; at < 256; at += 16) {
        setIram += "set memory iram " + QString::number(at);
        for (int k = 0; k < 16; ++k)
            setIram += " " + QString::number(run.iram[at + k]);
        setIram += "\n";
    }
    const QString step = steps > 0 ? QString("step %1\n").arg(steps) : QString();
    const QString script =
        QString::fromUtf8(twtest::readBytes(twtest::dataPath("simulator/s51/commands.txt")));
    twtest::writeBytes(run.folder + "/commands", script.arg(run.folder, setIram, step).toUtf8());
    const auto result =
        twtest::runProgram("s51", {"-t", "8052", "-C", run.folder + "/commands"}, run.folder, 60000);
    const QByteArray out = result.out + result.err;
    output = out.left(2000).toStdString();
    const int registers = out.lastIndexOf("info registers");
    const QRegularExpression pcLine("^0x([0-9a-f]{4})  ", QRegularExpression::MultilineOption);
    const auto stop = pcLine.match(QString::fromLatin1(out.mid(registers)));
    if (registers < 0 || !stop.hasMatch())
        return std::nullopt;
    PeerState state;
    state.pc = stop.captured(1).toInt(nullptr, 16);
    readDump(out, "dump /h iram", state.iram, 2);
    readDump(out, "dump /h sfr", state.sfr, 2);
    readDump(out, "dump /h xram", state.xram, 4);
    return state;
}

std::unique_ptr<Cpu51> coreAfter(const Trial &run, int steps)
{
    auto cpu = std::make_unique<Cpu51>();
    cpu->loadCode(run.code.data(), static_cast<std::int32_t>(run.code.size()));
    cpu->reset();
    std::copy(run.iram.begin(), run.iram.end(), cpu->iram.begin());
    cpu->run(static_cast<std::uint64_t>(steps));
    return cpu;
}

// Runs both for the given number of steps; returns the differences (empty when they agree).
// SBUF is left out (s51 keeps a separate receive register), and P, which s51 keeps as written.
std::string differences(const Trial &run, int steps)
{
    const auto cpu = coreAfter(run, steps);
    std::string output;
    const auto peer = runS51(run, steps, output);
    if (!peer)
        return "s51 gave no state:\n" + output;
    std::string out;
    auto note = [&](const char *area, int address, int core, int other) {
        char line[80];
        std::snprintf(line, sizeof line, "%s %04X: core %02X s51 %02X\n", area, address, core, other);
        if (out.size() < 600)
            out += line;
    };
    if (cpu->pc != peer->pc)
        note("PC", 0, cpu->pc, peer->pc);
    for (int a = 0; a < 256; ++a)
        if (cpu->iram[a] != peer->iram[a])
            note("IRAM", a, cpu->iram[a], peer->iram[a]);
    for (int a = 0x80; a < 256; ++a) {
        const int mask = a == Sfr::SBUF ? 0 : a == Sfr::PSW ? 0xFE : 0xFF;
        if ((cpu->sfr[a] & mask) != (peer->sfr[a] & mask))
            note("SFR", a, cpu->sfr[a], peer->sfr[a]);
    }
    for (int a = 0; a < 65536; ++a)
        if (cpu->xram[a] != peer->xram[a])
            note("XRAM", a, cpu->xram[a], peer->xram[a]);
    return out;
}

} // namespace

TEST(S51Differential, RandomProgramsAgreeWithUcsim)
{
    TW_REQUIRE_PROGRAMS(QStringLiteral("s51"), QStringLiteral("srec_cat"));
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::vector<Template> templates = loadTemplates();
    ASSERT_FALSE(templates.empty());
    for (int program = 0; program < 60; ++program) {
        ProgramGenerator generator(0x5151u + static_cast<std::uint32_t>(program), templates);
        const Trial run{folder.path(), generator.image(260), generator.iram()};
        if (differences(run, kStepsPerProgram).empty())
            continue;
        // Bisect for the first step at which they disagree (they agree at 0 steps).
        int good = 0, bad = kStepsPerProgram;
        while (bad - good > 1) {
            const int middle = (good + bad) / 2;
            (differences(run, middle).empty() ? good : bad) = middle;
        }
        const auto before = coreAfter(run, bad - 1);
        char code[64];
        std::snprintf(code, sizeof code, "%04X: %02X %02X %02X", before->pc, run.code[before->pc],
                      run.code[(before->pc + 1) & 0xFFFF], run.code[(before->pc + 2) & 0xFFFF]);
        ADD_FAILURE() << "program " << program << " first differs after step " << bad << ", instruction at "
                      << code << "\nbefore: " << registerSummary(*before)
                      << "\nafter:  " << registerSummary(*coreAfter(run, bad)) << "\n"
                      << differences(run, bad);
        break;
    }
}
