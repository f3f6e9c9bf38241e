#pragma once
// The serial port as the transmit and receive pages see it: the baud rate the program's set-up
// gives at the chosen crystal, the transmit record of every SBUF write, and the receive feeder
// that hands the user's hex bytes to SBUF one per second.
#include "simulator/Cpu51.h"

#include <string>
#include <string_view>

namespace tw
{

// Which clock flag of timer 2 applies: TCLK for transmitting, RCLK for receiving.
enum class SerialSide { Transmit, Receive };

struct SerialRate {
    std::uint8_t mode = 0;  // SM0 SM1 as 0..3
    double rate = 0;        // bits per second at Cpu51::crystalMHz
    std::uint8_t timer = 0; // modes 1 and 3: the baud-rate generator, 1 or 2; else 0
    bool running = true;    // false when that generator is not running: nothing goes out
};

// Decodes the timers first, so the rate follows TMOD, T2CON and the latches as they are now.
SerialRate serialRate(Cpu51 &cpu, SerialSide side);

// True when a run should hand over to the window before the next instruction: a transmit
// found its baud-rate generator stopped, or the transmit records are full.
inline bool serialNeedsWindow(const Cpu51 &cpu)
{
    return cpu.baudGeneratorStopped != 0 || cpu.transmitCount >= Cpu51::kTransmitQueue;
}

// A rate as the rate boxes show it: plain decimal, up to 15 significant digits ("9600",
// "2403.84375").
std::string rateText(double rate);
// What the transmit box appends for one byte: "41 " in modes 0 and 1, "41_1 " (with TB8) in
// modes 2 and 3.
std::string transmitText(const Cpu51::TransmitRecord &record);
// The message for Cpu51::baudGeneratorStopped (1 or 2), UTF-8.
std::string_view baudGeneratorMessage(int timer);
// The "发送" check's message for an odd number of hex digits, UTF-8.
inline constexpr std::string_view kOddHexDigitsMessage = "要发送的十六进制代码应是偶数位！";

// The 9th-bit choices of the receive page: 奇校验, 偶校验, 恒“1”, 恒“0”, Non.
enum class NinthBitRule { OddParity, EvenParity, One, Zero, None };

// One received byte: taken into SBUF with RI set (and RB8 from the rule in modes 1 to 3) when
// RI is clear and REN set; otherwise lost. Returns whether it was taken.
bool receiveSerialByte(Cpu51 &cpu, std::uint8_t byte, NinthBitRule rule);

enum class FeedResult {
    Finished, // nothing left to send: the feeder stops
    Taken,    // one byte went to SBUF
    Lost      // one byte was lost (receiver off, or RI not yet cleared)
};
// One tick of the 1 s feeder: takes the first two hex digits off pending. A single digit left
// over (typed while a transfer ran) is dropped and the feeder finishes.
FeedResult feedReceivedByte(Cpu51 &cpu, std::string &pending, NinthBitRule rule);

// The texts of the transmit and receive pages and the feeder's state, apart from the widgets:
// the window mirrors these strings into its boxes and runs feederTick() on its 1 s timer
// while feeding is set.
struct SerialPages {
    std::string transmitLog;  // bytes the program sent ("清空" empties it)
    std::string modeDigit;    // the serial mode of the last transmit or receive set-up
    std::string transmitRate; // rate boxes: empty while the crystal box is empty
    std::string receiveRate;
    std::string pending; // hex digits still to be sent to the program
    NinthBitRule rule = NinthBitRule::None;
    bool crystalEmpty = false;
    bool feeding = false;

    // Moves the CPU's transmit records into the texts. Returns the baud-rate generator an
    // instruction found stopped (1 or 2; 0 none) and clears that record: the window shows
    // its message and stops a run in progress.
    int takeTransmits(Cpu51 &cpu);
    // "发送": an odd number of digits stops the feeder and returns kOddHexDigitsMessage;
    // otherwise sets up the receive side and starts feeding, returning the stopped baud-rate
    // generator's message or an empty text.
    std::string_view send(Cpu51 &cpu);
    // One second of the feeder; Finished switches it off.
    FeedResult feederTick(Cpu51 &cpu);
};

} // namespace tw
