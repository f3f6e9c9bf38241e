// The CPU core driven by the scenario files in tests/data/simulator/core/ (their README lists the
// commands): instructions, interrupts, SFR write effects, the watchdog, timers, pins and the
// serial port, each case from a reset CPU through the same calls the simulator window makes.
#include "Cpu51TestSupport.h"
#include "simulator/Pins.h"
#include "simulator/Serial.h"
#include "simulator/StatusTexts.h"
#include "simulator/Watchdog.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <map>
#include <optional>
#include <sstream>

namespace
{
using namespace tw;

const std::map<std::string, std::uint8_t> kSfrNames = {
    {"A", Sfr::ACC},       {"B", Sfr::B},           {"PSW", Sfr::PSW},       {"SP", Sfr::SP},
    {"DPL", Sfr::DPL},     {"DPH", Sfr::DPH},       {"DP1L", Sfr::DP1L},     {"DP1H", Sfr::DP1H},
    {"P0", Sfr::P0},       {"P1", Sfr::P1},         {"P2", Sfr::P2},         {"P3", Sfr::P3},
    {"IE", Sfr::IE},       {"IP", Sfr::IP},         {"TCON", Sfr::TCON},     {"TMOD", Sfr::TMOD},
    {"TL0", Sfr::TL0},     {"TH0", Sfr::TH0},       {"TL1", Sfr::TL1},       {"TH1", Sfr::TH1},
    {"SCON", Sfr::SCON},   {"SBUF", Sfr::SBUF},     {"PCON", Sfr::PCON},     {"T2CON", Sfr::T2CON},
    {"T2MOD", Sfr::T2MOD}, {"RCAP2L", Sfr::RCAP2L}, {"RCAP2H", Sfr::RCAP2H}, {"TL2", Sfr::TL2},
    {"TH2", Sfr::TH2},     {"AUXR1", Sfr::AUXR1},   {"WDTRST", Sfr::WDTRST}, {"AUXR", Sfr::AUXR},
    {"WCON", Sfr::WCON},   {"SPCR", Sfr::SPCR}};
const std::map<std::string, std::uint8_t> kBitNames = {
    {"CY", Bit::CY},   {"AC", Bit::AC},   {"OV", Bit::OV},     {"P", Bit::P},     {"IE0", Bit::IE0},
    {"IE1", Bit::IE1}, {"TF0", Bit::TF0}, {"TR1", Bit::TR1},   {"TF1", Bit::TF1}, {"RI", Bit::RI},
    {"TI", Bit::TI},   {"RB8", Bit::RB8}, {"EXF2", Bit::EXF2}, {"TF2", Bit::TF2}};
const std::map<std::string, NinthBitRule> kRules = {{"none", NinthBitRule::None},
                                                    {"even", NinthBitRule::EvenParity},
                                                    {"odd", NinthBitRule::OddParity},
                                                    {"one", NinthBitRule::One},
                                                    {"zero", NinthBitRule::Zero}};
const char *const kFeedResults[] = {"finished", "taken", "lost"};

template <class T> long access(T &field, std::optional<long> value)
{
    if (value)
        field = static_cast<T>(*value);
    return static_cast<long>(field);
}

// Splits at blanks outside double quotes; the quotes are dropped.
std::vector<std::string> words(const std::string &line)
{
    std::vector<std::string> out;
    bool quoted = false, open = false;
    for (char ch : line) {
        if (ch == '"') {
            quoted = !quoted;
            if (!open)
                out.emplace_back();
            open = true;
        } else if (ch == ' ' && !quoted) {
            open = false;
        } else {
            if (!open)
                out.emplace_back();
            out.back() += ch;
            open = true;
        }
    }
    return out;
}

long number(const std::string &text)
{
    return text.starts_with('#') ? std::stol(text.substr(1)) : std::stol(text, nullptr, 16);
}

// "P3.2" -> pin button 26.
int pinIndex(const std::string &name)
{
    return (name[1] - '0') * 8 + (name[3] - '0');
}

struct Scenario {
    twtest::Machine machine{{}};
    PinButtons pins;
    SerialPages page;
    std::string message, fed;
    int taken = 0;
    long ran = 0;
    Cpu51 &cpu = *machine.cpu;

    // Numeric state by name: SFR and bit names, 2-digit direct addresses, @HH internal RAM,
    // XHHHH/CHHHH external and code memory, L.<register> the baud-rate latches, and the rest.
    std::optional<long> numeric(const std::string &key, std::optional<long> value)
    {
        if (auto s = kSfrNames.find(key); s != kSfrNames.end())
            return access(cpu.sfr[s->second], value);
        if (auto b = kBitNames.find(key); b != kBitNames.end()) {
            if (value)
                cpu.setBit(b->second, *value != 0);
            return cpu.bit(b->second);
        }
        if (key.size() == 2 && std::isxdigit(key[0]) && std::isxdigit(key[1])) {
            const auto at = static_cast<std::uint8_t>(std::stoi(key, nullptr, 16));
            return access(at < 0x80 ? cpu.iram[at] : cpu.sfr[at], value);
        }
        const std::string tail = key.substr(1);
        switch (key[0]) {
        case '@':
            return access(cpu.iram[std::stoul(tail, nullptr, 16)], value);
        case 'X':
            return access(cpu.xram[std::stoul(tail, nullptr, 16)], value);
        case 'C':
            return access(cpu.code[std::stoul(tail, nullptr, 16)], value);
        }
        if (key.starts_with("bit:")) {
            const auto at = static_cast<std::uint8_t>(std::stoul(key.substr(4), nullptr, 16));
            if (value)
                cpu.setBit(at, *value != 0);
            return cpu.bit(at);
        }
        if (key.starts_with("entered"))
            return access(cpu.interruptEntered[std::stoul(key.substr(7))], value);
        const std::map<std::string, std::function<long(std::optional<long>)>> fields = {
            {"PC", [&](auto v) { return access(cpu.pc, v); }},
            {"mode", [&](auto v) { return access(cpu.cpuMode, v); }},
            {"wdt", [&](auto v) { return access(cpu.wdtCount, v); }},
            {"armed", [&](auto v) { return access(cpu.wdtArmed, v); }},
            {"seq", [&](auto v) { return access(cpu.wdtSequence, v); }},
            {"ih", [&](auto v) { return access(cpu.intHigh, v); }},
            {"il", [&](auto v) { return access(cpu.intLow, v); }},
            {"bank", [&](auto v) { return access(cpu.bank, v); }},
            {"stopped", [&](auto v) { return access(cpu.baudGeneratorStopped, v); }},
            {"txcount", [&](auto v) { return access(cpu.transmitCount, v); }},
            {"dropped", [&](auto v) { return access(cpu.transmitsDropped, v); }},
            {"xw", [&](auto v) { return access(cpu.xramWritten, v); }},
            {"viaRi", [&](auto v) { return access(cpu.xramReadViaRi, v); }},
            {"t0mode", [&](auto v) { return access(cpu.timers.t0Mode, v); }},
            {"L.TL1", [&](auto v) { return access(cpu.latches.tl1, v); }},
            {"L.TH1", [&](auto v) { return access(cpu.latches.th1, v); }},
            {"L.RCAP2L", [&](auto v) { return access(cpu.latches.rcap2l, v); }},
            {"L.RCAP2H", [&](auto v) { return access(cpu.latches.rcap2h, v); }},
            {"crystalEmpty", [&](auto v) { return access(page.crystalEmpty, v); }},
            {"feeding", [&](auto v) { return access(page.feeding, v); }},
            {"taken", [&](auto v) { return access(taken, v); }},
            {"ran", [&](auto v) { return access(ran, v); }},
            {"tx0", [&](auto v) { return access(cpu.transmits[0].byte, v); }},
            {"tx1", [&](auto v) { return access(cpu.transmits[1].byte, v); }},
            {"tx2", [&](auto v) { return access(cpu.transmits[2].byte, v); }},
            {"tx5", [&](auto v) { return access(cpu.transmits[5].byte, v); }},
        };
        if (auto f = fields.find(key); f != fields.end())
            return f->second(value);
        if (key.starts_with("P") && key.size() == 4 && key[2] == '.')
            return access(pins.level[static_cast<std::size_t>(pinIndex(key))], value);
        return std::nullopt;
    }

    std::optional<std::string> text(const std::string &key, const std::string *value)
    {
        std::map<std::string, std::string *> fields = {{"log", &page.transmitLog},
                                                       {"smode", &page.modeDigit},
                                                       {"rate", &page.transmitRate},
                                                       {"rrate", &page.receiveRate},
                                                       {"pending", &page.pending},
                                                       {"msg", &message},
                                                       {"feed", &fed}};
        if (auto f = fields.find(key); f != fields.end()) {
            if (value)
                *f->second = *value;
            return *f->second;
        }
        if (key.starts_with("panel"))
            return std::string(statusPanelText(cpu, std::stoi(key.substr(5))));
        if (key == "crystal") {
            if (value)
                cpu.crystalMHz = std::stod(*value);
            return std::to_string(cpu.crystalMHz);
        }
        if (key == "baudT" || key == "baudR" || key == "rateT" || key == "rateR") {
            const SerialRate r =
                serialRate(cpu, key.back() == 'T' ? SerialSide::Transmit : SerialSide::Receive);
            if (key.starts_with("rate"))
                return rateText(r.rate);
            return std::to_string(r.timer) + (r.running ? " on" : " off");
        }
        return std::nullopt;
    }

    void step(int count)
    {
        for (int k = 0; k < count; ++k) {
            if (cpu.cpuMode != 0) // the step command does nothing while idle or powered down
                continue;
            resetIfWatchdogExpired(cpu);
            cpu.step();
        }
    }

    // Runs one command; returns an error text for a failed check or a bad line.
    std::string command(const std::vector<std::string> &w)
    {
        const std::string &op = w[0];
        const auto count = [&](int fallback) {
            return w.size() > 1 ? static_cast<int>(number("#" + w[1])) : fallback;
        };
        if (op == "code") {
            auto at = static_cast<std::uint16_t>(std::stoul(w[1], nullptr, 16));
            for (std::size_t k = 2; k < w.size(); ++k)
                cpu.code[at++] = static_cast<std::uint8_t>(std::stoul(w[k], nullptr, 16));
            cpu.codeSize = std::max<int>(cpu.codeSize, at);
        } else if (op == "asm") {
            return assemble(w[1]);
        } else if (op == "step") {
            step(count(1));
        } else if (op == "run") {
            ran = static_cast<long>(cpu.run(std::stoull(w[1]), w.size() > 2 ? number(w[2]) : -1));
        } else if (op == "tick") {
            for (int k = count(1); k > 0; --k)
                cpu.tick1ms();
        } else if (op == "click") {
            for (std::size_t k = 1; k < w.size(); ++k)
                pins.click(cpu, pinIndex(w[k]));
        } else if (op == "latches") {
            pins.showLatches(cpu);
        } else if (op == "reset51") {
            cpu.reset();
        } else if (op == "reset") {
            resetCommand(cpu);
        } else if (op == "take") {
            taken = page.takeTransmits(cpu);
        } else if (op == "send") {
            message = page.send(cpu);
        } else if (op == "stoppedMessage") {
            message = baudGeneratorMessage(cpu.baudGeneratorStopped);
        } else if (op == "feed") {
            fed = kFeedResults[static_cast<int>(feedReceivedByte(cpu, page.pending, kRules.at(w[1])))];
        } else if (op == "feederTick") {
            fed = kFeedResults[static_cast<int>(page.feederTick(cpu))];
        } else if (op == "receive") {
            receiveSerialByte(cpu, static_cast<std::uint8_t>(number(w[1])), kRules.at(w[2]));
        } else if (op == "set" || op == "expect") {
            std::string errors;
            for (std::size_t k = 1; k < w.size(); ++k) {
                const auto eq = w[k].find('=');
                const std::string key = w[k].substr(0, eq);
                std::string want = w[k].substr(eq + 1), got;
                const bool set = op == "set";
                if (auto t = text(key, set ? &want : nullptr)) {
                    got = *t;
                } else {
                    const long n = number(want);
                    const auto v = numeric(key, set ? std::optional(n) : std::nullopt);
                    if (!v)
                        return "unknown key " + key;
                    got = std::to_string(*v), want = std::to_string(n);
                }
                if (!set && got != want)
                    errors += key + ": want " + want + ", got " + got + "\n";
            }
            return errors;
        } else {
            return "unknown command " + op;
        }
        return {};
    }

    // Assembles tests/data/simulator/core/NAME with as31 and loads it as the window does.
    std::string assemble(const std::string &name)
    {
        QTemporaryDir dir;
        const QString source = dir.filePath(QString::fromStdString(name)), image = dir.filePath("out.bin");
        QFile::copy(twtest::dataPath("simulator/core/" + QString::fromStdString(name)), source);
        const auto result = twtest::runProgram("as31", {"-Fbin", "-O" + image, source}, dir.path());
        const QByteArray bytes = twtest::readBytes(image);
        if (result.exitCode != 0 || bytes.isEmpty())
            return "as31 failed on " + name + ": " + result.err.toStdString();
        cpu.loadCode(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                     static_cast<int>(bytes.size()));
        cpu.reset();
        return {};
    }
};

// Commands are separated by ';' or line ends; "== title" starts a case, '#' a comment line.
void runFile(const QString &path)
{
    std::istringstream in(twtest::readBytes(path).toStdString());
    const std::string file = QFileInfo(path).fileName().toStdString();
    std::unique_ptr<Scenario> scenario;
    std::string title, line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (line.starts_with("== ")) {
            title = line.substr(3);
            scenario = std::make_unique<Scenario>();
            continue;
        }
        if (line.empty() || line[0] == '#')
            continue;
        int repeat = 1;
        if (line.starts_with("repeat ")) {
            const auto colon = line.find(':');
            repeat = std::stoi(line.substr(7, colon - 7));
            line.erase(0, colon + 1);
        }
        for (std::istringstream commands(line); repeat > 0; --repeat, commands = std::istringstream(line))
            for (std::string part; std::getline(commands, part, ';');) {
                const auto w = words(part);
                if (w.empty())
                    continue;
                ASSERT_TRUE(scenario) << file << ":" << number << " before the first case";
                std::string error;
                try {
                    error = scenario->command(w);
                } catch (const std::exception &e) {
                    error = std::string("bad line: ") + e.what();
                }
                if (!error.empty())
                    ADD_FAILURE_AT(file.c_str(), number) << title << ": " << part << "\n"
                                                         << error << "\n"
                                                         << registerSummary(scenario->cpu);
            }
    }
}

} // namespace

TEST(CoreScenarios, EveryCaseInTheScenarioFilesHolds)
{
    ASSERT_TRUE(twtest::havePeer("as31"));
    const QDir folder(twtest::dataPath("simulator/core"));
    const QStringList files = folder.entryList({"*.txt"}, QDir::Files, QDir::Name);
    ASSERT_FALSE(files.isEmpty());
    for (const QString &name : files)
        runFile(folder.filePath(name));
}

TEST(CoreScenarios, RateTextsKeepFifteenDigits)
{
    EXPECT_EQ(rateText(1e18 / 12), "8.33333333333333E+16");
    EXPECT_EQ(rateText(2403.84375), "2403.84375");
}
