#pragma once
// The MCS-51 CPU core of the simulator: an 8052-class part with a second data pointer, a watchdog
// and the SPI register set. Plain C++ (no Qt): the window reads the public state after each step
// and derives its views and status texts from it.
#include <array>
#include <bitset>
#include <cstdint>

namespace tw
{

// Direct addresses of the special-function registers.
namespace Sfr
{
inline constexpr std::uint8_t P0 = 0x80, SP = 0x81, DPL = 0x82, DPH = 0x83, DP1L = 0x84, DP1H = 0x85,
                              SPDR = 0x86, PCON = 0x87, TCON = 0x88, TMOD = 0x89, TL0 = 0x8A, TL1 = 0x8B,
                              TH0 = 0x8C, TH1 = 0x8D, AUXR = 0x8E, P1 = 0x90, WCON = 0x96, SCON = 0x98,
                              SBUF = 0x99, P2 = 0xA0, AUXR1 = 0xA2, WDTRST = 0xA6, IE = 0xA8, SPSR = 0xAA,
                              P3 = 0xB0, IP = 0xB8, T2CON = 0xC8, T2MOD = 0xC9, RCAP2L = 0xCA, RCAP2H = 0xCB,
                              TL2 = 0xCC, TH2 = 0xCD, PSW = 0xD0, SPCR = 0xD5, ACC = 0xE0, B = 0xF0;
} // namespace Sfr

// Bit addresses with a fixed role.
namespace Bit
{
inline constexpr std::uint8_t P = 0xD0, OV = 0xD2, RS0 = 0xD3, RS1 = 0xD4, F0 = 0xD5, AC = 0xD6, CY = 0xD7,
                              IT0 = 0x88, IE0 = 0x89, IT1 = 0x8A, IE1 = 0x8B, TR0 = 0x8C, TF0 = 0x8D,
                              TR1 = 0x8E, TF1 = 0x8F, RI = 0x98, TI = 0x99, RB8 = 0x9A, TB8 = 0x9B,
                              REN = 0x9C, EX0 = 0xA8, ET0 = 0xA9, EX1 = 0xAA, ET1 = 0xAB, ES = 0xAC,
                              ET2 = 0xAD, EA = 0xAF, PX0 = 0xB8, PT0 = 0xB9, PX1 = 0xBA, PT1 = 0xBB,
                              PS = 0xBC, PT2 = 0xBD, CPRL2 = 0xC8, CT2 = 0xC9, TR2 = 0xCA, EXEN2 = 0xCB,
                              TCLK = 0xCC, RCLK = 0xCD, EXF2 = 0xCE, TF2 = 0xCF;
} // namespace Bit

class Cpu51
{
  public:
    static constexpr int kCodeBytes = 65537; // one spare element above the 64K address space
    static constexpr int kXRamBytes = 65537;
    static constexpr std::int32_t kWatchdogLimit = 16382; // a count above this resets the CPU

    // ---- Memories ----
    std::array<std::uint8_t, kCodeBytes> code{}; // never written by instructions
    std::int32_t codeSize = 0;                   // bytes loaded; a run stops at pc >= codeSize
    std::array<std::uint8_t, kXRamBytes> xram{};
    std::array<std::uint8_t, 256> iram{}; // 80h-FFh reachable only through @Ri and the stack
    std::array<std::uint8_t, 256> sfr{};  // indexed by direct address; only 80h-FFh are used

    // ---- CPU state ----
    std::uint16_t pc = 0; // every code address wraps at 16 bits
    bool intHigh = false; // a high-priority interrupt is in service
    bool intLow = false;  // a low-priority interrupt is in service
    bool wdtArmed = false;
    std::int32_t wdtCount = 0;    // instructions counted since arming or the last feed
    std::int32_t wdtSequence = 0; // last two bytes written to WDTRST: previous*256 + newest
    std::uint8_t cpuMode = 0;     // 0 normal, 1 idle, 2 power-down
    // Register bank of PSW bits 4-3, kept in step with every PSW write inside the core so that a
    // register access does not decode PSW again; step() and the runs pick up writes to sfr[] made
    // from outside.
    std::uint8_t bank = 0;

    // TL1, TH1, RCAP2L, RCAP2H as last written by an instruction; only the baud-rate
    // computations read them.
    struct Latches {
        std::uint8_t tl1 = 0, th1 = 0, rcap2l = 0, rcap2h = 0;
    } latches;

    // Status-panel sources that have vectored ("响应中断" stays until reset): external 0,
    // timer 0, external 1, timer 1, serial port. Set by the interrupt poll, cleared by reset().
    std::array<bool, 5> interruptEntered{};

    // ---- Events of the last instructions, for the window; the window clears them ----
    // MOVX wrote external RAM at this address (-1: none since cleared).
    std::int32_t xramWritten = -1;
    // The 16-byte external-RAM rows MOVX wrote since the window last patched its view: a write
    // is recorded here, so a run need not hand over to the window after each one.
    std::bitset<4096> xramRowsWritten;
    // MOVX A,@Ri read external RAM (the window re-shows the external-RAM view).
    bool xramReadViaRi = false;
    // A transmit or receive found its baud-rate generator not running: 0 none, 1 timer 1,
    // 2 timer 2. The window shows the message after the instruction and stops a run.
    std::uint8_t baudGeneratorStopped = 0;

    // ---- Operations ----
    // Executes one instruction at pc (whatever cpuMode), then polls interrupts and counts the
    // watchdog. The watchdog limit and cpuMode are the caller's to check between steps.
    void step();
    // Steps until maxSteps instructions ran or pc == stopAt before an instruction (stopAt < 0:
    // never). Returns the number of instructions executed.
    std::uint64_t run(std::uint64_t maxSteps, std::int32_t stopAt = -1);

    // Why runBatch() returned.
    enum class BatchEnd : std::uint8_t {
        Count,      // maxSteps instructions ran
        EndOfCode,  // pc >= codeSize before an instruction
        Breakpoint, // pc == breakAt before an instruction
        Asleep,     // idle or power-down before an instruction
        Watchdog,   // the watchdog count passed its limit: the caller resets before going on
        Serial      // a transmit needs the window (records full, or baud-rate generator stopped)
    };
    struct Batch {
        std::uint64_t executed = 0;
        BatchEnd end = BatchEnd::Count;
    };
    // A window run's instructions without leaving the core: as step() each, stopping before an
    // instruction at the end of the code, the breakpoint (breakAt < 0: none), sleep or an expired
    // watchdog, and after one whose transmit the window must see.
    Batch runBatch(std::uint64_t maxSteps, std::int32_t breakAt);
    // The CPU reset: pc, mode, watchdog, SFR reset values. Leaves the RAMs, code, SBUF,
    // intHigh/intLow, wdtSequence and latches alone.
    void reset();
    // Copies a code image (at most 65536 bytes) to code memory and sets codeSize.
    void loadCode(const std::uint8_t *bytes, std::int32_t size);

    // Defined with the interrupt system: the poll at the end of an instruction. It takes at most
    // one pending interrupt, none at the end of RETI or of an instruction that wrote IE or IP (the
    // chip runs one more instruction first; holdPollAndRefresh() marks such an instruction). The
    // executor calls it only while pollDue() says it has something to do.
    void pollInterrupts();
    // Whether the poll after this instruction takes an interrupt or ends a hold: one byte to test
    // after every instruction. An interrupt counts when it is requested, enabled and not held off
    // by the one in service, as of the last refresh. Every change of IE, IP, TCON, SCON, T2CON or
    // the in-service flags inside the core refreshes it; code that writes sfr[] or intHigh/intLow
    // directly calls refreshInterrupts() (step() and the runs do so on entry).
    bool pollDue() const { return m_poll != 0; }
    void refreshInterrupts();
    // refreshInterrupts() after RETI or a write to IE or IP: the poll after the instruction
    // executing takes no interrupt. Out of line, as refreshInterrupts(), so that the executor's
    // inlined cases keep their shape. A hold set from outside a run ends when the run starts.
    void holdPollAndRefresh();
    // Brings the derived state (bank, interrupt readiness) in line with sfr[] and the in-service
    // flags after they were changed from outside the core.
    void syncDerivedState()
    {
        bank = static_cast<std::uint8_t>((sfr[Sfr::PSW] >> 3) & 3);
        refreshInterrupts();
    }
    // Defined with the SFR effects: the actions after an instruction wrote a direct address
    // 80h-FFh through one of the instructions that trigger them (PCON, latches, WDTRST, PSW,
    // the interrupt registers, and the transmit for SBUF).
    void afterDirectWrite(std::uint8_t address);
    // Direct addresses whose write has an action in afterDirectWrite().
    static bool hasWriteEffect(std::uint8_t address)
    {
        return kWriteEffects[address >> 5] >> (address & 31) & 1;
    }
    // Defined with the serial port: the transmit logic after such a write to SBUF (sets TI,
    // records baudGeneratorStopped).
    void serialTransmit();

    // ---- Access used by the executor and the peripherals ----
    bool watchdogExpired() const { return wdtCount > kWatchdogLimit; }
    std::uint8_t &psw() { return sfr[Sfr::PSW]; }
    std::uint8_t &sp() { return sfr[Sfr::SP]; }

    bool bit(std::uint8_t address) const { return (bitByteValue(address) >> (address & 7)) & 1; }
    // Bit writes into PSW or an interrupt register keep the bank and the interrupt readiness
    // current; one into IE or IP holds the poll after the instruction off.
    void setBit(std::uint8_t address, bool value)
    {
        std::uint8_t &byte = bitByte(address);
        const std::uint8_t mask = static_cast<std::uint8_t>(1u << (address & 7));
        byte = value ? static_cast<std::uint8_t>(byte | mask) : static_cast<std::uint8_t>(byte & ~mask);
        if (address >= 0x80) {
            const unsigned row = (address >> 3) & 15; // 80h, 88h .. F8h as 0 .. 15
            if (row == (Sfr::PSW >> 3 & 15))
                bank = static_cast<std::uint8_t>((sfr[Sfr::PSW] >> 3) & 3);
            else if (kInterruptRows >> row & 1)
                interruptBitWritten(row);
        }
    }
    // PSW as an instruction reads it. The executor does not recompute P after every instruction;
    // readers of PSW compute it from A instead, except outside a run and in the first instruction
    // after control comes into the core: whoever wrote sfr[] may have set P apart from A, and
    // that P is what they read.
    std::uint8_t pswWithParity() const { return m_storedParity ? sfr[Sfr::PSW] : pswParityFromA(); }
    std::uint8_t pswParityFromA() const
    {
        return static_cast<std::uint8_t>((sfr[Sfr::PSW] & 0xFE) | __builtin_parity(sfr[Sfr::ACC]));
    }
    std::uint8_t readDirect(std::uint8_t address) const
    {
        if (address < 0x80)
            return iram[address];
        return address == Sfr::PSW ? pswWithParity() : sfr[address];
    }
    void writeDirect(std::uint8_t address, std::uint8_t value)
    {
        (address < 0x80 ? iram[address] : sfr[address]) = value;
    }
    void push(std::uint8_t value)
    {
        ++sp();
        iram[sp()] = value;
    }
    std::uint8_t pop()
    {
        const std::uint8_t value = iram[sp()];
        --sp();
        return value;
    }
    // Pushes pc low byte first, as calls and interrupt entries do.
    void pushPc()
    {
        push(static_cast<std::uint8_t>(pc & 0xFF));
        push(static_cast<std::uint8_t>(pc >> 8));
    }
    // The data pointer AUXR1.0 selects: 82h/83h or 84h/85h.
    std::uint8_t dptrLowAddress() const { return (sfr[Sfr::AUXR1] & 1) ? Sfr::DP1L : Sfr::DPL; }
    std::uint16_t dptr() const
    {
        const std::uint8_t low = dptrLowAddress();
        return static_cast<std::uint16_t>(sfr[low + 1] << 8 | sfr[low]);
    }
    void setDptr(std::uint16_t value)
    {
        const std::uint8_t low = dptrLowAddress();
        sfr[low] = static_cast<std::uint8_t>(value & 0xFF);
        sfr[low + 1] = static_cast<std::uint8_t>(value >> 8);
    }
    // P := parity of A (odd number of ones gives 1). Done whenever control leaves the core, so
    // that whoever reads sfr[] afterwards (views, dump, tests) sees the P the chip would show.
    void updateParity() { sfr[Sfr::PSW] = pswParityFromA(); }

    // ==== Peripheral state: timers, serial port, interrupt bookkeeping ====
    // (appended by the peripheral code: Interrupts.cpp, SfrEffects.cpp, Timers.cpp, Serial.cpp)

    // TMOD and T2CON as the timers and the baud-rate computations read them; decodeTimers()
    // refreshes it before every tick, pin edge and baud computation.
    struct TimerSetup {
        std::uint8_t t0Mode = 0, t1Mode = 0;
        std::uint8_t t2Mode = 0; // 0 auto-reload, 1 capture, 2 baud-rate generator
        bool t0Ungated = false, t1Ungated = false;
        bool t0Counter = false, t1Counter = false, t2Counter = false;
        bool t2ReceiveClock = false, t2TransmitClock = false;
        std::int32_t t1BaudCount = 0; // from the TL1/TH1 latches by timer 1's mode
        std::int32_t rcap2Count = 0;  // from the RCAP2 latches
    } timers;

    // One write to SBUF as the transmit page shows it: the byte, the serial mode, TB8, whether
    // the byte went out (modes 1 and 3 need a running baud-rate generator) and the rate then.
    struct TransmitRecord {
        double rate = 0;
        std::uint8_t byte = 0, mode = 0;
        bool ninthBit = false, sent = false;
    };
    static constexpr std::uint32_t kTransmitQueue = 1024;
    // Transmits since the window last took them; the window drains them at least every
    // kTransmitQueue instructions (a transmit needs one), later ones are only counted.
    std::array<TransmitRecord, kTransmitQueue> transmits{};
    std::uint32_t transmitCount = 0;
    std::uint32_t transmitsDropped = 0;
    double crystalMHz = 11.0592; // the crystal box's value; used only for the baud-rate texts

    void decodeTimers();
    // The 1 ms tick: one count of every running timer in timer mode.
    void tick1ms();
    // A port pin button i (port * 8 + bit) changed to level; falling edges drive INT0/INT1,
    // the counter inputs T0, T1, T2 and T2EX.
    void pinEdge(int index, bool level);

    // ==== end of peripheral state ====

  private:
    // Bit-addressable SFR rows (address >> 3 & 15) of TCON, SCON, IE, IP and T2CON.
    static constexpr unsigned kInterruptRows = 1u << 1 | 1u << 3 | 1u << 5 | 1u << 7 | 1u << 9;
    // hasWriteEffect() as a 256-bit set: PCON, TCON, TL1, TH1, SCON, SBUF, WDTRST, IE, IP,
    // T2CON, RCAP2L, RCAP2H, PSW.
    static constexpr std::uint32_t kWriteEffects[8] = {
        0,
        0,
        0,
        0,
        (1u << (Sfr::PCON & 31)) | (1u << (Sfr::TCON & 31)) | (1u << (Sfr::TL1 & 31)) |
            (1u << (Sfr::TH1 & 31)) | (1u << (Sfr::SCON & 31)) | (1u << (Sfr::SBUF & 31)),
        (1u << (Sfr::WDTRST & 31)) | (1u << (Sfr::IE & 31)) | (1u << (Sfr::IP & 31)),
        (1u << (Sfr::T2CON & 31)) | (1u << (Sfr::RCAP2L & 31)) | (1u << (Sfr::RCAP2H & 31)) |
            (1u << (Sfr::PSW & 31)),
        0,
    };

    // setBit() into TCON, SCON, IE, IP or T2CON (row as setBit() counts them).
    void interruptBitWritten(unsigned row);
    void enterCore();
    void leaveCore(std::uint64_t executed);
    BatchEnd endBeforeInstruction(std::int32_t breakAt) const;

    // The poll's state: an interrupt would be taken (kPollReady), the instruction executing
    // holds the poll off (kPollHeld; set and ended within one instruction).
    static constexpr std::uint8_t kPollReady = 1, kPollHeld = 2;
    std::uint8_t m_poll = 0;
    bool m_storedParity = true;

    std::uint8_t bitByteValue(std::uint8_t address) const
    {
        if (address < 0x80)
            return iram[0x20 + (address >> 3)];
        return (address & 0xF8) == Sfr::PSW ? pswWithParity() : sfr[address & 0xF8];
    }
    std::uint8_t &bitByte(std::uint8_t address)
    {
        return address < 0x80 ? iram[0x20 + (address >> 3)] : sfr[address & 0xF8];
    }
};

} // namespace tw
