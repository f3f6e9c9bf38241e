#include "Hex.h"

#include <stdexcept>

namespace tw {

namespace {
constexpr char16_t kDigits[] = u"0123456789ABCDEF";
}

QString hexByte(std::uint8_t value)
{
    const QChar text[2] = {QChar(kDigits[value >> 4]), QChar(kDigits[value & 0x0F])};
    return QString(text, 2);
}

QString hexWord(long long value)
{
    if (value < 0 || value > 0xFFFF)
        throw std::overflow_error("hexWord: value outside 0..65535");
    return hexByte(static_cast<std::uint8_t>(value >> 8)) + hexByte(static_cast<std::uint8_t>(value & 0xFF));
}

} // namespace tw
