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

inline u8 fetch(Cpu51 &c)
{
    return c.code[c.pc++];
}
inline u8 &acc(Cpu51 &c)
{
    return c.sfr[Sfr::ACC];
}
inline u8 &reg(Cpu51 &c, int n)
{
    return c.iram[c.registerAddress(n)];
}
inline u8 &indirect(Cpu51 &c, int i)
{
    return c.iram[reg(c, i)];
}
inline unsigned carryIn(const Cpu51 &c)
{
    return c.sfr[Sfr::PSW] >> 7;
}
inline void setCarry(Cpu51 &c, bool on)
{
    c.sfr[Sfr::PSW] = flags::withFlag(c.sfr[Sfr::PSW], flags::kCarry, on);
}
inline void countWatchdog(Cpu51 &c)
{
    if (c.wdtArmed)
        ++c.wdtCount;
}

// Relative jumps take the offset as the last operand byte; pc already points past it.
inline void jumpRelative(Cpu51 &c, u8 rel)
{
    c.pc = static_cast<u16>(c.pc + static_cast<std::int8_t>(rel));
}
inline void branchIf(Cpu51 &c, bool taken)
{
    const u8 rel = fetch(c);
    if (taken)
        jumpRelative(c, rel);
}

// A write through a direct address by one of the instructions that trigger the SFR actions
// (and the transmit logic for SBUF).
inline void writeDirectNotified(Cpu51 &c, u8 address, u8 value)
{
    c.writeDirect(address, value);
    if (address >= 0x80) {
        c.afterDirectWrite(address);
        if (address == Sfr::SBUF)
            c.serialTransmit();
    }
}

// ---- accumulator arithmetic ----
inline void addA(Cpu51 &c, u8 s)
{
    acc(c) = flags::add(c.sfr[Sfr::PSW], acc(c), s, 0);
}
inline void addcA(Cpu51 &c, u8 s)
{
    acc(c) = flags::add(c.sfr[Sfr::PSW], acc(c), s, carryIn(c));
}
inline void subbA(Cpu51 &c, u8 s)
{
    acc(c) = flags::subtract(c.sfr[Sfr::PSW], acc(c), s, carryIn(c));
}

inline void compareJump(Cpu51 &c, u8 left, u8 right)
{
    setCarry(c, left < right);
    branchIf(c, left != right);
}

inline void mulAB(Cpu51 &c)
{
    const unsigned product = acc(c) * c.sfr[Sfr::B];
    acc(c) = static_cast<u8>(product);
    c.sfr[Sfr::B] = static_cast<u8>(product >> 8);
    u8 &psw = c.sfr[Sfr::PSW];
    psw = flags::withFlag(flags::withFlag(psw, flags::kCarry, false), flags::kOverflow, product > 0xFF);
}

// Division by zero keeps A and B and sets OV.
inline void divAB(Cpu51 &c)
{
    const u8 a = acc(c), b = c.sfr[Sfr::B];
    u8 &psw = c.sfr[Sfr::PSW];
    psw = flags::withFlag(flags::withFlag(psw, flags::kCarry, false), flags::kOverflow, b == 0);
    if (b != 0) {
        acc(c) = static_cast<u8>(a / b);
        c.sfr[Sfr::B] = static_cast<u8>(a % b);
    }
}

inline void rotateRight(Cpu51 &c)
{
    acc(c) = static_cast<u8>(acc(c) >> 1 | acc(c) << 7);
}
inline void rotateLeft(Cpu51 &c)
{
    acc(c) = static_cast<u8>(acc(c) << 1 | acc(c) >> 7);
}
inline void rotateRightCarry(Cpu51 &c)
{
    const u8 a = acc(c);
    acc(c) = static_cast<u8>(carryIn(c) << 7 | a >> 1);
    setCarry(c, a & 1);
}
inline void rotateLeftCarry(Cpu51 &c)
{
    const u8 a = acc(c);
    acc(c) = static_cast<u8>(a << 1 | carryIn(c));
    setCarry(c, a & 0x80);
}

// ---- direct operands ----
inline u8 readDirectOperand(Cpu51 &c)
{
    return c.readDirect(fetch(c));
}

// Read-modify-write of a direct byte with A or an immediate byte (ORL, ANL, XRL, INC, DEC).
template <typename Op> inline void modifyDirect(Cpu51 &c, u8 address, u8 operand, Op op)
{
    writeDirectNotified(c, address, static_cast<u8>(op(c.readDirect(address), operand)));
}
template <typename Op> inline void modifyDirectWithA(Cpu51 &c, Op op)
{
    const u8 address = fetch(c);
    modifyDirect(c, address, acc(c), op);
}
// INC and DEC direct.
template <typename Op> inline void modifyDirectBy(Cpu51 &c, Op op)
{
    const u8 address = fetch(c);
    modifyDirect(c, address, 1, op);
}
template <typename Op> inline void modifyDirectWithImmediate(Cpu51 &c, Op op)
{
    const u8 address = fetch(c), data = fetch(c);
    modifyDirect(c, address, data, op);
}
inline void movDirectImmediate(Cpu51 &c)
{
    const u8 address = fetch(c), data = fetch(c);
    writeDirectNotified(c, address, data);
}
// Encoded source first: 85h, src, dest.
inline void movDirectDirect(Cpu51 &c)
{
    const u8 value = readDirectOperand(c);
    writeDirectNotified(c, fetch(c), value);
}
inline void xchADirect(Cpu51 &c)
{
    const u8 address = fetch(c), a = acc(c);
    acc(c) = c.readDirect(address);
    writeDirectNotified(c, address, a);
}
inline void djnzDirect(Cpu51 &c)
{
    const u8 address = fetch(c);
    const u8 value = static_cast<u8>(c.readDirect(address) - 1);
    writeDirectNotified(c, address, value);
    branchIf(c, value != 0);
}
inline void movDirectRegister(Cpu51 &c, int n)
{
    writeDirectNotified(c, fetch(c), reg(c, n));
    countWatchdog(c);
}
// POP SP stores after the decrement, so SP ends as the popped byte.
inline void popDirect(Cpu51 &c)
{
    const u8 value = c.pop();
    writeDirectNotified(c, fetch(c), value);
}
// SP is incremented before the source is read: PUSH SP stores the new SP.
inline void pushDirect(Cpu51 &c)
{
    const u8 address = fetch(c);
    ++c.sp();
    c.iram[c.sp()] = c.readDirect(address);
}

// ---- registers ----
inline void djnzRegister(Cpu51 &c, int n)
{
    u8 &r = reg(c, n);
    r = static_cast<u8>(r - 1);
    branchIf(c, r != 0);
    countWatchdog(c);
}
inline void cjneRegister(Cpu51 &c, int n)
{
    const u8 value = reg(c, n);
    compareJump(c, value, fetch(c));
    countWatchdog(c);
}

// ---- indirect ----
inline void xchdAIndirect(Cpu51 &c, int i)
{
    u8 &m = indirect(c, i);
    const u8 a = acc(c);
    acc(c) = static_cast<u8>((a & 0xF0) | (m & 0x0F));
    m = static_cast<u8>((m & 0xF0) | (a & 0x0F));
}
inline void xch(Cpu51 &c, u8 &m)
{
    const u8 a = acc(c);
    acc(c) = m;
    m = a;
}

// ---- bits ----
inline void jumpOnBit(Cpu51 &c, bool wantSet)
{
    const u8 bit = fetch(c);
    branchIf(c, c.bit(bit) == wantSet);
}
inline void jbc(Cpu51 &c)
{
    const u8 bit = fetch(c);
    const bool set = c.bit(bit);
    if (set)
        c.setBit(bit, false);
    branchIf(c, set);
}
inline void setBitOperand(Cpu51 &c, bool value)
{
    c.setBit(fetch(c), value);
}
inline void cplBit(Cpu51 &c)
{
    const u8 bit = fetch(c);
    c.setBit(bit, !c.bit(bit));
}
inline void orlCarryBit(Cpu51 &c, bool invert)
{
    const bool operand = c.bit(fetch(c)) != invert;
    setCarry(c, carryIn(c) || operand);
}
inline void anlCarryBit(Cpu51 &c, bool invert)
{
    const bool operand = c.bit(fetch(c)) != invert;
    setCarry(c, carryIn(c) && operand);
}

// ---- jumps and calls ----
inline void absoluteJump(Cpu51 &c, u8 opcode)
{
    const u8 low = fetch(c);
    c.pc = static_cast<u16>((c.pc & 0xF800) | (opcode >> 5) << 8 | low);
}
inline void absoluteCall(Cpu51 &c, u8 opcode)
{
    const u8 low = fetch(c);
    c.pushPc();
    c.pc = static_cast<u16>((c.pc & 0xF800) | (opcode >> 5) << 8 | low);
}
inline u16 fetchAddress16(Cpu51 &c)
{
    const u8 high = fetch(c);
    return static_cast<u16>(high << 8 | fetch(c));
}
inline void longCall(Cpu51 &c)
{
    const u16 target = fetchAddress16(c);
    c.pushPc();
    c.pc = target;
}
inline void ret(Cpu51 &c)
{
    const u8 high = c.pop();
    c.pc = static_cast<u16>(high << 8 | c.pop());
}
inline void reti(Cpu51 &c)
{
    ret(c);
    if (c.intHigh)
        c.intHigh = false;
    else
        c.intLow = false;
}

// ---- external data and code ----
inline void xramWrite(Cpu51 &c, u16 address)
{
    c.xram[address] = acc(c);
    c.xramWritten = address;
}
inline u16 pagedAddress(Cpu51 &c, int i)
{
    return static_cast<u16>(c.sfr[Sfr::P2] << 8 | reg(c, i));
}
inline void movxAPaged(Cpu51 &c, int i)
{
    acc(c) = c.xram[pagedAddress(c, i)];
    c.xramReadViaRi = true;
}
inline void incDptr(Cpu51 &c)
{
    c.setDptr(static_cast<u16>(c.dptr() + 1));
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
inline void execute(Cpu51 &c, u8 op)
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
    case 0x90: c.setDptr(fetchAddress16(c)); break;
    case 0xA0: orlCarryBit(c, true); break;
    case 0xB0: anlCarryBit(c, true); break;
    case 0xC0: pushDirect(c); break;
    case 0xD0: popDirect(c); break;
    case 0xE0: acc(c) = c.xram[c.dptr()]; break;
    case 0xF0: xramWrite(c, c.dptr()); break;
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
    case 0xA2: setCarry(c, c.bit(fetch(c))); break;
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
    case 0x73: c.pc = static_cast<u16>(acc(c) + c.dptr()); break;
    case 0x83: acc(c) = c.code[static_cast<u16>(acc(c) + c.pc)]; break;
    case 0x93: acc(c) = c.code[static_cast<u16>(acc(c) + c.dptr())]; break;
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
    case 0xD4: acc(c) = flags::decimalAdjust(c.sfr[Sfr::PSW], acc(c)); break;
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

} // namespace

void Cpu51::step()
{
    execute(*this, code[pc++]);
    // A changes in many ways (direct writes to E0h, bit writes, POP ACC); P follows A always,
    // even after a direct or bit write to PSW.0.
    updateParity();
    if (sfr[Sfr::IE] & 0x80)
        pollInterrupts();
    countWatchdog(*this);
}

std::uint64_t Cpu51::run(std::uint64_t maxSteps, std::int32_t stopAt)
{
    std::uint64_t done = 0;
    while (done < maxSteps && static_cast<std::int32_t>(pc) != stopAt) {
        step();
        ++done;
    }
    return done;
}

} // namespace tw
