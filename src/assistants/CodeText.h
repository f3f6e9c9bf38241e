#pragma once
// How the code assistants write numbers into generated 8051 code.
#include "common/Hex.h"

#include <QString>

namespace tw
{

// A byte as an immediate or a result box shows it: two upper-case digits and "H", no leading 0
// ("FDH", "9CH").
inline QString byteOperand(int value)
{
    return hexByte(static_cast<std::uint8_t>(value)) + u'H';
}

} // namespace tw
