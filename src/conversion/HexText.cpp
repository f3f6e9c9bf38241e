#include "HexText.h"

#include "common/Hex.h"

namespace tw
{

long long hexD(const QString &text)
{
    // Past sixteen positions the value wraps instead of overflowing: no box holds that many.
    unsigned long long value = 0;
    for (QChar c : text)
        value = value * 16 + static_cast<unsigned>(std::max(0, hexDigitValue(c.unicode())));
    return static_cast<long long>(value);
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
