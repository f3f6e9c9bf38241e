#pragma once
// Upper-case hexadecimal text of bytes and code addresses.
#include "base/HexDigits.h"

#include <QString>
#include <cstdint>

namespace tw
{

// Two digits, high first, no prefix or suffix: 0x0A gives "0A".
QString hexByte(std::uint8_t value);

// Four digits of a code address 0..65535. A value outside that range is the caller's error:
// it throws std::overflow_error.
QString hexWord(long long value);

} // namespace tw
