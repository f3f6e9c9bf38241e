#pragma once
// A code image: one byte per code address 0..65536 (one element more than the address space).
#include <QString>
#include <array>
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

// Clears the image, then reads a .bin file into it from address 0. Returns the file's length, or
// -1 when it cannot be read, is no regular file or is longer than 65,536 bytes.
int loadCodeImage(const QString &path, CodeImage &image);

// Writes addresses 0..length-1 as a .bin file; false when it cannot be written.
bool saveCodeImage(const QString &path, const CodeImage &image, int length);

} // namespace tw
