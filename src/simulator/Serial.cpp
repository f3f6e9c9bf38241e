#include "simulator/Serial.h"
#include "simulator/Timers.h"

#include "base/HexDigits.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>

namespace tw
{
namespace
{

// Overflow rates are whole numbers, halves rounded to even as the windows' roundHalfEven rounds:
// std::nearbyint in the default rounding mode.
double timer1Rate(const Cpu51 &c)
{
    static constexpr double kRange[3] = {8192, 65536, 256};
    if (c.timers.t1Mode > 2)
        return 0;
    return std::nearbyint(c.crystalMHz * 1e6 / ((kRange[c.timers.t1Mode] - c.timers.t1BaudCount) * 12));
}

double timer2Rate(const Cpu51 &c)
{
    return std::nearbyint(c.crystalMHz * 1e6 / ((65536.0 - c.timers.rcap2Count) * 2));
}

// Digit value as the receive feeder reads hex text: upper-case A-F and digits, 0 otherwise.
int digitValueOrZero(char ch)
{
    return std::max(hexDigitValue(static_cast<unsigned char>(ch)), 0);
}

} // namespace

SerialRate serialRate(Cpu51 &cpu, SerialSide side)
{
    cpu.decodeTimers();
    SerialRate r;
    r.mode = static_cast<std::uint8_t>(cpu.sfr[Sfr::SCON] >> 6);
    const bool smod = cpu.sfr[Sfr::PCON] & 0x80;
    const double clock = cpu.crystalMHz * 1e6;
    switch (r.mode) {
    case 0:
        r.rate = clock / 12;
        return r;
    case 2:
        r.rate = clock / (smod ? 32 : 64);
        return r;
    default:
        break;
    }
    const bool fromTimer2 =
        side == SerialSide::Transmit ? cpu.timers.t2TransmitClock : cpu.timers.t2ReceiveClock;
    if (fromTimer2) {
        r.timer = 2;
        r.rate = timer2Rate(cpu) / 16;
        r.running = cpu.bit(Bit::TR2);
    } else {
        r.timer = 1;
        r.rate = timer1Rate(cpu) / (smod ? 16 : 32);
        r.running = timer1Enabled(cpu) && !cpu.timers.t1Counter;
    }
    return r;
}

void Cpu51::serialTransmit()
{
    const SerialRate r = serialRate(*this, SerialSide::Transmit);
    if (!r.running)
        baudGeneratorStopped = r.timer;
    if (transmitCount < kTransmitQueue)
        transmits[transmitCount++] = TransmitRecord{r.rate, sfr[Sfr::SBUF], r.mode, bit(Bit::TB8), r.running};
    else
        ++transmitsDropped;
    setBit(Bit::TI, true);
}

std::string rateText(double rate)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.15G", rate); // 1E+16 for very large crystals, as elsewhere
    return text;
}

std::string transmitText(const Cpu51::TransmitRecord &record)
{
    std::string text{hexDigit(record.byte >> 4), hexDigit(record.byte)};
    if (record.mode >= 2) {
        text += '_';
        text += record.ninthBit ? '1' : '0';
    }
    text += ' ';
    return text;
}

std::string_view baudGeneratorMessage(int timer)
{
    return timer == 2 ? "波特率发生器（定时器2）未启动！" : "波特率发生器（定时器1）未启动！";
}

bool receiveSerialByte(Cpu51 &cpu, std::uint8_t byte, NinthBitRule rule)
{
    if (cpu.bit(Bit::RI) || !cpu.bit(Bit::REN))
        return false;
    cpu.sfr[Sfr::SBUF] = byte;
    cpu.setBit(Bit::RI, true);
    const bool oddOnes = std::popcount(byte) & 1;
    bool ninth = true;
    switch (rule) {
    case NinthBitRule::OddParity:
        ninth = !oddOnes;
        break;
    case NinthBitRule::EvenParity:
        ninth = oddOnes;
        break;
    case NinthBitRule::Zero:
        ninth = false;
        break;
    case NinthBitRule::One:
    case NinthBitRule::None:
        ninth = true;
        break;
    }
    if (cpu.sfr[Sfr::SCON] & 0xC0)
        cpu.setBit(Bit::RB8, ninth);
    return true;
}

FeedResult feedReceivedByte(Cpu51 &cpu, std::string &pending, NinthBitRule rule)
{
    if (pending.size() < 2) {
        pending.clear();
        return FeedResult::Finished;
    }
    const auto byte =
        static_cast<std::uint8_t>(digitValueOrZero(pending[0]) * 16 + digitValueOrZero(pending[1]));
    pending.erase(0, 2);
    return receiveSerialByte(cpu, byte, rule) ? FeedResult::Taken : FeedResult::Lost;
}

int SerialPages::takeTransmits(Cpu51 &cpu)
{
    for (std::uint32_t k = 0; k < cpu.transmitCount; ++k) {
        const Cpu51::TransmitRecord &record = cpu.transmits[k];
        modeDigit.assign(1, static_cast<char>('0' + record.mode));
        if (!record.sent)
            continue;
        transmitRate = crystalEmpty ? std::string() : rateText(record.rate);
        transmitLog += transmitText(record);
    }
    cpu.transmitCount = 0;
    const int stopped = cpu.baudGeneratorStopped;
    cpu.baudGeneratorStopped = 0;
    return stopped;
}

std::string_view SerialPages::send(Cpu51 &cpu)
{
    if (pending.size() % 2) {
        feeding = false;
        return kOddHexDigitsMessage;
    }
    const SerialRate r = serialRate(cpu, SerialSide::Receive);
    modeDigit.assign(1, static_cast<char>('0' + r.mode));
    if (r.running)
        receiveRate = crystalEmpty ? std::string() : rateText(r.rate);
    feeding = true;
    return r.running ? std::string_view() : baudGeneratorMessage(r.timer);
}

FeedResult SerialPages::feederTick(Cpu51 &cpu)
{
    const FeedResult result = feedReceivedByte(cpu, pending, rule);
    if (result == FeedResult::Finished)
        feeding = false;
    return result;
}

} // namespace tw
