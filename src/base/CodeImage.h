#pragma once
// A code image: one byte per code address 0..65536 (one element more than the address space).
#include <array>
#include <cstddef>
#include <cstdint>

namespace tw
{

constexpr int kCodeImageSize = 65537;
// The longest .bin file any tool loads: the 64K code space.
constexpr int kMaxCodeFileBytes = 65536;

struct CodeImage {
    std::array<std::uint8_t, kCodeImageSize> bytes{};

    std::uint8_t &operator[](int address) { return bytes[static_cast<std::size_t>(address)]; }
    std::uint8_t operator[](int address) const { return bytes[static_cast<std::size_t>(address)]; }
    void clear() { bytes.fill(0); }
};

} // namespace tw
