#pragma once
// Number texts as the system has always written and read them.
#include <QString>

namespace tw {

// Decimal text with one leading blank for a number >= 0 and "-" otherwise: 5 gives " 5".
QString vbStr(long long value);
inline QString vbStr(int value) { return vbStr(static_cast<long long>(value)); }
inline QString vbStr(long value) { return vbStr(static_cast<long long>(value)); }
inline QString vbStr(unsigned value) { return vbStr(static_cast<long long>(value)); }
// The same for a real number, with at most 15 significant digits and no trailing zeros:
// 2.5 gives " 2.5", 1/3 gives " .333333333333333", -0.25 gives "-.25", 1E+16 for large values.
QString vbStr(double value);

// The number at the start of a text: leading blanks, tabs and line feeds skipped, blanks inside
// the number ignored, "&H" hexadecimal and "&O" octal prefixes honoured; 0 when there is none.
double vbVal(const QString &text);

// Rounds to the nearest whole number, halves to the even one: 2.5 gives 2, 3.5 gives 4.
double roundHalfEven(double value);

} // namespace tw
