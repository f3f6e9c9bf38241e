#pragma once
// Whole numbers as Visual Basic's Str writes them, which the listings, the error reports and the
// label dumps keep: one blank before a number that is not negative, "-" before one that is.
#include <string>

namespace tw
{

// Room putVbStr needs: a sign and the digits of any long long.
constexpr int kVbStrDigits = 24;

// Writes Str(value) as ASCII backwards into a buffer ending at end; gives where it starts.
inline char *putVbStr(long long value, char *end)
{
    char *p = end;
    unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value) : value;
    do {
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    *--p = value < 0 ? '-' : ' ';
    return p;
}

inline void appendVbStr(std::string &out, long long value)
{
    char digits[kVbStrDigits];
    char *const end = digits + kVbStrDigits;
    out.append(putVbStr(value, end), end);
}

} // namespace tw
