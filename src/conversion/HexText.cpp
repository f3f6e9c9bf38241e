#include "HexText.h"

#include "common/Hex.h"

namespace tw
{

long long hexD(const QString &text)
{
    long long value = 0;
    for (QChar c : text)
        value = value * 16 + std::max(0, hexDigitValue(c.unicode()));
    return value;
}

std::optional<int> readAddressBox(const QString &text, bool lowerCaseAllowed)
{
    if (text.isEmpty() || text.size() > 4)
        return std::nullopt;
    const QString digits = lowerCaseAllowed ? text.toUpper() : text;
    for (QChar c : digits)
        if (hexDigitValue(c.unicode()) < 0)
            return std::nullopt;
    return static_cast<int>(hexD(digits));
}

} // namespace tw
