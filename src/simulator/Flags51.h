#pragma once
// The MCS-51 flag arithmetic, written once: ADD/ADDC, SUBB and DA A. Each takes PSW by reference,
// writes CY, AC and OV as the instruction does and returns the new accumulator; P is left to the
// readers of PSW, which compute it from A.
#include <cstdint>

namespace tw::flags
{

inline constexpr std::uint8_t kCarry = 0x80, kAuxCarry = 0x40, kOverflow = 0x04;

inline bool carry(std::uint8_t psw)
{
    return psw & kCarry;
}

inline std::uint8_t withFlag(std::uint8_t psw, std::uint8_t mask, bool on)
{
    return static_cast<std::uint8_t>(on ? psw | mask : psw & ~mask);
}

// ADD (carryIn = 0) and ADDC (carryIn = CY before the instruction).
inline std::uint8_t add(std::uint8_t &psw, std::uint8_t a, std::uint8_t s, unsigned carryIn)
{
    const unsigned sum = a + s + carryIn;
    const bool aux = (a & 0x0Fu) + (s & 0x0Fu) + carryIn > 0x0Fu;
    const bool cy = sum > 0xFFu;
    const bool carry6 = (a & 0x7Fu) + (s & 0x7Fu) + carryIn > 0x7Fu;
    psw = withFlag(withFlag(withFlag(psw, kAuxCarry, aux), kCarry, cy), kOverflow, cy != carry6);
    return static_cast<std::uint8_t>(sum);
}

// SUBB: a - s - borrowIn, borrows into AC (bit 3), CY (bit 7) and OV (bit 6 versus bit 7).
inline std::uint8_t subtract(std::uint8_t &psw, std::uint8_t a, std::uint8_t s, unsigned borrowIn)
{
    const bool aux = (a & 0x0Fu) < (s & 0x0Fu) + borrowIn;
    const bool cy = a < s + borrowIn;
    const bool borrow6 = (a & 0x7Fu) < (s & 0x7Fu) + borrowIn;
    psw = withFlag(withFlag(withFlag(psw, kAuxCarry, aux), kCarry, cy), kOverflow, cy != borrow6);
    return static_cast<std::uint8_t>(a - s - borrowIn);
}

// DA A, nibble by nibble; CY is only ever set, AC is left alone.
inline std::uint8_t decimalAdjust(std::uint8_t &psw, std::uint8_t a)
{
    unsigned high = a >> 4, low = a & 0x0Fu;
    if (low > 9 || (psw & kAuxCarry)) {
        low += 6;
        if (low > 15) {
            low -= 16;
            ++high;
        }
    }
    if ((psw & kCarry) || high > 9) {
        high += 6;
        if (high > 15) {
            high -= 16;
            psw |= kCarry;
        }
    }
    return static_cast<std::uint8_t>(high << 4 | low);
}

} // namespace tw::flags
