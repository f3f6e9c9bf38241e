// The instruction executor: one case per opcode, the semantics in short functions named by
// operand form. No allocation, virtual call or text work happens per instruction.
#include "simulator/Cpu51.h"
#include "simulator/Flags51.h"

#include <functional>

namespace tw
{
namespace
{

using u8 = std::uint8_t;
using u16 = std::uint16_t;

// The executor's view of the CPU: pc lives here, in a register while a loop runs, instead of in
// the Cpu51 object, where every byte store into a RAM array would force the compiler to reload it.
struct Exec {
    Cpu51 &cpu;
    u16 pc;
    u8 bankBase; // IRAM address of R0; refreshed where PSW may have changed
    // An SFR write with an action happened (PCON, SBUF, ...): a batch looks at the CPU mode and
    // the transmit records then. Set on entry too: P is read as stored until the first
    // instruction is done.
    bool attention = true;

    explicit Exec(Cpu51 &c) : cpu(c), pc(c.pc), bankBase(static_cast<u8>(c.bank * 8)) {}
    void bankChanged() { bankBase = static_cast<u8>(cpu.bank * 8); }
};

// Pushes pc low byte first, as calls do.
inline void pushReturnAddress(Exec &c)
{
    c.cpu.push(static_cast<u8>(c.pc & 0xFF));
    c.cpu.push(static_cast<u8>(c.pc >> 8));
}
inline u8 fetch(Exec &c)
{
    return c.cpu.code[c.pc++];
}
inline u8 &acc(Exec &c)
{
    return c.cpu.sfr[Sfr::ACC];
}
inline u8 &reg(Exec &c, int n)
{
    return c.cpu.iram[static_cast<u8>(c.bankBase + n)];
}
inline u8 &indirect(Exec &c, int i)
{
    return c.cpu.iram[reg(c, i)];
}
inline unsigned carryIn(const Exec &c)
{
    return c.cpu.sfr[Sfr::PSW] >> 7;
}
inline void setCarry(Exec &c, bool on)
{
    c.cpu.sfr[Sfr::PSW] = flags::withFlag(c.cpu.sfr[Sfr::PSW], flags::kCarry, on);
}
inline void countWatchdog(Exec &c)
{
    if (c.cpu.wdtArmed)
        ++c.cpu.wdtCount;
}

// A bit write may switch the register bank (RS0, RS1); one into IE or IP holds the next poll off
// (Cpu51::setBit).
inline void setBit(Exec &c, u8 address, bool value)
{
    c.cpu.setBit(address, value);
    if (address >= 0x80)
        c.bankChanged();
}

// Relative jumps take the offset as the last operand byte; pc already points past it.
inline void jumpRelative(Exec &c, u8 rel)
{
    c.pc = static_cast<u16>(c.pc + static_cast<std::int8_t>(rel));
}
// A real branch, not a conditional move: the host predicts a loop's jumps well, while a
// conditional move would make the next fetch wait for the condition (a DJNZ loop runs at half
// speed).
inline void branchIf(Exec &c, bool taken)
{
    const u8 rel = fetch(c);
    if (taken) {
        jumpRelative(c, rel);
        __asm__ volatile("");
    }
}

// A write through a direct address by one of the instructions that trigger the SFR actions
// (and the transmit logic for SBUF).
inline void writeDirectNotified(Exec &c, u8 address, u8 value)
{
    c.cpu.writeDirect(address, value);
    if (Cpu51::hasWriteEffect(address)) {
        c.cpu.afterDirectWrite(address);
        c.bankChanged();
        c.attention = true;
    }
}

// ---- accumulator arithmetic ----
inline void addA(Exec &c, u8 s)
{
    acc(c) = flags::add(c.cpu.sfr[Sfr::PSW], acc(c), s, 0);
}
inline void addcA(Exec &c, u8 s)
{
    acc(c) = flags::add(c.cpu.sfr[Sfr::PSW], acc(c), s, carryIn(c));
}
inline void subbA(Exec &c, u8 s)
{
    acc(c) = flags::subtract(c.cpu.sfr[Sfr::PSW], acc(c), s, carryIn(c));
}

inline void compareJump(Exec &c, u8 left, u8 right)
{
    setCarry(c, left < right);
    branchIf(c, left != right);
}

inline void mulAB(Exec &c)
{
    const unsigned product = acc(c) * c.cpu.sfr[Sfr::B];
    acc(c) = static_cast<u8>(product);
    c.cpu.sfr[Sfr::B] = static_cast<u8>(product >> 8);
    u8 &psw = c.cpu.sfr[Sfr::PSW];
    psw = flags::withFlag(flags::withFlag(psw, flags::kCarry, false), flags::kOverflow, product > 0xFF);
}

// Division by zero keeps A and B and sets OV.
inline void divAB(Exec &c)
{
    const u8 a = acc(c), b = c.cpu.sfr[Sfr::B];
    u8 &psw = c.cpu.sfr[Sfr::PSW];
    psw = flags::withFlag(flags::withFlag(psw, flags::kCarry, false), flags::kOverflow, b == 0);
    if (b != 0) {
        acc(c) = static_cast<u8>(a / b);
        c.cpu.sfr[Sfr::B] = static_cast<u8>(a % b);
    }
}

inline void rotateRight(Exec &c)
{
    acc(c) = static_cast<u8>(acc(c) >> 1 | acc(c) << 7);
}
inline void rotateLeft(Exec &c)
{
    acc(c) = static_cast<u8>(acc(c) << 1 | acc(c) >> 7);
}
inline void rotateRightCarry(Exec &c)
{
    const u8 a = acc(c);
    acc(c) = static_cast<u8>(carryIn(c) << 7 | a >> 1);
    setCarry(c, a & 1);
}
inline void rotateLeftCarry(Exec &c)
{
    const u8 a = acc(c);
    acc(c) = static_cast<u8>(a << 1 | carryIn(c));
    setCarry(c, a & 0x80);
}

// ---- direct operands ----
inline u8 readDirectOperand(Exec &c)
{
    return c.cpu.readDirect(fetch(c));
}

// Read-modify-write of a direct byte with A or an immediate byte (ORL, ANL, XRL, INC, DEC).
template <typename Op> inline void modifyDirect(Exec &c, u8 address, u8 operand, Op op)
{
    writeDirectNotified(c, address, static_cast<u8>(op(c.cpu.readDirect(address), operand)));
}
template <typename Op> inline void modifyDirectWithA(Exec &c, Op op)
{
    const u8 address = fetch(c);
    modifyDirect(c, address, acc(c), op);
}
// INC and DEC direct.
template <typename Op> inline void modifyDirectBy(Exec &c, Op op)
{
    const u8 address = fetch(c);
    modifyDirect(c, address, 1, op);
}
template <typename Op> inline void modifyDirectWithImmediate(Exec &c, Op op)
{
    const u8 address = fetch(c), data = fetch(c);
    modifyDirect(c, address, data, op);
}
inline void movDirectImmediate(Exec &c)
{
    const u8 address = fetch(c), data = fetch(c);
    writeDirectNotified(c, address, data);
}
// Encoded source first: 85h, src, dest.
inline void movDirectDirect(Exec &c)
{
    const u8 value = readDirectOperand(c);
    writeDirectNotified(c, fetch(c), value);
}
inline void xchADirect(Exec &c)
{
    const u8 address = fetch(c), a = acc(c);
    acc(c) = c.cpu.readDirect(address);
    writeDirectNotified(c, address, a);
}
inline void djnzDirect(Exec &c)
{
    const u8 address = fetch(c);
    const u8 value = static_cast<u8>(c.cpu.readDirect(address) - 1);
    writeDirectNotified(c, address, value);
    branchIf(c, value != 0);
}
inline void movDirectRegister(Exec &c, int n)
{
    writeDirectNotified(c, fetch(c), reg(c, n));
    countWatchdog(c);
}
// POP SP stores after the decrement, so SP ends as the popped byte.
inline void popDirect(Exec &c)
{
    const u8 value = c.cpu.pop();
    writeDirectNotified(c, fetch(c), value);
}
// SP is incremented before the source is read: PUSH SP stores the new SP.
inline void pushDirect(Exec &c)
{
    const u8 address = fetch(c);
    ++c.cpu.sp();
    c.cpu.iram[c.cpu.sp()] = c.cpu.readDirect(address);
}

// ---- registers ----
inline void djnzRegister(Exec &c, int n)
{
    u8 &r = reg(c, n);
    r = static_cast<u8>(r - 1);
    branchIf(c, r != 0);
    countWatchdog(c);
}
inline void cjneRegister(Exec &c, int n)
{
    const u8 value = reg(c, n);
    compareJump(c, value, fetch(c));
    countWatchdog(c);
}

// ---- indirect ----
inline void xchdAIndirect(Exec &c, int i)
{
    u8 &m = indirect(c, i);
    const u8 a = acc(c);
    acc(c) = static_cast<u8>((a & 0xF0) | (m & 0x0F));
    m = static_cast<u8>((m & 0xF0) | (a & 0x0F));
}
inline void xch(Exec &c, u8 &m)
{
    const u8 a = acc(c);
    acc(c) = m;
    m = a;
}

// ---- bits ----
inline void jumpOnBit(Exec &c, bool wantSet)
{
    const u8 bit = fetch(c);
    branchIf(c, c.cpu.bit(bit) == wantSet);
}
inline void jbc(Exec &c)
{
    const u8 bit = fetch(c);
    const bool set = c.cpu.bit(bit);
    if (set)
        setBit(c, bit, false);
    branchIf(c, set);
}
inline void setBitOperand(Exec &c, bool value)
{
    setBit(c, fetch(c), value);
}
inline void cplBit(Exec &c)
{
    const u8 bit = fetch(c);
    setBit(c, bit, !c.cpu.bit(bit));
}
inline void orlCarryBit(Exec &c, bool invert)
{
    const bool operand = c.cpu.bit(fetch(c)) != invert;
    setCarry(c, carryIn(c) || operand);
}
inline void anlCarryBit(Exec &c, bool invert)
{
    const bool operand = c.cpu.bit(fetch(c)) != invert;
    setCarry(c, carryIn(c) && operand);
}

// ---- jumps and calls ----
inline void absoluteJump(Exec &c, u8 opcode)
{
    const u8 low = fetch(c);
    c.pc = static_cast<u16>((c.pc & 0xF800) | (opcode >> 5) << 8 | low);
}
inline void absoluteCall(Exec &c, u8 opcode)
{
    const u8 low = fetch(c);
    pushReturnAddress(c);
    c.pc = static_cast<u16>((c.pc & 0xF800) | (opcode >> 5) << 8 | low);
}
inline u16 fetchAddress16(Exec &c)
{
    const u8 high = fetch(c);
    return static_cast<u16>(high << 8 | fetch(c));
}
inline void longCall(Exec &c)
{
    const u16 target = fetchAddress16(c);
    pushReturnAddress(c);
    c.pc = target;
}
inline void ret(Exec &c)
{
    const u8 high = c.cpu.pop();
    c.pc = static_cast<u16>(high << 8 | c.cpu.pop());
}
// Ends the routine in service; the poll after it takes no interrupt, so the program it returns
// to runs one instruction even while a request stays pending.
inline void reti(Exec &c)
{
    ret(c);
    if (c.cpu.intHigh)
        c.cpu.intHigh = false;
    else
        c.cpu.intLow = false;
    c.cpu.holdPollAndRefresh();
}

// ---- external data and code ----
inline void xramWrite(Exec &c, u16 address)
{
    c.cpu.xram[address] = acc(c);
    c.cpu.xramWritten = address;
    c.cpu.xramRowsWritten.set(address >> 4);
}
inline u16 pagedAddress(Exec &c, int i)
{
    return static_cast<u16>(c.cpu.sfr[Sfr::P2] << 8 | reg(c, i));
}
inline void movxAPaged(Exec &c, int i)
{
    acc(c) = c.cpu.xram[pagedAddress(c, i)];
    c.cpu.xramReadViaRi = true;
}
inline void incDptr(Exec &c)
{
    c.cpu.setDptr(static_cast<u16>(c.cpu.dptr() + 1));
}

#define TW_CASE8(base)                                                                                       \
    case base:                                                                                               \
    case base + 1:                                                                                           \
    case base + 2:                                                                                           \
    case base + 3:                                                                                           \
    case base + 4:                                                                                           \
    case base + 5:                                                                                           \
    case base + 6:                                                                                           \
    case base + 7
#define TW_CASE2(base)                                                                                       \
    case base:                                                                                               \
    case base + 1

// clang-format off
[[gnu::always_inline]] inline void execute(Exec &c, u8 op)
{
    const int n = op & 7; // register number of columns x8-xF
    const int i = op & 1; // pointer register of columns x6-x7
    switch (op) {
    // column x0
    case 0x00: break;
    case 0x10: jbc(c); break;
    case 0x20: jumpOnBit(c, true); break;
    case 0x30: jumpOnBit(c, false); break;
    case 0x40: branchIf(c, carryIn(c)); break;
    case 0x50: branchIf(c, !carryIn(c)); break;
    case 0x60: branchIf(c, acc(c) == 0); break;
    case 0x70: branchIf(c, acc(c) != 0); break;
    case 0x80: branchIf(c, true); break;
    case 0x90: c.cpu.setDptr(fetchAddress16(c)); break;
    case 0xA0: orlCarryBit(c, true); break;
    case 0xB0: anlCarryBit(c, true); break;
    case 0xC0: pushDirect(c); break;
    case 0xD0: popDirect(c); break;
    case 0xE0: acc(c) = c.cpu.xram[c.cpu.dptr()]; break;
    case 0xF0: xramWrite(c, c.cpu.dptr()); break;
    // column x1
    case 0x01: case 0x21: case 0x41: case 0x61: case 0x81: case 0xA1: case 0xC1: case 0xE1:
        absoluteJump(c, op); break;
    case 0x11: case 0x31: case 0x51: case 0x71: case 0x91: case 0xB1: case 0xD1: case 0xF1:
        absoluteCall(c, op); break;
    // column x2
    case 0x02: c.pc = fetchAddress16(c); break;
    case 0x12: longCall(c); break;
    case 0x22: ret(c); break;
    case 0x32: reti(c); break;
    case 0x42: modifyDirectWithA(c, std::bit_or<>()); break;
    case 0x52: modifyDirectWithA(c, std::bit_and<>()); break;
    case 0x62: modifyDirectWithA(c, std::bit_xor<>()); break;
    case 0x72: orlCarryBit(c, false); break;
    case 0x82: anlCarryBit(c, false); break;
    case 0x92: setBitOperand(c, carryIn(c)); break;
    case 0xA2: setCarry(c, c.cpu.bit(fetch(c))); break;
    case 0xB2: cplBit(c); break;
    case 0xC2: setBitOperand(c, false); break;
    case 0xD2: setBitOperand(c, true); break;
    case 0xE2: movxAPaged(c, 0); break;
    case 0xF2: xramWrite(c, pagedAddress(c, 0)); break;
    // column x3
    case 0x03: rotateRight(c); break;
    case 0x13: rotateRightCarry(c); break;
    case 0x23: rotateLeft(c); break;
    case 0x33: rotateLeftCarry(c); break;
    case 0x43: modifyDirectWithImmediate(c, std::bit_or<>()); break;
    case 0x53: modifyDirectWithImmediate(c, std::bit_and<>()); break;
    case 0x63: modifyDirectWithImmediate(c, std::bit_xor<>()); break;
    case 0x73: c.pc = static_cast<u16>(acc(c) + c.cpu.dptr()); break;
    case 0x83: acc(c) = c.cpu.code[static_cast<u16>(acc(c) + c.pc)]; break;
    case 0x93: acc(c) = c.cpu.code[static_cast<u16>(acc(c) + c.cpu.dptr())]; break;
    case 0xA3: incDptr(c); break;
    case 0xB3: setCarry(c, !carryIn(c)); break;
    case 0xC3: setCarry(c, false); break;
    case 0xD3: setCarry(c, true); break;
    case 0xE3: movxAPaged(c, 1); break;
    case 0xF3: xramWrite(c, pagedAddress(c, 1)); break;
    // column x4
    case 0x04: ++acc(c); break;
    case 0x14: --acc(c); break;
    case 0x24: addA(c, fetch(c)); break;
    case 0x34: addcA(c, fetch(c)); break;
    case 0x44: acc(c) |= fetch(c); break;
    case 0x54: acc(c) &= fetch(c); break;
    case 0x64: acc(c) ^= fetch(c); break;
    case 0x74: acc(c) = fetch(c); break;
    case 0x84: divAB(c); break;
    case 0x94: subbA(c, fetch(c)); break;
    case 0xA4: mulAB(c); break;
    case 0xB4: compareJump(c, acc(c), fetch(c)); break;
    case 0xC4: acc(c) = static_cast<u8>(acc(c) << 4 | acc(c) >> 4); break;
    case 0xD4: acc(c) = flags::decimalAdjust(c.cpu.sfr[Sfr::PSW], acc(c)); break;
    case 0xE4: acc(c) = 0; break;
    case 0xF4: acc(c) = static_cast<u8>(~acc(c)); break;
    // column x5
    case 0x05: modifyDirectBy(c, std::plus<>()); break;
    case 0x15: modifyDirectBy(c, std::minus<>()); break;
    case 0x25: addA(c, readDirectOperand(c)); break;
    case 0x35: addcA(c, readDirectOperand(c)); break;
    case 0x45: acc(c) |= readDirectOperand(c); break;
    case 0x55: acc(c) &= readDirectOperand(c); break;
    case 0x65: acc(c) ^= readDirectOperand(c); break;
    case 0x75: movDirectImmediate(c); break;
    case 0x85: movDirectDirect(c); break;
    case 0x95: subbA(c, readDirectOperand(c)); break;
    case 0xA5: break; // unassigned: a one-byte no-op
    case 0xB5: compareJump(c, acc(c), readDirectOperand(c)); break;
    case 0xC5: xchADirect(c); break;
    case 0xD5: djnzDirect(c); break;
    case 0xE5: acc(c) = readDirectOperand(c); break;
    case 0xF5: writeDirectNotified(c, fetch(c), acc(c)); break;
    // columns x6, x7
    TW_CASE2(0x06): ++indirect(c, i); break;
    TW_CASE2(0x16): --indirect(c, i); break;
    TW_CASE2(0x26): addA(c, indirect(c, i)); break;
    TW_CASE2(0x36): addcA(c, indirect(c, i)); break;
    TW_CASE2(0x46): acc(c) |= indirect(c, i); break;
    TW_CASE2(0x56): acc(c) &= indirect(c, i); break;
    TW_CASE2(0x66): acc(c) ^= indirect(c, i); break;
    TW_CASE2(0x76): indirect(c, i) = fetch(c); break;
    TW_CASE2(0x86): writeDirectNotified(c, fetch(c), indirect(c, i)); break;
    TW_CASE2(0x96): subbA(c, indirect(c, i)); break;
    TW_CASE2(0xA6): indirect(c, i) = readDirectOperand(c); break;
    TW_CASE2(0xB6): compareJump(c, indirect(c, i), fetch(c)); break;
    TW_CASE2(0xC6): xch(c, indirect(c, i)); break;
    TW_CASE2(0xD6): xchdAIndirect(c, i); break;
    TW_CASE2(0xE6): acc(c) = indirect(c, i); break;
    TW_CASE2(0xF6): indirect(c, i) = acc(c); break;
    // columns x8-xF
    TW_CASE8(0x08): ++reg(c, n); break;
    TW_CASE8(0x18): --reg(c, n); break;
    TW_CASE8(0x28): addA(c, reg(c, n)); break;
    TW_CASE8(0x38): addcA(c, reg(c, n)); break;
    TW_CASE8(0x48): acc(c) |= reg(c, n); break;
    TW_CASE8(0x58): acc(c) &= reg(c, n); break;
    TW_CASE8(0x68): acc(c) ^= reg(c, n); break;
    TW_CASE8(0x78): reg(c, n) = fetch(c); break;
    TW_CASE8(0x88): movDirectRegister(c, n); break;
    TW_CASE8(0x98): subbA(c, reg(c, n)); break;
    TW_CASE8(0xA8): reg(c, n) = readDirectOperand(c); break;
    TW_CASE8(0xB8): cjneRegister(c, n); break;
    TW_CASE8(0xC8): xch(c, reg(c, n)); break;
    TW_CASE8(0xD8): djnzRegister(c, n); break;
    TW_CASE8(0xE8): acc(c) = reg(c, n); break;
    TW_CASE8(0xF8): reg(c, n) = acc(c); break;
    }
}
// clang-format on

#undef TW_CASE8
#undef TW_CASE2

// One instruction and what follows it, inlined into every loop below. P is not recomputed here:
// readers of PSW inside the core compute it, and the loops store it when they return.
// Returns whether the watchdog count passed its limit.
[[gnu::always_inline]] inline bool stepInline(Exec &x)
{
    execute(x, x.cpu.code[x.pc++]);
    if (x.cpu.pollDue()) {
        x.cpu.pc = x.pc;
        x.cpu.pollInterrupts();
        x.pc = x.cpu.pc;
    }
    if (!x.cpu.wdtArmed)
        return false;
    return ++x.cpu.wdtCount > Cpu51::kWatchdogLimit;
}

} // namespace

void Cpu51::enterCore()
{
    m_poll = 0; // a hold belongs to the instruction that set it, never to a write from outside
    syncDerivedState();
    m_storedParity = true;
}

// P as the last instruction left it; with none executed, PSW stays as the caller wrote it.
void Cpu51::leaveCore(std::uint64_t executed)
{
    if (executed)
        updateParity();
    m_storedParity = true;
}

// Flattened: every helper of the executor is inlined into the loops, whatever the inliner's budget.
[[gnu::flatten]] void Cpu51::step()
{
    enterCore();
    Exec x(*this);
    stepInline(x);
    pc = x.pc;
    leaveCore(1);
}

[[gnu::flatten]] std::uint64_t Cpu51::run(std::uint64_t maxSteps, std::int32_t stopAt)
{
    enterCore();
    Exec x(*this);
    std::uint64_t done = 0;
    if (done < maxSteps && static_cast<std::int32_t>(x.pc) != stopAt) {
        stepInline(x);
        ++done;
    }
    m_storedParity = false;
    while (done < maxSteps && static_cast<std::int32_t>(x.pc) != stopAt) {
        stepInline(x);
        ++done;
    }
    pc = x.pc;
    leaveCore(done);
    return done;
}

Cpu51::BatchEnd Cpu51::endBeforeInstruction(std::int32_t breakAt) const
{
    if (pc >= codeSize)
        return BatchEnd::EndOfCode;
    if (static_cast<std::int32_t>(pc) == breakAt)
        return BatchEnd::Breakpoint;
    if (cpuMode != 0)
        return BatchEnd::Asleep;
    if (watchdogExpired())
        return BatchEnd::Watchdog;
    if (baudGeneratorStopped != 0 || transmitCount >= kTransmitQueue)
        return BatchEnd::Serial;
    return BatchEnd::Count;
}

[[gnu::flatten]] Cpu51::Batch Cpu51::runBatch(std::uint64_t maxSteps, std::int32_t breakAt)
{
    enterCore();
    Batch batch;
    batch.end = maxSteps ? endBeforeInstruction(breakAt) : BatchEnd::Count;
    if (batch.end != BatchEnd::Count || !maxSteps) {
        leaveCore(0);
        return batch;
    }
    // Only the end of the code, the breakpoint and the count change with every instruction; the
    // CPU mode and the transmit records change only where x.attention is set, and the watchdog
    // count only while it is armed.
    Exec x(*this);
    const std::int32_t end = codeSize;
    for (;;) {
        const bool watchdogExpired = stepInline(x);
        ++batch.executed;
        if (watchdogExpired) {
            batch.end = BatchEnd::Watchdog;
            break;
        }
        if (x.attention) {
            x.attention = false;
            m_storedParity = false;
            pc = x.pc;
            if ((batch.end = endBeforeInstruction(breakAt)) != BatchEnd::Count)
                break;
        }
        if (batch.executed == maxSteps)
            break;
        if (x.pc >= end) {
            batch.end = BatchEnd::EndOfCode;
            break;
        }
        if (static_cast<std::int32_t>(x.pc) == breakAt) {
            batch.end = BatchEnd::Breakpoint;
            break;
        }
    }
    pc = x.pc;
    leaveCore(batch.executed);
    return batch;
}

} // namespace tw
