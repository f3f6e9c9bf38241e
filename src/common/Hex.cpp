#include "Hex.h"

#include <stdexcept>

namespace tw
{

QString hexByte(std::uint8_t value)
{
    const QChar text[2] = {QLatin1Char(hexDigit(value >> 4)), QLatin1Char(hexDigit(value))};
    return QString(text, 2);
}

QString hexWord(long long value)
{
    if (value < 0 || value > 0xFFFF)
        throw std::overflow_error("hexWord: value outside 0..65535");
    return hexByte(static_cast<std::uint8_t>(value >> 8)) + hexByte(static_cast<std::uint8_t>(value & 0xFF));
}

} // namespace tw
